// CHECKOUT, CHECKIN, UNCHECKOUT and PUBLISH.
#include "docstore/dav_common.h"

namespace orvex::docstore {

DavResponse DavHandler::Checkout(const DavRequest&) { return Status(501); }
DavResponse DavHandler::Checkin(const DavRequest&) { return Status(501); }
DavResponse DavHandler::Publish(const DavRequest&) { return Status(501); }
DavResponse DavHandler::Uncheckout(const DavRequest&) { return Status(501); }

}  // namespace orvex::docstore
