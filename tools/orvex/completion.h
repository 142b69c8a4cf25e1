// What Tab offers at the prompt.
#ifndef ORVEX_TOOLS_ORVEX_COMPLETION_H_
#define ORVEX_TOOLS_ORVEX_COMPLETION_H_

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace orvex::console {

class Interpreter;

struct Completion {
  size_t start = 0;                     // where the word being completed begins
  std::vector<std::string> candidates;  // what it may become, sorted, no two alike
};

// Completes the word that ends `text` (the line up to the cursor). After
// "x." the candidates are the members of the object in x: those of
// `member_names` it answers to. Elsewhere they are the language's words, the
// prompt's commands (help, exit) and the names `interpreter` knows. Names
// match case-insensitively and come spelled as their owner spells them.
// Inside a string or a comment, or after "x." when x holds no object,
// nothing is offered. Only a variable or built-in before the dot is looked
// at: completing never runs anything.
Completion Complete(std::string_view text, const Interpreter& interpreter,
                    std::span<const std::string_view> member_names);

// The longest beginning every candidate shares (compared case-insensitively,
// spelled as the first one); "" when there are none.
std::string SharedBeginning(const std::vector<std::string>& candidates);

}  // namespace orvex::console

#endif  // ORVEX_TOOLS_ORVEX_COMPLETION_H_
