// Line editing and history for the console's prompt, through libedit.
#ifndef ORVEX_TOOLS_ORVEX_LINE_EDITOR_H_
#define ORVEX_TOOLS_ORVEX_LINE_EDITOR_H_

#include <optional>
#include <string>
#include <string_view>

namespace orvex::console {

// One editing session on the terminal. The history of earlier sessions is
// read from `history_file` (if given) at the start and written back, with
// this session's lines, at the end; it keeps the last 1000 lines.
class LineEditor {
 public:
  explicit LineEditor(std::string history_file);
  ~LineEditor();
  LineEditor(const LineEditor&) = delete;
  LineEditor& operator=(const LineEditor&) = delete;

  // The next line typed after `prompt`; nullopt at the end of input (Ctrl-D).
  // Lines with text are added to the history.
  std::optional<std::string> ReadLine(std::string_view prompt);

 private:
  std::string history_file_;
};

// ~/.orvex_history, or "" when HOME is not set.
std::string DefaultHistoryFile();

}  // namespace orvex::console

#endif  // ORVEX_TOOLS_ORVEX_LINE_EDITOR_H_
