// The console's reading of scripts: any text is either a program or a
// syntax error, whatever its nesting, length or bytes.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "lexer.h"
#include "parser.h"
#include "syntax_error.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view source(reinterpret_cast<const char*>(data), size);
  try {
    (void)orvex::console::Tokenize(source);
  } catch (const orvex::console::SyntaxError&) {
  }
  try {
    (void)orvex::console::Parse(source);
  } catch (const orvex::console::SyntaxError&) {
  }
  return 0;
}
