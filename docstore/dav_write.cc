// PUT, DELETE, MKCOL, PROPPATCH, COPY and MOVE.
#include "docstore/dav_common.h"

namespace orvex::docstore {

std::optional<DavResponse> DavHandler::Precheck(const DavRequest&) { return std::nullopt; }
DavResponse DavHandler::Put(DavRequest&) { return Status(501); }
DavResponse DavHandler::Delete(const DavRequest&) { return Status(501); }
DavResponse DavHandler::Mkcol(const DavRequest&) { return Status(501); }
DavResponse DavHandler::Proppatch(const DavRequest&) { return Status(501); }
DavResponse DavHandler::CopyMove(const DavRequest&, bool) { return Status(501); }

}  // namespace orvex::docstore
