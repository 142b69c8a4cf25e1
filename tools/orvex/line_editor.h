// Line editing, completion and history for the console's prompt, through
// libedit.
#ifndef ORVEX_TOOLS_ORVEX_LINE_EDITOR_H_
#define ORVEX_TOOLS_ORVEX_LINE_EDITOR_H_

#include <functional>
#include <string>
#include <string_view>

#include "completion.h"
#include "console.h"

struct editline;
struct history;

namespace orvex::console {

// Completes the line typed so far, up to the cursor (completion.h).
using Completer = std::function<Completion(std::string_view before_cursor)>;

// One editing session on the terminal: standard input, the prompt and the
// editing on standard error.
//
// The history of earlier sessions is read from `history_file` (if given) at
// the start; every line entered with text is added to it and the file is
// written again at once (replaced whole, readable by its owner only), so a
// session that is killed loses nothing it had been given. It keeps the last
// 1000 lines.
//
// Tab completes the word before the cursor through `complete`: one
// candidate replaces it, several replace it with what they share, or, when
// that adds nothing, are listed below the line.
//
// While `interrupt_fd` (InterruptHandler::wake_fd(), or -1) is readable,
// the line being typed is abandoned: ReadLine clears the interrupt and
// returns kInterrupted with what had been typed.
class LineEditor {
 public:
  LineEditor(std::string history_file, int interrupt_fd, Completer complete);
  ~LineEditor();
  LineEditor(const LineEditor&) = delete;
  LineEditor& operator=(const LineEditor&) = delete;

  InputLine ReadLine(std::string_view prompt);

 private:
  static int ReadChar(struct editline* el, wchar_t* c);
  static unsigned char OnTab(struct editline* el, int key);
  static char* Prompt(struct editline* el);
  static LineEditor& Of(struct editline* el);
  void SaveHistory();

  std::string history_file_;
  int interrupt_fd_;
  Completer complete_;
  std::string prompt_;
  bool interrupted_ = false;
  bool save_failed_ = false;  // reported once
  struct editline* el_ = nullptr;
  struct history* history_ = nullptr;
};

// ~/.orvex_history, or "" when HOME is not set.
std::string DefaultHistoryFile();

}  // namespace orvex::console

#endif  // ORVEX_TOOLS_ORVEX_LINE_EDITOR_H_
