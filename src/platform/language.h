// The user-interface language of the calling thread, as the resource loader
// uses it: 1033 (English) or 1041 (Japanese).
//
// By default it follows the locale environment the way the C library does
// (LC_ALL, then LC_MESSAGES, then LANG); a locale whose language is "ja"
// gives Japanese, anything else English. A host or a test may fix the
// language of the calling thread instead.
#ifndef ORVEX_PLATFORM_LANGUAGE_H_
#define ORVEX_PLATFORM_LANGUAGE_H_

#include <optional>
#include <string_view>

namespace orvex::platform {

inline constexpr int kLangEnglish = 1033;
inline constexpr int kLangJapanese = 1041;

int ThreadLanguage();

// Fixes (or, with nullopt, releases) the language of the calling thread.
void SetThreadLanguage(std::optional<int> language);

// The language a locale name such as "ja_JP.UTF-8" stands for.
int LanguageOfLocale(std::string_view locale);

}  // namespace orvex::platform

#endif  // ORVEX_PLATFORM_LANGUAGE_H_
