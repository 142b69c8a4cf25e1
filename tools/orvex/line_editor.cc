#include "line_editor.h"

#include <fcntl.h>
#include <histedit.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <stdexcept>

#include "interrupt.h"

namespace orvex::console {
namespace {

constexpr int kHistoryLines = 1000;
// What Ctrl-C reads as on a terminal that does not turn it into SIGINT.
constexpr char kCtrlC = '\x03';

int TerminalColumns() {
  winsize size{};
  if (::ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) return size.ws_col;
  return 80;
}

// Lists the candidates below the line, as many to a row as fit.
void ListCandidates(const std::vector<std::string>& candidates) {
  size_t width = 0;
  for (const std::string& c : candidates) width = std::max(width, c.size());
  width += 2;
  size_t per_row = std::max<size_t>(1, static_cast<size_t>(TerminalColumns()) / width);
  std::string text = "\n";
  for (size_t i = 0; i < candidates.size(); ++i) {
    bool row_ends = (i + 1) % per_row == 0 || i + 1 == candidates.size();
    text += candidates[i];
    if (row_ends)
      text += '\n';
    else
      text.append(width - candidates[i].size(), ' ');
  }
  std::fputs(text.c_str(), stderr);
}

}  // namespace

LineEditor::LineEditor(std::string history_file, int interrupt_fd, Completer complete)
    : history_file_(std::move(history_file)),
      interrupt_fd_(interrupt_fd),
      complete_(std::move(complete)) {
  // Characters beyond ASCII are read and shown as the terminal's locale
  // encodes them; libedit looks at it when it starts.
  std::setlocale(LC_CTYPE, "");
  el_ = el_init("orvex", stdin, stderr, stderr);
  history_ = history_init();
  if (el_ == nullptr || history_ == nullptr) throw std::runtime_error("cannot start line editing");
  HistEvent event;
  history(history_, &event, H_SETSIZE, kHistoryLines);
  if (!history_file_.empty()) history(history_, &event, H_LOAD, history_file_.c_str());
  el_set(el_, EL_CLIENTDATA, this);
  el_set(el_, EL_EDITOR, "emacs");
  el_set(el_, EL_HIST, history, history_);
  el_set(el_, EL_PROMPT, &LineEditor::Prompt);
  el_set(el_, EL_GETCFN, &LineEditor::ReadChar);
  // The wide form keeps these names as given; the narrow form copies them
  // and never frees the copies.
  el_wset(el_, EL_ADDFN, L"orvex-complete", L"Complete the name before the cursor",
          &LineEditor::OnTab);
  el_set(el_, EL_BIND, "^I", "orvex-complete", nullptr);
  // The user's ~/.editrc still has the last word, as in other libedit
  // programs.
  el_source(el_, nullptr);
}

LineEditor::~LineEditor() {
  if (history_ != nullptr) history_end(history_);
  if (el_ != nullptr) el_end(el_);
}

LineEditor& LineEditor::Of(EditLine* el) {
  void* editor = nullptr;
  el_get(el, EL_CLIENTDATA, &editor);
  return *static_cast<LineEditor*>(editor);
}

char* LineEditor::Prompt(EditLine* el) { return Of(el).prompt_.data(); }

int LineEditor::ReadChar(EditLine* el, wchar_t* c) {
  LineEditor& self = Of(el);
  char bytes[MB_LEN_MAX];
  size_t have = 0;
  for (;;) {
    pollfd fds[2] = {{STDIN_FILENO, POLLIN, 0}, {self.interrupt_fd_, POLLIN, 0}};
    if (::poll(fds, self.interrupt_fd_ >= 0 ? 2 : 1, -1) < 0) {
      if (errno == EINTR) continue;
      return -1;
    }
    // Failing the read ends el_gets() with the line as typed so far.
    if (self.interrupt_fd_ >= 0 && (fds[1].revents & POLLIN) != 0) {
      self.interrupted_ = true;
      return -1;
    }
    if (fds[0].revents == 0) continue;
    ssize_t got = ::read(STDIN_FILENO, bytes + have, 1);
    if (got < 0 && (errno == EINTR || errno == EAGAIN)) continue;
    if (got < 0) return -1;
    if (got == 0) return 0;
    if (have == 0 && bytes[0] == kCtrlC) {
      self.interrupted_ = true;
      return -1;
    }
    ++have;
    std::mbstate_t state{};
    size_t n = std::mbrtowc(c, bytes, have, &state);
    if (n == static_cast<size_t>(-2) && have < sizeof bytes) continue;
    // A byte that starts no character is dropped.
    if (n == static_cast<size_t>(-1) || n == static_cast<size_t>(-2)) {
      have = 0;
      continue;
    }
    return 1;
  }
}

unsigned char LineEditor::OnTab(EditLine* el, int) {
  LineEditor& self = Of(el);
  const LineInfo* line = el_line(el);
  std::string_view before(line->buffer, static_cast<size_t>(line->cursor - line->buffer));
  Completion completion = self.complete_(before);
  const std::vector<std::string>& candidates = completion.candidates;
  if (candidates.empty()) return CC_REFRESH_BEEP;
  std::string_view word = before.substr(completion.start);
  std::string shared = SharedBeginning(candidates);
  if (shared != word) {
    el_deletestr(el, static_cast<int>(word.size()));
    el_insertstr(el, shared.c_str());
  }
  // Several candidates and nothing more to add: show them.
  if (candidates.size() > 1 && shared.size() <= word.size()) {
    ListCandidates(candidates);
    return CC_REDISPLAY;
  }
  return CC_REFRESH;
}

InputLine LineEditor::ReadLine(std::string_view prompt) {
  prompt_ = prompt;
  interrupted_ = false;
  int count = 0;
  const char* text = el_gets(el_, &count);
  if (interrupted_) {
    const LineInfo* line = el_line(el_);
    InputLine abandoned{InputLine::Kind::kInterrupted, std::string(line->buffer, line->lastchar)};
    ClearInterrupt();
    std::fputs("^C\n", stderr);
    return abandoned;
  }
  if (text == nullptr || count <= 0) return {};
  InputLine entered{InputLine::Kind::kText, std::string(text, static_cast<size_t>(count))};
  while (!entered.text.empty() && (entered.text.back() == '\n' || entered.text.back() == '\r'))
    entered.text.pop_back();
  if (!entered.text.empty()) {
    HistEvent event;
    history(history_, &event, H_ENTER, entered.text.c_str());
    SaveHistory();
  }
  return entered;
}

void LineEditor::SaveHistory() {
  if (history_file_.empty()) return;
  // Written beside the file and renamed over it, so the file is always
  // whole; only its owner may read it, as lines may hold passwords.
  std::string temporary = history_file_ + "." + std::to_string(::getpid());
  int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  FILE* file = fd >= 0 ? ::fdopen(fd, "w") : nullptr;
  bool saved = false;
  if (file != nullptr) {
    HistEvent event;
    saved = history(history_, &event, H_SAVE_FP, file) >= 0;
    saved = std::fclose(file) == 0 && saved;
    saved = saved && std::rename(temporary.c_str(), history_file_.c_str()) == 0;
  } else if (fd >= 0) {
    ::close(fd);
  }
  int error = errno;
  if (saved) return;
  ::unlink(temporary.c_str());
  if (save_failed_) return;
  save_failed_ = true;
  std::fprintf(stderr, "orvex: cannot save the history in %s: %s\n", history_file_.c_str(),
               std::strerror(error));
}

std::string DefaultHistoryFile() {
  const char* home = std::getenv("HOME");
  if (home == nullptr || *home == '\0') return "";
  return std::string(home) + "/.orvex_history";
}

}  // namespace orvex::console
