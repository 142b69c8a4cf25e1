// Writing XML: escaping, and the multistatus body of PROPFIND, PROPPATCH and
// REPORT answers with typed property values.
#ifndef ORVEX_DOCSTORE_XML_WRITER_H_
#define ORVEX_DOCSTORE_XML_WRITER_H_

#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "docstore/names.h"
#include "docstore/prop_name.h"
#include "docstore/prop_value.h"
#include "wire/typed_xml.h"

namespace orvex::docstore {

// Escapes &, <, > and " for text and attribute values, after repairing
// what XML 1.0 cannot carry (see wire::RepairXmlText).
std::string XmlEscape(std::string_view text);

// One property as written into a propstat: its name and, unless
// `name_only`, its value.
struct PropOut {
  PropName name;
  PropValue value;
};

// Builds a multistatus document response by response. Whatever the store
// holds, the document is well-formed: text is repaired and escaped, a
// property whose name cannot be an element is left out.
class MultistatusWriter {
 public:
  MultistatusWriter();

  // Starts a <D:response> for `href` (already encoded). Each namespace of
  // `namespaces` is declared once on it, with a prefix of its own, and the
  // response's properties in it are written with that prefix: a response
  // names a namespace once however many of its properties it carries.
  // Properties of other namespaces declare theirs on their own element.
  void BeginResponse(std::string_view href, const std::vector<std::string>& namespaces = {});
  // One <D:propstat>; `status` is the status line ("HTTP/1.1 200 OK").
  // With `names_only` the values are left out (PROPFIND propname).
  void PropStat(const std::vector<PropOut>& props, std::string_view status,
                bool names_only = false);
  // The same in steps, for a response written a property at a time.
  void BeginPropStat();
  void Prop(const PropOut& prop, bool names_only) { WriteProp(prop, names_only); }
  void EndPropStat(std::string_view status);
  // A response-level <D:status> (used instead of propstats).
  void Status(std::string_view status);
  void EndResponse();

  // What was written since the last Take (a piece of a document sent as it
  // is written), and its size.
  std::string Take();
  size_t size() const { return out_.size(); }
  // The rest of the document, finished.
  std::string Finish();

 private:
  void WriteProp(const PropOut& prop, bool names_only);
  wire::PropertyTags TagsFor(const PropName& name) const;
  std::string out_;
  // The prefixes declared on the current response, by namespace.
  std::map<std::string, std::string, std::less<>> prefixes_;
};

// "HTTP/1.1 <code> <reason>".
std::string StatusLine(int code);

}  // namespace orvex::docstore

#endif  // ORVEX_DOCSTORE_XML_WRITER_H_
