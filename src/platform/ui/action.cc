#include "platform/ui/action.h"

#include <cctype>
#include <charconv>

#include "platform/text.h"
#include "platform/ui/button.h"
#include "platform/ui/combo_box.h"
#include "platform/ui/editable_text.h"
#include "platform/ui/form.h"
#include "platform/ui/list_box.h"
#include "platform/ui/list_view.h"
#include "platform/ui/message_box.h"
#include "platform/ui/tree_view.h"

namespace orvex::ui {
namespace {

// The blanks around a plan's words and parts.
constexpr std::string_view kBlanks = " \t\n\v\f\r";

using Verb = Action::Verb;

struct WordInfo {
  std::string_view word;
  Verb verb;
  bool needs_argument;
};

constexpr WordInfo kWords[] = {
    {"click", Verb::kClick, true},          {"select", Verb::kSelect, true},
    {"dblclick", Verb::kDoubleClick, true}, {"choose", Verb::kChoose, true},
    {"toggle", Verb::kToggle, true},        {"type", Verb::kType, true},
    {"clear", Verb::kClear, false},         {"key", Verb::kKey, true},
    {"press", Verb::kPress, true},          {"close", Verb::kClose, false},
    {"answer", Verb::kAnswer, true},
};

// Splits "Word rest of it" at the first blank.
std::pair<std::string_view, std::string_view> FirstWord(std::string_view s) {
  s = platform::Trim(s, kBlanks);
  size_t blank = 0;
  while (blank < s.size() && !std::isspace(static_cast<unsigned char>(s[blank]))) ++blank;
  return {s.substr(0, blank), platform::Trim(s.substr(blank), kBlanks)};
}

bool KindFits(Verb verb, ControlKind kind) {
  switch (verb) {
    case Verb::kClick:
      return kind == ControlKind::kTreeView;
    case Verb::kSelect:
    case Verb::kDoubleClick:
      return kind == ControlKind::kListView;
    case Verb::kChoose:
      return kind == ControlKind::kComboBox;
    case Verb::kToggle:
      return kind == ControlKind::kListBox;
    case Verb::kType:
    case Verb::kClear:
    case Verb::kKey:
      return kind == ControlKind::kTextBox || kind == ControlKind::kComboBox;
    case Verb::kPress:
      return kind == ControlKind::kButton;
    default:
      return false;
  }
}

Control* NamedControl(Form& form, std::string_view name, Verb verb) {
  for (const auto& c : form.controls()) {
    if (platform::CompareNoCase(c->name(), name) == 0 && KindFits(verb, c->kind())) return c.get();
  }
  return nullptr;
}

Control* FirstControl(Form& form, Verb verb) {
  for (const auto& c : form.controls()) {
    if (KindFits(verb, c->kind())) return c.get();
  }
  return nullptr;
}

// The control the action names in its first word, or the form's first
// control of the fitting kind; `rest` receives what is left of the argument.
Control* ChooseControl(Form& form, const Action& action, std::string& rest) {
  auto [first, after] = FirstWord(action.argument);
  if (!first.empty()) {
    if (Control* named = NamedControl(form, first, action.verb)) {
      rest = std::string(after);
      return named;
    }
  }
  rest = action.argument;
  return FirstControl(form, action.verb);
}

TreeNode* FindNode(const TreeView& tree, const std::string& what) {
  if (TreeNode* by_key = tree.Find(what)) return by_key;
  // Texts from the top, joined with "/".
  for (const auto& node : tree.Nodes()) {
    if (node->TextPath("/") == what) return node.get();
  }
  TreeNode* only = nullptr;
  for (const auto& node : tree.Nodes()) {
    if (node->Text() == what) {
      if (only != nullptr) return nullptr;  // ambiguous
      only = node.get();
    }
  }
  return only;
}

int FindRow(const ListView& list, const std::string& what) {
  if (ListItem* by_key = list.Find(what)) return by_key->Index();
  for (int i = 0; i < list.Count(); ++i) {
    if (list.Item(i).Text() == what) return i;
  }
  return -1;
}

int ParseKeyCode(std::string_view text) {
  if (text.empty()) return 0;
  const std::string lower = platform::LowerAscii(text);
  if (lower == "enter" || lower == "return") return kKeyEnter;
  if (lower == "backspace") return kKeyBackspace;
  if (lower == "escape" || lower == "esc") return kKeyEscape;
  if (lower == "space") return ' ';
  int code = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), code);
  if (ec == std::errc() && end == text.data() + text.size() && code > 0) return code;
  std::u32string chars = CodePoints(text);
  if (chars.size() == 1) return static_cast<int>(chars[0]);
  return 0;
}

}  // namespace

Action Action::Close() {
  Action a;
  a.verb = Verb::kClose;
  a.text = "close";
  return a;
}

std::string_view VerbName(Verb verb) {
  for (const auto& w : kWords) {
    if (w.verb == verb) return w.word;
  }
  return "?";
}

