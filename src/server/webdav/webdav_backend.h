// The WebDAV provider's entry point: the Backend (server/backend.h) that
// speaks WebDAV over libcurl and expat. Only the layers above the provider
// (automation, the programs) name it; the engine sees the Backend alone.
#ifndef ORVEX_SERVER_WEBDAV_WEBDAV_BACKEND_H_
#define ORVEX_SERVER_WEBDAV_WEBDAV_BACKEND_H_

#include <memory>

#include "server/backend.h"

namespace orvex::server {

// A new WebDAV backend; its connections and items share one session.
std::shared_ptr<Backend> WebDavBackend();

}  // namespace orvex::server

#endif  // ORVEX_SERVER_WEBDAV_WEBDAV_BACKEND_H_
