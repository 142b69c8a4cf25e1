// The words for the engine's error codes and the document status codes, in
// English and Japanese. They are the library's own explanation beside the
// numbers GetLastError and IsFileStatus answer; the numbers never change.
#ifndef ORVEX_ENGINE_ERROR_TEXT_H_
#define ORVEX_ENGINE_ERROR_TEXT_H_

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace orvex::engine {

struct CodeText {
  int32_t code;
  std::string_view english;
  std::string_view japanese;
};

// Every error code an engine or the object can leave, in ascending order.
std::span<const CodeText> ErrorCodeTexts();
// Every status IsFileStatus and GetFileData answer, -1 to 5.
std::span<const CodeText> StatusCodeTexts();

// The text of `code` in `language` (platform::kLangJapanese, else English).
// A code the library never sets reads "Unknown error code N" (or its
// Japanese counterpart), so every number has words.
std::string ErrorTextOf(int32_t code, int language);

}  // namespace orvex::engine

#endif  // ORVEX_ENGINE_ERROR_TEXT_H_
