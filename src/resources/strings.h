// The string table: every caption, label and message of the dialogs, by id,
// in English (1033) and Japanese (1041).
#ifndef ORVEX_RESOURCES_STRINGS_H_
#define ORVEX_RESOURCES_STRINGS_H_

#include <string>

#include "resources/text_id.h"

namespace orvex::resources {

// The text of `id` in the calling thread's language (platform::ThreadLanguage);
// the empty string for an id the table does not hold.
std::string LoadString(TextId id);
// The text of `id` in `language` (1033 or 1041; any other gives English).
std::string LoadString(TextId id, int language);

// `text` with every "%" replaced by `name` (case-sensitive, all occurrences).
std::string ReplacePercent(const std::string& text, const std::string& name);

}  // namespace orvex::resources

#endif  // ORVEX_RESOURCES_STRINGS_H_
