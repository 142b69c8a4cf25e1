// Action: one thing a person does on a shown form, as a user agent names
// it, and how it is found on the form.
//
// Words (the control name in brackets is optional; without it the first
// control of the fitting kind on the form is meant):
//   click [Tree] NODE       click a tree node, by key, by its texts from the
//                           top joined with "/", or by a text only one node has
//   select [List] ROW       click a list view row, by key or by first-column text
//   dblclick [List] ROW     double-click such a row
//   choose [Combo] ITEM     pick a combo box item by its text
//   toggle [List] ENTRY     click a list box entry (flips its selection)
//   type [Box] TEXT         type TEXT, key by key, into a text or combo box
//   clear [Box]             select the whole text and erase it
//   key [Box] CODE          send one key: a number, "enter", "backspace",
//                           "escape", or a single character
//   press BUTTON            press a button, by name or by caption
//   close                   close the form from its frame
//   answer yes|no|ok        answer the next message box so
// A plan is a list of actions separated by ";".
#ifndef ORVEX_PLATFORM_UI_ACTION_H_
#define ORVEX_PLATFORM_UI_ACTION_H_

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace orvex::ui {

class Control;
class Form;
class TreeNode;

// A plan or answer that cannot be understood.
class PlanError : public std::invalid_argument {
 public:
  using std::invalid_argument::invalid_argument;
};

struct Action {
  enum class Verb {
    kClick,
    kSelect,
    kDoubleClick,
    kChoose,
    kToggle,
    kType,
    kClear,
    kKey,
    kPress,
    kClose,
    kAnswer
  };
  Verb verb = Verb::kClose;
  std::string argument;  // everything after the word, trimmed
  std::string text;      // the action as written

  static Action Close();
};

std::string_view VerbName(Action::Verb verb);
// Throws PlanError for an unknown word or a missing argument.
Action ParseAction(std::string_view text);
std::vector<Action> ParsePlan(std::string_view plan);

// Where an action lands on a form.
struct Target {
  Control* control = nullptr;
  TreeNode* node = nullptr;  // click
  int index = -1;            // row, item or entry
  std::string text;          // type
  int key_code = 0;          // key
  std::string problem;       // not empty: the action cannot be done
};

// Finds the control, node, row or item `action` means on `form`, and checks
// that a person could use it now (enabled and visible).
Target Resolve(Form& form, const Action& action);

// Does `action` on the form's controls directly, the way the headless
// backend lets a person act. Returns "" or what went wrong.
std::string PerformOnModel(Form& form, const Action& action);

}  // namespace orvex::ui

#endif  // ORVEX_PLATFORM_UI_ACTION_H_
