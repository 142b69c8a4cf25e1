// ProfileClass1: one document profile offered for a folder, with the names
// of its properties in the profile's own order, and the flags that tell the
// profile dialog which profiles to offer and which one to preselect.
//
// The engine's profile loader creates these records; the profile dialog
// reads them. The property records they name are shared (see
// PropertyRecords): every profile listing a property name sees the same
// PropertyClass1 and its one Value.
#ifndef ORVEX_RECORDS_PROFILE_CLASS1_H_
#define ORVEX_RECORDS_PROFILE_CLASS1_H_

#include <memory>
#include <string>
#include <vector>

#include "platform/variant.h"
#include "records/property_class1.h"

namespace orvex::records {

class ProfileClass1 {
 public:
  // A fresh record lists one property name, the empty string.
  ProfileClass1() : PropertyNames(1) {}

  bool bUse = false;       // offered for the folder being worked on
  bool bSet = false;       // the profile the document already carries
  bool bDefault = false;   // the folder's default document profile
  std::string strURI;      // the profile's identifier in the workspace's list
  std::string strProfile;  // its display title

  // Stores the three values and empties the name list again (one empty name).
  void NewClass(const std::string& uri, const std::string& title, bool use) {
    strURI = uri;
    strProfile = title;
    bUse = use;
    PropertyNames.assign(1, std::string());
  }

  // Appends a property name. The list's single empty element of a fresh
  // record is taken by the first name instead of growing the list; an empty
  // name stored there is overwritten by the next one.
  void AddProperty(const std::string& name) {
    if (!PropertyNames.back().empty() || PropertyNames.size() != 1) PropertyNames.emplace_back();
    PropertyNames.back() = name;
  }

  // A copy of the name list as an array of strings; later changes to the
  // record do not reach it.
  Variant GetPropertyArray() const {
    VariantArray names;
    names.reserve(PropertyNames.size());
    for (const auto& name : PropertyNames) names.emplace_back(name);
    return Variant(std::move(names));
  }

  // The name list itself, for the dialog that walks it.
  const std::vector<std::string>& property_names() const { return PropertyNames; }

 private:
  std::vector<std::string> PropertyNames;
};

// The records as the engine hands them to the profile dialog: the vectors
// may be copied, the records themselves are shared.
using ProfileRecords = std::vector<std::shared_ptr<ProfileClass1>>;
using PropertyRecords = std::vector<std::shared_ptr<PropertyClass1>>;

}  // namespace orvex::records

#endif  // ORVEX_RECORDS_PROFILE_CLASS1_H_
