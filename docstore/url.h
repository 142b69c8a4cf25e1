// Request paths: percent-decoding, validation and encoding of the paths the
// store is addressed by.
//
// A store path is the decoded absolute path of a resource without a trailing
// slash ("/Sales/Reports/plan.doc"); the root is "/". Every path the server
// acts on has passed ParseRequestPath, so it is valid UTF-8, holds no empty,
// "." or ".." segment and no control character.
#ifndef ORVEX_DOCSTORE_URL_H_
#define ORVEX_DOCSTORE_URL_H_

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "wire/url.h"

namespace orvex::docstore {

// Percent-decoding and UTF-8 checks are the wire's.
using wire::IsValidUtf8;
using wire::PercentDecode;

// Turns a request target ("/Sales/My%20Reports/", or an absolute URL
// "http://docs/Sales/") into a store path. The query is dropped. Returns
// nullopt for anything that does not name a safe path: a fragment, a bad
// escape, invalid UTF-8, a control character, a backslash, or a "." or ".."
// segment (raw or encoded). Empty segments ("//") are skipped.
std::optional<std::string> ParseRequestPath(std::string_view target);

// The segments of a store path ("/a/b" -> {"a","b"}; "/" -> {}).
std::vector<std::string> SplitPath(std::string_view path);
// The parent path of a store path ("/a/b" -> "/a", "/a" -> "/"); "/" for "/".
std::string ParentPath(std::string_view path);
// The last segment ("/a/b" -> "b"; "/" -> "").
std::string LastSegment(std::string_view path);
// Joins a store path and one segment.
std::string JoinPath(std::string_view parent, std::string_view name);

// Percent-encodes a store path for an href: every byte outside the unreserved
// set and "/" is escaped (UTF-8 bytes as %XX). A collection gets a trailing
// "/".
std::string EncodeHref(std::string_view path, bool collection);

// A name that may be given to a new resource: non-empty, XML text (valid
// UTF-8, no control character, no non-character; see wire::IsXmlText), no "/" or
// "\", and not "." or "..".
bool IsValidSegment(std::string_view name);

}  // namespace orvex::docstore

#endif  // ORVEX_DOCSTORE_URL_H_
