// List(values): an automation array of the given strings, in order, as the
// server returns multi-valued properties (profile lists, dictionary values,
// property orders, allowed operations).
#ifndef ORVEX_TESTS_FAKES_VARIANT_LIST_H_
#define ORVEX_TESTS_FAKES_VARIANT_LIST_H_

#include <string>
#include <vector>

#include "platform/variant.h"

namespace orvex::testing {

inline Variant List(const std::vector<std::string>& values) {
  VariantArray a;
  for (const std::string& v : values) a.emplace_back(v);
  return Variant(a);
}

}  // namespace orvex::testing

#endif  // ORVEX_TESTS_FAKES_VARIANT_LIST_H_
