// Message boxes: a modal box with a text, a title, an icon and buttons,
// answered by the person (or the user agent standing in for one).
//
// The style value adds a button set (0: OK, 4: Yes and No), an icon (16
// critical, 32 question, 48 exclamation, 64 information) and the default
// button (256: the second). The forms use 16 and 48 (OK), 36 (Yes/No) and
// 292 (Yes/No with No as the default).
#ifndef ORVEX_PLATFORM_UI_MESSAGE_BOX_H_
#define ORVEX_PLATFORM_UI_MESSAGE_BOX_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orvex::ui {

inline constexpr int32_t kMbOkOnly = 0;
inline constexpr int32_t kMbYesNo = 4;
inline constexpr int32_t kMbCritical = 16;
inline constexpr int32_t kMbQuestion = 32;
inline constexpr int32_t kMbExclamation = 48;
inline constexpr int32_t kMbInformation = 64;
inline constexpr int32_t kMbDefaultButton2 = 256;

inline constexpr int32_t kAnswerOk = 1;
inline constexpr int32_t kAnswerYes = 6;
inline constexpr int32_t kAnswerNo = 7;

struct MessageBoxRequest {
  std::string text;
  std::string title;
  int32_t style = 0;

  bool yes_no() const { return (style & 7) == kMbYesNo; }
  // The answers the box offers, in button order.
  std::vector<int32_t> answers() const;
  // The button that has the focus when the box opens.
  int32_t default_answer() const;
  // The answer that changes nothing: OK for an OK box, No for a question.
  int32_t safe_answer() const { return yes_no() ? kAnswerNo : kAnswerOk; }
  // "critical", "question", "exclamation", "information" or "".
  std::string_view icon() const;
};

// Shows a message box on the calling thread's toolkit and returns the
// answer (kAnswerOk, kAnswerYes or kAnswerNo). The box is recorded for the
// thread's observer. Error 5 for a button set other than OK or Yes/No.
int32_t MessageBox(const std::string& text, int32_t style, const std::string& title);

// "ok", "yes", "no".
std::string_view AnswerName(int32_t answer);
// The answer named `name` (case-insensitive), or nullopt.
std::optional<int32_t> ParseAnswer(std::string_view name);

}  // namespace orvex::ui

#endif  // ORVEX_PLATFORM_UI_MESSAGE_BOX_H_
