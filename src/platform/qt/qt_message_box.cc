#include "platform/qt/qt_message_box.h"

#include <algorithm>

#include <QAbstractButton>
#include <QApplication>
#include <QGridLayout>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

#include "platform/language.h"
#include "platform/qt/qt_backend.h"
#include "platform/qt/window_picture.h"

namespace orvex::qt {
namespace {

// Button captions as the system shows them in the thread's language.
QString Caption(int32_t answer) {
  const bool japanese = platform::ThreadLanguage() == platform::kLangJapanese;
  switch (answer) {
    case ui::kAnswerYes:
      return japanese ? QString::fromUtf8("はい") : QStringLiteral("Yes");
    case ui::kAnswerNo:
      return japanese ? QString::fromUtf8("いいえ") : QStringLiteral("No");
    default:
      return QStringLiteral("OK");
  }
}

QMessageBox::Icon IconOf(const ui::MessageBoxRequest& request) {
  const std::string_view icon = request.icon();
  if (icon == "critical") return QMessageBox::Critical;
  if (icon == "question") return QMessageBox::Question;
  if (icon == "exclamation") return QMessageBox::Warning;
  if (icon == "information") return QMessageBox::Information;
  return QMessageBox::NoIcon;
}

// QMessageBox sizes itself for its text and buttons and gives the title
// only a rough allowance, so a long title (the category delete question
// has one) is cut short in the title bar. A spacer as wide as the title
// needs keeps the box at least that wide whenever the box sizes itself; a
// title wider than the screen is left to be cut short.
void MakeRoomForTitle(QMessageBox& box) {
  auto* grid = qobject_cast<QGridLayout*>(box.layout());
  if (grid == nullptr) return;
  const QMargins margins = grid->contentsMargins();
  const int width = std::min(TitleBarWidth(box), box.screen()->availableGeometry().width());
  const int room = width - margins.left() - margins.right();
  grid->addItem(new QSpacerItem(room, 0, QSizePolicy::Minimum, QSizePolicy::Fixed),
                grid->rowCount(), 0, 1, grid->columnCount());
}

}  // namespace

int32_t ShowQtMessageBox(const ui::MessageBoxRequest& request, ui::UserAgent* agent,
                         const std::string& screenshot_path) {
  // Over the form that raised it, and above it when that form is topmost.
  QWidget* owner = QApplication::activeModalWidget();
  QMessageBox box(owner);
  if (owner != nullptr && (owner->windowFlags() & Qt::WindowStaysOnTopHint))
    box.setWindowFlag(Qt::WindowStaysOnTopHint, true);
  box.setWindowTitle(QString::fromStdString(request.title));
  box.setText(QString::fromStdString(request.text));
  box.setIcon(IconOf(request));
  box.setTextFormat(Qt::PlainText);

  QMap<QAbstractButton*, int32_t> answers;
  for (int32_t answer : request.answers()) {
    QMessageBox::StandardButton standard = answer == ui::kAnswerYes  ? QMessageBox::Yes
                                           : answer == ui::kAnswerNo ? QMessageBox::No
                                                                     : QMessageBox::Ok;
    QPushButton* button = box.addButton(standard);
    button->setText(Caption(answer));
    answers.insert(button, answer);
    if (answer == request.default_answer()) box.setDefaultButton(button);
  }
  box.setEscapeButton(answers.key(request.safe_answer()));
  MakeRoomForTitle(box);

  box.setWindowModality(Qt::ApplicationModal);
  box.show();
  if (!screenshot_path.empty()) SaveWindowPicture(box, screenshot_path);

  ui::SafeAgent safe;
  ui::UserAgent* acting = agent != nullptr ? agent : NoPersonPresent() ? &safe : nullptr;
  if (acting != nullptr && acting->LeavesUnscriptedToPerson() && !acting->HasAnswerFor(request) &&
      !NoPersonPresent()) {
    acting = nullptr;  // the person at the display answers
  }
  if (acting != nullptr) {
    QAbstractButton* button = answers.key(acting->AnswerMessageBox(request), nullptr);
    if (button == nullptr) button = answers.key(request.safe_answer());
    QPointer<QAbstractButton> target(button);
    QTimer::singleShot(0, &box, [target] {
      if (target) target->click();
    });
  }
  box.exec();
  // The keyboard goes back to the form the box stood over; a window
  // manager would see to it, a bare X server leaves the focus nowhere.
  if (owner != nullptr && owner->isVisible() && !NoPersonPresent()) owner->activateWindow();
  return answers.value(box.clickedButton(), request.safe_answer());
}

}  // namespace orvex::qt