Action ParseAction(std::string_view text) {
  auto [word, rest] = FirstWord(text);
  for (const auto& w : kWords) {
    if (platform::CompareNoCase(word, w.word) != 0) continue;
    if (w.needs_argument && rest.empty())
      throw PlanError("\"" + std::string(w.word) + "\" needs an argument");
    if (!w.needs_argument && w.verb == Verb::kClose && !rest.empty())
      throw PlanError("\"close\" takes no argument");
    Action a;
    a.verb = w.verb;
    a.argument = std::string(rest);
    a.text = std::string(platform::Trim(text, kBlanks));
    if (a.verb == Verb::kAnswer && !ParseAnswer(a.argument))
      throw PlanError("unknown answer \"" + a.argument + "\" (yes, no or ok)");
    return a;
  }
  throw PlanError("unknown action \"" + std::string(word) + "\"");
}

std::vector<Action> ParsePlan(std::string_view plan) {
  std::vector<Action> actions;
  while (!plan.empty()) {
    const size_t semi = plan.find(';');
    std::string_view part = platform::Trim(plan.substr(0, semi), kBlanks);
    if (!part.empty()) actions.push_back(ParseAction(part));
    if (semi == std::string_view::npos) break;
    plan.remove_prefix(semi + 1);
  }
  return actions;
}

Target Resolve(Form& form, const Action& action) {
  Target t;
  if (action.verb == Verb::kClose || action.verb == Verb::kAnswer) return t;

  if (action.verb == Verb::kPress) {
    t.control = NamedControl(form, action.argument, Verb::kPress);
    if (t.control == nullptr) {
      for (const auto& c : form.controls()) {
        if (c->kind() == ControlKind::kButton &&
            static_cast<const Button&>(*c).Caption() == action.argument) {
          t.control = c.get();
          break;
        }
      }
    }
    if (t.control == nullptr) t.problem = "no button \"" + action.argument + "\"";
  } else {
    std::string rest;
    t.control = ChooseControl(form, action, rest);
    if (t.control == nullptr) {
      t.problem = "no control for \"" + std::string(VerbName(action.verb)) + "\" on the form";
      return t;
    }
    switch (action.verb) {
      case Verb::kClick:
        t.node = FindNode(static_cast<TreeView&>(*t.control), rest);
        if (t.node == nullptr) t.problem = "no node \"" + rest + "\" in " + t.control->name();
        break;
      case Verb::kSelect:
      case Verb::kDoubleClick:
        t.index = FindRow(static_cast<ListView&>(*t.control), rest);
        if (t.index < 0) t.problem = "no row \"" + rest + "\" in " + t.control->name();
        break;
      case Verb::kChoose:
        t.index = static_cast<ComboBox&>(*t.control).FindItem(rest);
        if (t.index < 0) t.problem = "no item \"" + rest + "\" in " + t.control->name();
        break;
      case Verb::kToggle: {
        auto& list = static_cast<ListBox&>(*t.control);
        for (int i = 0; i < list.ListCount(); ++i) {
          if (list.List(i) == rest) {
            t.index = i;
            break;
          }
        }
        if (t.index < 0) t.problem = "no entry \"" + rest + "\" in " + t.control->name();
        break;
      }
      case Verb::kType:
        t.text = rest;
        break;
      case Verb::kKey:
        t.key_code = ParseKeyCode(rest);
        if (t.key_code == 0) t.problem = "no key \"" + rest + "\"";
        break;
      default:
        break;
    }
  }
  const bool typing =
      action.verb == Verb::kType || action.verb == Verb::kClear || action.verb == Verb::kKey;
  if (t.problem.empty() && typing && t.control->kind() == ControlKind::kComboBox &&
      static_cast<const ComboBox&>(*t.control).pick_only()) {
    t.problem = t.control->name() + " takes no typing: its items are picked";
  }
  if (t.problem.empty() && t.control != nullptr && !t.control->Usable()) {
    t.problem = t.control->name() + (t.control->Enabled() ? " is hidden" : " is disabled");
  }
  return t;
}

std::string PerformOnModel(Form& form, const Action& action) {
  if (action.verb == Verb::kClose) {
    return form.UserCloseFrame() ? "" : form.name() + " cannot be closed from its frame";
  }
  Target t = Resolve(form, action);
  if (!t.problem.empty()) return t.problem;
  switch (action.verb) {
    case Verb::kClick:
      static_cast<TreeView&>(*t.control).UserClick(*t.node);
      break;
    case Verb::kSelect:
      static_cast<ListView&>(*t.control).UserClickRow(t.index);
      break;
    case Verb::kDoubleClick:
      static_cast<ListView&>(*t.control).UserDoubleClickRow(t.index);
      break;
    case Verb::kChoose:
      static_cast<ComboBox&>(*t.control).UserChoose(t.index);
      break;
    case Verb::kToggle:
      static_cast<ListBox&>(*t.control).UserToggle(t.index);
      break;
    case Verb::kType:
      static_cast<EditableText&>(*t.control).UserType(t.text);
      break;
    case Verb::kClear:
      static_cast<EditableText&>(*t.control).UserClear();
      break;
    case Verb::kKey:
      static_cast<EditableText&>(*t.control).UserKey(t.key_code);
      break;
    case Verb::kPress:
      static_cast<Button&>(*t.control).UserPress();
      break;
    default:
      return "\"" + action.text + "\" is not an action on a form";
  }
  return "";
}

}  // namespace orvex::ui
