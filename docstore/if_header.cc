#include "docstore/if_header.h"

#include <strings.h>

#include "docstore/url.h"

namespace orvex::docstore {
namespace {

class Scanner {
 public:
  explicit Scanner(std::string_view text) : text_(text) {}

  void SkipSpace() {
    while (pos_ < text_.size() && (text_[pos_] == ' ' || text_[pos_] == '\t')) ++pos_;
  }
  bool AtEnd() {
    SkipSpace();
    return pos_ == text_.size();
  }
  char Peek() {
    SkipSpace();
    return pos_ < text_.size() ? text_[pos_] : '\0';
  }
  bool Eat(char c) {
    if (Peek() != c) return false;
    ++pos_;
    return true;
  }
  bool EatWord(std::string_view word) {
    SkipSpace();
    if (text_.size() - pos_ < word.size() ||
        strncasecmp(text_.data() + pos_, word.data(), word.size()) != 0)
      return false;
    pos_ += word.size();
    return true;
  }
  // The text up to `end` (not included), consumed with it; nullopt when
  // `end` never comes.
  std::optional<std::string> Until(char end) {
    size_t close = text_.find(end, pos_);
    if (close == std::string_view::npos) return std::nullopt;
    std::string out(text_.substr(pos_, close - pos_));
    pos_ = close + 1;
    return out;
  }

 private:
  std::string_view text_;
  size_t pos_ = 0;
};

// An entity tag inside "[...]": ["W/"] quoted text.
std::optional<std::string> ReadEtag(Scanner& in) {
  std::string tag;
  if (in.EatWord("W/")) tag = "W/";
  if (!in.Eat('"')) return std::nullopt;
  auto opaque = in.Until('"');
  if (!opaque) return std::nullopt;
  tag += '"' + *opaque + '"';
  if (!in.Eat(']')) return std::nullopt;
  return tag;
}

// One "(" condition... ")" list, the "(" already consumed.
std::optional<std::vector<IfCondition>> ReadList(Scanner& in) {
  std::vector<IfCondition> conditions;
  while (!in.Eat(')')) {
    IfCondition c;
    c.negate = in.EatWord("Not");
    if (in.Eat('<')) {
      auto token = in.Until('>');
      if (!token || token->empty()) return std::nullopt;
      c.value = *token;
    } else if (in.Eat('[')) {
      auto tag = ReadEtag(in);
      if (!tag) return std::nullopt;
      c.etag = true;
      c.value = *tag;
    } else {
      return std::nullopt;
    }
    conditions.push_back(std::move(c));
  }
  if (conditions.empty()) return std::nullopt;
  return conditions;
}

}  // namespace

std::vector<std::string> IfHeader::Tokens() const {
  std::vector<std::string> out;
  for (const auto& list : lists)
    for (const auto& c : list.conditions)
      if (!c.negate && !c.etag) out.push_back(c.value);
  return out;
}

std::optional<IfHeader> ParseIfHeader(std::string_view text) {
  Scanner in(text);
  IfHeader header;
  std::optional<bool> tagged;  // fixed by the first list
  IfList current;
  bool have_tag = false;
  while (!in.AtEnd()) {
    if (in.Eat('<')) {
      // A resource tag: every list up to the next tag is about it.
      if (tagged == false) return std::nullopt;
      tagged = true;
      if (have_tag) return std::nullopt;  // a tag with no list
      auto ref = in.Until('>');
      if (!ref) return std::nullopt;
      current = IfList{};
      current.tagged = true;
      current.path = ParseRequestPath(*ref).value_or("");
      have_tag = true;
      continue;
    }
    if (!in.Eat('(')) return std::nullopt;
    if (!tagged) tagged = false;
    auto conditions = ReadList(in);
    if (!conditions) return std::nullopt;
    IfList list = *tagged ? current : IfList{};
    list.conditions = std::move(*conditions);
    header.lists.push_back(std::move(list));
    have_tag = false;
  }
  if (header.lists.empty() || have_tag) return std::nullopt;
  return header;
}

bool EtagsMatch(std::string_view a, std::string_view b) {
  if (a.rfind("W/", 0) == 0) a.remove_prefix(2);
  if (b.rfind("W/", 0) == 0) b.remove_prefix(2);
  return a == b;
}

}  // namespace orvex::docstore
