#include "platform/language.h"

#include <cstdlib>

namespace orvex::platform {
namespace {
thread_local std::optional<int> fixed_language;
}

int LanguageOfLocale(std::string_view locale) {
  if (locale.size() >= 2 && locale.substr(0, 2) == "ja" &&
      (locale.size() == 2 || locale[2] == '_' || locale[2] == '.' || locale[2] == '@' ||
       locale[2] == '-'))
    return kLangJapanese;
  return kLangEnglish;
}

int ThreadLanguage() {
  if (fixed_language) return *fixed_language;
  for (const char* var : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* value = std::getenv(var);
    if (value != nullptr && *value != '\0') return LanguageOfLocale(value);
  }
  return kLangEnglish;
}

void SetThreadLanguage(std::optional<int> language) { fixed_language = language; }

}  // namespace orvex::platform
