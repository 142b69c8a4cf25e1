// The workspace schema as the engine reads it: document profiles (content
// class definitions), property definitions and dictionaries.
//
// A schema object is found by its id through a workspace folder object
// (ContentClassDefinition, DictionaryObject) or, for a property definition,
// through the content class definition that lists it. A property definition
// is identified by its id in the workspace's schema alone: every profile
// that lists an id reaches the same definition. Objects are read once, when
// they are looked up; their fields do not change afterwards.
#ifndef ORVEX_SERVER_SCHEMA_H_
#define ORVEX_SERVER_SCHEMA_H_

#include <memory>
#include <string>
#include <vector>

#include "server/fields.h"

namespace orvex::server {

// Property names of schema objects.
inline constexpr char kPropPropertyOrder[] = "urn:schemas-microsoft-com:publishing:propertyorder";
inline constexpr char kPropIsRequired[] = "urn:schemas-microsoft-com:exch-data:isrequired";
inline constexpr char kPropIsMultivalued[] = "urn:schemas-microsoft-com:exch-data:ismultivalued";
inline constexpr char kPropExtendedType[] = "urn:schemas-microsoft-com:publishing:extended-type";
inline constexpr char kPropDictionary[] = "urn:schemas-microsoft-com:exch-data:dictionary";
inline constexpr char kPropIsRetrieved[] = "urn:schemas-microsoft-com:exch-data:isretrieved";
inline constexpr char kPropDictionaryValues[] =
    "urn:schemas-microsoft-com:publishing:dictionaryvalues";
inline constexpr char kPropIsRestricted[] = "urn:schemas-microsoft-com:publishing:isrestricted";
// A property definition's own read-only flag, as the engine names it (with a
// blank after the colon): the definition's "DAV:isreadonly".
inline constexpr char kFieldPropertyReadOnly[] = "DAV: IsReadOnly";

enum class SchemaKind { kContentClass, kProperty, kDictionary };

class SchemaDefinition {
 public:
  // `fields` are the object's properties as the server reported them; a
  // "DAV:isreadonly" among them is also readable as "DAV: IsReadOnly".
  SchemaDefinition(SchemaKind kind, std::string id, Fields fields);
  virtual ~SchemaDefinition() = default;
  SchemaDefinition(const SchemaDefinition&) = delete;
  SchemaDefinition& operator=(const SchemaDefinition&) = delete;

  SchemaKind kind() const { return kind_; }
  const std::string& id() const { return id_; }
  const Fields& GetFields() const { return fields_; }

  // "DAV:displayname" ("Title" of a profile, display name of a property
  // definition); "" when the server reports none.
  std::string Title() const;
  // "urn:schemas-microsoft-com:office:office#Description"; "" when absent.
  std::string Description() const;
  // Flags of a property definition; an absent (Null) flag is False. A value
  // that is no flag at all throws.
  bool IsRequired() const;
  bool IsMultivalued() const;
  // A dictionary's flag restricting a property to its values.
  bool IsRestricted() const;
  // A dictionary's values, in order; empty when it has none. Throws
  // server::Error(kErrGenericFailure) when the value is not a list.
  std::vector<std::string> Values() const;

  // Content class definition: the definition of the property `id` (one of
  // the ids of its property order, or any other). Throws
  // server::Error(kErrNotSupported) on the other kinds, and the server's
  // error (kErrObjectNotFound for an unknown id) when the look-up fails.
  virtual std::unique_ptr<SchemaDefinition> PropertyDefinition(const std::string& id) = 0;

 private:
  SchemaKind kind_;
  std::string id_;
  Fields fields_;
};

// The list value `value` as strings: Null is the empty list; anything that is
// not a list throws server::Error(kErrGenericFailure) naming `what`.
std::vector<std::string> StringList(const Variant& value, const std::string& what);

// A flag value as platform::ParseFlag reads it; a value that is no flag
// throws server::Error(kErrGenericFailure): a schema's flags must be flags.
bool FlagOf(const Variant& value);

}  // namespace orvex::server

#endif  // ORVEX_SERVER_SCHEMA_H_
