// The server's reading of XML request bodies, and what it writes back of
// them: a body either parses or is refused, and whatever parsed is written
// into a multistatus that is itself well-formed (a dead property's XML value
// and its text go back out the way PROPPATCH keeps them).
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "docstore/xml_reader.h"
#include "docstore/xml_writer.h"

using namespace orvex::docstore;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view body(reinterpret_cast<const char*>(data), size);
  auto parsed = ParseXml(body);
  if (!parsed.root) return 0;
  const XmlElement& root = *parsed.root;
  std::string inner = root.InnerXml();
  MultistatusWriter w;
  w.BeginResponse("/x");
  std::vector<PropOut> props{{{root.ns, root.name}, PropValue{"#xml", inner, {}}},
                             {{"urn:x:", "text"}, PropValue::Plain(root.Text())}};
  for (const auto& child : root.children)
    props.push_back({{child.ns, child.name}, PropValue::Plain(child.Text())});
  w.PropStat(props, StatusLine(200));
  w.EndResponse();
  std::string answer = w.Finish();
  if (!ParseXml(answer).root) __builtin_trap();
  return 0;
}
