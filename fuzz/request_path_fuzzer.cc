// Request targets, Basic credentials, If headers and the text checks: a
// target either names a safe store path that encodes back to itself or is
// refused, an If header either parses into non-empty lists about safe paths
// or is refused, and repaired text is always text the server may write.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "docstore/auth.h"
#include "docstore/if_header.h"
#include "docstore/url.h"
#include "wire/xml_text.h"

using namespace orvex::docstore;
using orvex::wire::IsXmlText;
using orvex::wire::RepairXmlText;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  if (auto path = ParseRequestPath(text)) {
    if (path->empty() || (*path)[0] != '/') __builtin_trap();
    for (const auto& segment : SplitPath(*path))
      if (!IsValidSegment(segment)) __builtin_trap();
    if (ParseRequestPath(EncodeHref(*path, false)) != path) __builtin_trap();
  }
  (void)ParseBasicAuth(text);
  if (auto header = ParseIfHeader(text)) {
    if (header->lists.empty()) __builtin_trap();
    for (const auto& list : header->lists) {
      if (list.conditions.empty()) __builtin_trap();
      if (!list.path.empty() && list.path[0] != '/') __builtin_trap();
      if (!list.tagged && !list.path.empty()) __builtin_trap();
      for (const auto& c : list.conditions)
        if (c.value.empty()) __builtin_trap();
    }
  }
  std::string repaired = RepairXmlText(text);
  if (!IsXmlText(repaired)) __builtin_trap();
  if (IsXmlText(text) && repaired != text) __builtin_trap();
  return 0;
}
