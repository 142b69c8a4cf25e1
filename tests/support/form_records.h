// Reading the records the toolkits leave of a shown form.
#ifndef ORVEX_TESTS_SUPPORT_FORM_RECORDS_H_
#define ORVEX_TESTS_SUPPORT_FORM_RECORDS_H_

#include <nlohmann/json.hpp>
#include <string>

namespace orvex::testing {

// The control `name` of a recorded form; null when the form has none.
inline const nlohmann::json& Control(const nlohmann::json& form, const std::string& name) {
  for (const auto& c : form["controls"]) {
    if (c["name"] == name) return c;
  }
  static const nlohmann::json none;
  return none;
}

}  // namespace orvex::testing

#endif  // ORVEX_TESTS_SUPPORT_FORM_RECORDS_H_
