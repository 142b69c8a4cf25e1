#include "platform/ui/message_box.h"

#include <algorithm>
#include <filesystem>

#include "platform/text.h"
#include "platform/ui/backend.h"
#include "platform/ui/errors.h"
#include "platform/ui/record.h"
#include "platform/ui/session.h"
#include "platform/ui/toolkit.h"

namespace orvex::ui {

std::vector<int32_t> MessageBoxRequest::answers() const {
  if (yes_no()) return {kAnswerYes, kAnswerNo};
  return {kAnswerOk};
}

int32_t MessageBoxRequest::default_answer() const {
  const std::vector<int32_t> all = answers();
  if ((style & kMbDefaultButton2) != 0 && all.size() > 1) return all[1];
  return all[0];
}

std::string_view MessageBoxRequest::icon() const {
  switch (style & 0x70) {
    case kMbCritical:
      return "critical";
    case kMbQuestion:
      return "question";
    case kMbExclamation:
      return "exclamation";
    case kMbInformation:
      return "information";
    default:
      return "";
  }
}

std::string_view AnswerName(int32_t answer) {
  switch (answer) {
    case kAnswerYes:
      return "yes";
    case kAnswerNo:
      return "no";
    default:
      return "ok";
  }
}

std::optional<int32_t> ParseAnswer(std::string_view name) {
  if (platform::CompareNoCase(name, "yes") == 0) return kAnswerYes;
  if (platform::CompareNoCase(name, "no") == 0) return kAnswerNo;
  if (platform::CompareNoCase(name, "ok") == 0) return kAnswerOk;
  return std::nullopt;
}

int32_t MessageBox(const std::string& text, int32_t style, const std::string& title) {
  const int32_t buttons = style & 7;
  if (buttons != kMbOkOnly && buttons != kMbYesNo)
    ThrowUiError(kErrInvalidProcedureCall, "message box style " + std::to_string(style));
  MessageBoxRequest request{text, title, style};
  Backend& backend = CurrentBackend();
  const std::string shot = NextScreenshotPath("msgbox");
  PushModal(&request);
  int32_t answer;
  try {
    answer = backend.ShowMessageBox(request, CurrentUserAgent(), shot);
  } catch (...) {
    PopModal(&request);
    throw;
  }
  PopModal(&request);
  const std::vector<int32_t> offered = request.answers();
  if (std::find(offered.begin(), offered.end(), answer) == offered.end())
    answer = request.safe_answer();
  if (Observed()) {
    nlohmann::json record = MessageBoxRecord(request, answer);
    std::error_code ec;
    if (!shot.empty() && std::filesystem::exists(shot, ec)) record["screenshot"] = shot;
    EmitRecord({{"msgbox", record}});
  }
  return answer;
}

}  // namespace orvex::ui
