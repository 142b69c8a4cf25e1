// A property value as the store keeps it and the wire carries it.
#ifndef ORVEX_DOCSTORE_PROP_VALUE_H_
#define ORVEX_DOCSTORE_PROP_VALUE_H_

#include <string>
#include <vector>

namespace orvex::docstore {

struct PropValue {
  // The wire type: "" (untyped string), "string", "boolean", "int", "i2",
  // "i4", "dateTime.tz", "mv.string", ...; "#xml" for a value that is an XML
  // fragment (a dead property whose value holds elements); "#resourcetype"
  // for DAV:resourcetype of a collection; "#dav" for a fragment the server
  // builds itself, written as it is with the D prefix of the answer (the
  // lock properties).
  std::string type;
  std::string text;                 // scalar value, or the XML fragment
  std::vector<std::string> values;  // the values of an "mv." type

  bool IsMulti() const { return type.rfind("mv.", 0) == 0; }

  static PropValue String(std::string text) { return {"string", std::move(text), {}}; }
  static PropValue Bool(bool value) { return {"boolean", value ? "1" : "0", {}}; }
  static PropValue Int(long long value) { return {"int", std::to_string(value), {}}; }
  static PropValue Date(std::string iso) { return {"dateTime.tz", std::move(iso), {}}; }
  static PropValue Multi(std::vector<std::string> values) {
    return {"mv.string", {}, std::move(values)};
  }
  static PropValue Plain(std::string text) { return {"", std::move(text), {}}; }

  bool operator==(const PropValue&) const = default;
};

}  // namespace orvex::docstore

#endif  // ORVEX_DOCSTORE_PROP_VALUE_H_
