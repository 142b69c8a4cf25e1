#include "server/webdav/webdav_version.h"

#include <utility>
#include <vector>

#include "server/error.h"
#include "server/webdav/request_body.h"
#include "server/webdav/resource_row.h"

namespace orvex::server::webdav {
namespace {

constexpr char kXmlContentType[] = "Content-Type: application/xml; charset=\"utf-8\"";

}  // namespace

WebDavVersion::WebDavVersion(std::shared_ptr<Session> session) : session_(std::move(session)) {}

Target WebDavVersion::TargetOf(const std::string& url) const {
  BindArgs args;
  args.url = url;
  return session_->Resolve(args);
}

void WebDavVersion::CheckOut(const std::string& url, const std::string& /*comment*/) {
  RequireSuccess(session_->Send(TargetOf(url), "CHECKOUT", {}, std::nullopt), "CHECKOUT");
}

void WebDavVersion::CheckIn(const std::string& url, const std::string& comment) {
  RequireSuccess(session_->Send(TargetOf(url), "CHECKIN", {kXmlContentType}, CheckinBody(comment)),
                 "CHECKIN");
}

void WebDavVersion::Publish(const std::string& url) {
  RequireSuccess(session_->Send(TargetOf(url), "PUBLISH", {}, std::nullopt), "PUBLISH");
}

Recordset WebDavVersion::History(const std::string& url, int32_t /*flags*/) {
  Target target = TargetOf(url);
  std::vector<ResourceResponse> responses =
      session_->SendForMultistatus(target, "REPORT", 0, VersionTreeBody());
  std::vector<Fields> rows;
  rows.reserve(responses.size());
  for (ResourceResponse& r : responses) {
    if (r.status != 0 && (r.status < 200 || r.status >= 300)) continue;
    rows.emplace_back(ResourceRow(std::move(r), target.url));
  }
  return Recordset(std::move(rows));
}

}  // namespace orvex::server::webdav
