// Reading a 207 Multi-Status body.
//
// Elements and attributes are matched by namespace URI, never by prefix.
// Property values are typed by the attribute dt in the namespace
// urn:uuid:c2f41010-65b3-11d1-a29f-00aa00c14882/: boolean -> bool, int and
// i4 -> 32-bit integer, i2 -> 16-bit integer, mv.* -> array of strings (one
// per child element v in the namespace "xml:"; an untyped value made only of
// such elements reads the same), anything else, an untyped value and a value
// whose text does not fit its type -> string. An empty
// element is the empty string. A body with a document type declaration is
// refused outright: a multistatus never needs one, and refusing it rules out
// entity expansion attacks.
#ifndef ORVEX_SERVER_WEBDAV_MULTISTATUS_H_
#define ORVEX_SERVER_WEBDAV_MULTISTATUS_H_

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/variant.h"
#include "server/fields.h"

namespace orvex::server::webdav {

// One <response> of a multistatus.
struct ResourceResponse {
  std::string href;  // as written: an absolute path or URL, percent-encoded
  // The response's own status when it has one instead of propstats; else 0.
  int status = 0;
  // Properties reported with a 2xx status, by full name ("DAV:displayname"),
  // as a row over the index every response of one answer shares, so a
  // listing's rows take them over without copying. That index holds the
  // columns a row is given (RowColumns) before any property read.
  Fields properties;
  // True when a 2xx DAV:resourcetype holds DAV:collection.
  bool is_collection = false;
  // Properties reported with any other status, with that status, in order.
  std::vector<std::pair<std::string, int>> failed;
};

// Limits on one multistatus answer, so a runaway or hostile server cannot
// make the provider grow without bound. The defaults list a folder of
// 1,000,000 items (the folder's own response and one per item); a host that
// lists more raises them.
struct MultistatusLimits {
  size_t max_responses = 1'000'001;
  uint64_t max_bytes = uint64_t{4} << 30;
};

// The limits every multistatus read obeys unless told otherwise. A host
// changes them in place (the library runs on its host's one thread).
MultistatusLimits& CurrentMultistatusLimits();

// Reads a multistatus as it arrives: Feed each piece in order, then Finish.
// Feed and Finish throw server::Error(kErrGenericFailure) as
// ParseMultistatus does, and when the answer passes `limits`.
class MultistatusReader {
 public:
  explicit MultistatusReader(const std::string& encoding = {},
                             MultistatusLimits limits = CurrentMultistatusLimits());
  ~MultistatusReader();
  MultistatusReader(const MultistatusReader&) = delete;
  MultistatusReader& operator=(const MultistatusReader&) = delete;

  void Feed(std::string_view piece);
  std::vector<ResourceResponse> Finish();

 private:
  class Impl;
  std::unique_ptr<Impl> impl_;
};

// Parses `body`; `encoding` is the charset the HTTP headers named (empty: let
// the document say). Throws server::Error(kErrGenericFailure) when the body is
// not well-formed XML, declares a document type, or its root is not
// DAV:multistatus.
std::vector<ResourceResponse> ParseMultistatus(std::string_view body,
                                               const std::string& encoding = {});

// The Variant for a value of type `dt` ("" when untyped) with text `text`.
Variant TypedValue(std::string_view dt, const std::string& text);

}  // namespace orvex::server::webdav

#endif  // ORVEX_SERVER_WEBDAV_MULTISTATUS_H_
