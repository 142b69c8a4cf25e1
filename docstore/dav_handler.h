// The WebDAV / versioning front of the store: turns one authenticated
// request into one response. Knows nothing of sockets; the HTTP session
// (http_session.h) reads requests and writes responses.
#ifndef ORVEX_DOCSTORE_DAV_HANDLER_H_
#define ORVEX_DOCSTORE_DAV_HANDLER_H_

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "docstore/digest_auth.h"
#include "docstore/permissions.h"
#include "docstore/store.h"

namespace orvex::docstore {

struct Target;  // where a request path leads (dav_common.h)

struct DavRequest {
  std::string method;
  std::string target;                          // as sent
  std::string path;                            // the store path it names
  std::string host;                            // Host header ("docs"), for absolute URLs
  std::string user;                            // the authenticated user (stored spelling)
  std::map<std::string, std::string> headers;  // lower-case names
  std::string body;                            // small request bodies (XML, small PUT)
  std::string body_file;                       // PUT: temporary file holding a large body, or ""
  int64_t body_length = 0;

  // A header value, "" when absent.
  std::string Header(const std::string& lower_name) const {
    auto it = headers.find(lower_name);
    return it == headers.end() ? std::string() : it->second;
  }
};

struct DavResponse {
  int status = 200;
  std::vector<std::pair<std::string, std::string>> headers;
  std::string content_type;
  std::string body;
  // GET: content streamed from this descriptor (owned; the session closes
  // it), file_length bytes.
  int file_fd = -1;
  int64_t file_length = 0;
  // HEAD: send Content-Length file_length but no body.
  bool head = false;
  // A body written as it is produced (sent chunked) after `body`: each call
  // appends the next piece to `out` and returns false with the last one.
  // It may hold a store transaction until it is done or destroyed.
  std::function<bool(std::string& out)> produce;
};

class DavHandler {
 public:
  explicit DavHandler(Store& store) : store_(store) {}

  // How a request's body is read before Handle.
  enum class BodyKind { kNone, kSmall, kFile };
  static BodyKind BodyFor(const std::string& method);

  // Checks the Authorization header (Basic or Digest) of a request of
  // `method` for `target`: the stored user name, or nullopt. `stale` is set
  // when Digest credentials were right but their nonce has expired.
  std::optional<std::string> Authenticate(const std::string& authorization,
                                          const std::string& method, const std::string& target,
                                          bool& stale);
  // The WWW-Authenticate values of a 401: Digest (SHA-256, MD5) and Basic.
  std::vector<std::string> Challenges(bool stale);

  // Checks a request before its body is read, so a refused body is not
  // transferred or parsed first: a user without a role in the workspace is
  // refused whatever the method, and a PUT whose body is still to come
  // (`body_to_come`) is checked whole (a PUT whose body has all arrived is
  // checked whole by its own transaction, with the same answer). nullopt
  // when the body should be read.
  std::optional<DavResponse> Precheck(const DavRequest& request, bool body_to_come);

  // Serves one request. Never throws; store failures give 500.
  DavResponse Handle(DavRequest& request);

  // Takes a PUT body as it arrives: a small one in memory (the request's
  // `body`), a large one in a temporary file (its `body_file`), which Handle
  // takes over (renamed into the store or removed).
  std::unique_ptr<BlobStore::Writer> NewUpload() {
    return std::make_unique<BlobStore::Writer>(store_.blobs(), Store::kInlineContentLimit);
  }
  void DiscardUpload(const std::string& path) { store_.blobs().Discard(path); }
  Store& store() { return store_; }

  // Releases the locks whose timeout has passed (run now and then; see
  // dav_lock.h for what a release gives back).
  void ExpireLocks();

 private:
  DavResponse Dispatch(DavRequest& request);

  // dav_read.cc
  DavResponse Options(const DavRequest& request);
  DavResponse Propfind(const DavRequest& request);
  DavResponse Get(const DavRequest& request, bool head);
  DavResponse Report(const DavRequest& request);

  // dav_write.cc
  DavResponse Put(DavRequest& request);
  DavResponse Delete(const DavRequest& request);
  DavResponse Mkcol(const DavRequest& request);
  DavResponse Proppatch(const DavRequest& request);
  DavResponse CopyMove(const DavRequest& request, bool move);
  // Refuses a PUT the user may not make here; `target` is where the path
  // leads.
  std::optional<DavResponse> CheckPutTarget(Store::Txn& txn, const DavRequest& request,
                                            Target& target);

  // dav_version.cc
  DavResponse Checkout(const DavRequest& request);
  DavResponse Checkin(const DavRequest& request);
  DavResponse Publish(const DavRequest& request);
  DavResponse Uncheckout(const DavRequest& request);

  // dav_lock.cc
  DavResponse LockRequest(const DavRequest& request);
  DavResponse UnlockRequest(const DavRequest& request);

  Store& store_;
  DigestAuth digest_;
};

// What one request may ask of the store's memory: the properties a PROPFIND
// or REPORT may name, and the properties a resource may keep (413 past
// either).
inline constexpr size_t kMaxNamedProperties = 1000;
// Each row of an answer echoes the names a PROPFIND or REPORT asks for, so
// their size is bounded too: a local name, a namespace, and the local names
// with each distinct namespace counted once (413 past any).
inline constexpr size_t kMaxNamedLocalName = 256;
inline constexpr size_t kMaxNamedNamespace = 1024;
inline constexpr size_t kMaxNamedBytes = 64 * 1024;
inline constexpr size_t kMaxKeptProperties = 1000;
inline constexpr size_t kMaxKeptPropertyBytes = 256 * 1024;  // names and values

// Builds a response with a status and an optional plain-text body.
DavResponse Status(int code, const std::string& text = "");
// The Allow header value of the server.
extern const char kAllowedMethods[];

}  // namespace orvex::docstore

#endif  // ORVEX_DOCSTORE_DAV_HANDLER_H_
