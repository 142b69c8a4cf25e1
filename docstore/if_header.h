// The If request header of WebDAV: lists of conditions on lock tokens and
// entity tags, either untagged (about the request's own resource) or tagged
// with the resource they are about.
//
//   If: (<opaquelocktoken:a> ["12-3"]) (Not <DAV:no-lock>)
//   If: </Sales/plan.txt> (<opaquelocktoken:a>) <http://docs/Sales/> (["1-4"])
//
// The header holds when at least one list holds; a list holds when every
// condition in it does.
#ifndef ORVEX_DOCSTORE_IF_HEADER_H_
#define ORVEX_DOCSTORE_IF_HEADER_H_

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orvex::docstore {

struct IfCondition {
  bool negate = false;  // "Not"
  bool etag = false;    // an entity tag ("[...]") rather than a state token ("<...>")
  std::string value;    // the token URI, or the entity tag as written (quotes, any W/)
};

struct IfList {
  // Tagged lists: the store path of the tag. Untagged lists: empty and
  // `tagged` false. A tag that names no valid path leaves `tagged` true and
  // `path` empty: such a list never holds.
  bool tagged = false;
  std::string path;
  std::vector<IfCondition> conditions;
};

struct IfHeader {
  std::vector<IfList> lists;

  // The state tokens of the conditions without "Not": the lock tokens the
  // request submits.
  std::vector<std::string> Tokens() const;
};

// Parses the header's value; nullopt when it does not follow the grammar
// (untagged and tagged lists mixed, an empty list, an unterminated token).
std::optional<IfHeader> ParseIfHeader(std::string_view text);

// Do two entity tags match by the weak comparison (a "W/" prefix ignored)?
bool EtagsMatch(std::string_view a, std::string_view b);

}  // namespace orvex::docstore

#endif  // ORVEX_DOCSTORE_IF_HEADER_H_
