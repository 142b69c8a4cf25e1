// The provider's version object: DeltaV requests on a document URL.
//
//   CheckOut  CHECKOUT, no body (the comment is not sent: versions, not
//             check-outs, carry comments)
//   CheckIn   CHECKIN with <D:checkin><D:comment>...</D:comment></D:checkin>
//   Publish   PUBLISH, no body
//   History   REPORT DAV:version-tree (allprop), Depth 0: one row per
//             version in the server's order, each with the provider's
//             resource columns
//
// A status outside 2xx throws server::Error with its error number; a server
// that does not serve the method (405, 501) gives the generic failure.
#ifndef ORVEX_SERVER_WEBDAV_WEBDAV_VERSION_H_
#define ORVEX_SERVER_WEBDAV_WEBDAV_VERSION_H_

#include <memory>
#include <string>

#include "server/version.h"
#include "server/webdav/session.h"

namespace orvex::server::webdav {

class WebDavVersion : public Version {
 public:
  explicit WebDavVersion(std::shared_ptr<Session> session);

  void CheckOut(const std::string& url, const std::string& comment) override;
  void CheckIn(const std::string& url, const std::string& comment) override;
  void Publish(const std::string& url) override;
  Recordset History(const std::string& url, int32_t flags) override;

 private:
  Target TargetOf(const std::string& url) const;

  std::shared_ptr<Session> session_;
};

}  // namespace orvex::server::webdav

#endif  // ORVEX_SERVER_WEBDAV_WEBDAV_VERSION_H_
