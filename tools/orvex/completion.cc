#include "completion.h"

#include <algorithm>
#include <cctype>

#include "interpreter.h"
#include "parser.h"
#include "platform/text.h"

namespace orvex::console {
namespace {

// Words of statements that are not reserved, and the prompt's commands.
constexpr std::string_view kMoreWords[] = {"Error", "Resume", "GoTo", "Rem", "help", "exit"};

bool IsNameChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

// Whether the end of `text` lies inside a string or a comment.
bool EndsInsideLiteral(std::string_view text) {
  bool in_string = false;
  for (char c : text) {
    if (c == '"') in_string = !in_string;
    if (c == '\'' && !in_string) return true;
  }
  return in_string;
}

bool StartsWithNoCase(std::string_view s, std::string_view prefix) {
  return s.size() >= prefix.size() &&
         platform::CompareNoCase(s.substr(0, prefix.size()), prefix) == 0;
}

void AddIfMatching(std::vector<std::string>& out, std::string_view candidate,
                   std::string_view word) {
  if (!StartsWithNoCase(candidate, word)) return;
  for (const std::string& have : out)
    if (platform::CompareNoCase(have, candidate) == 0) return;
  out.emplace_back(candidate);
}

}  // namespace

Completion Complete(std::string_view text, const Interpreter& interpreter,
                    std::span<const std::string_view> member_names) {
  Completion completion;
  size_t start = text.size();
  while (start > 0 && IsNameChar(text[start - 1])) --start;
  completion.start = start;
  std::string_view word = text.substr(start);
  if (EndsInsideLiteral(text) ||
      (!word.empty() && std::isdigit(static_cast<unsigned char>(word.front()))))
    return completion;

  std::vector<std::string>& out = completion.candidates;
  if (start > 0 && text[start - 1] == '.') {
    size_t object_start = start - 1;
    while (object_start > 0 && IsNameChar(text[object_start - 1])) --object_start;
    // x.y.<Tab> would need x.y evaluated, which may call a member.
    if (object_start > 0 && text[object_start - 1] == '.') return completion;
    std::shared_ptr<Dispatch> object =
        interpreter.ObjectNamed(text.substr(object_start, start - 1 - object_start));
    if (!object) return completion;
    for (std::string_view name : member_names)
      if (object->GetIdOfName(name)) AddIfMatching(out, name, word);
  } else {
    for (std::string_view w : ReservedWords()) AddIfMatching(out, w, word);
    for (std::string_view w : kMoreWords) AddIfMatching(out, w, word);
    for (const std::string& name : interpreter.Names()) AddIfMatching(out, name, word);
  }
  std::sort(out.begin(), out.end(), [](const std::string& a, const std::string& b) {
    return platform::CompareNoCase(a, b) < 0;
  });
  return completion;
}

std::string SharedBeginning(const std::vector<std::string>& candidates) {
  if (candidates.empty()) return "";
  std::string_view shared = candidates.front();
  for (const std::string& c : candidates) {
    size_t n = 0;
    while (n < shared.size() && n < c.size() &&
           std::tolower(static_cast<unsigned char>(shared[n])) ==
               std::tolower(static_cast<unsigned char>(c[n])))
      ++n;
    shared = shared.substr(0, n);
  }
  return std::string(shared);
}

}  // namespace orvex::console
