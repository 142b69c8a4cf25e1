// The control mirrors of the Qt form view: each keeps one widget in step
// with one control of the form, copying the control's state to the widget
// without echo and turning what the person does in the widget into the
// control's User/View calls.
#ifndef ORVEX_PLATFORM_QT_CONTROL_SYNC_H_
#define ORVEX_PLATFORM_QT_CONTROL_SYNC_H_

#include <QPoint>
#include <QWidget>
#include <memory>
#include <optional>

#include "platform/ui/action.h"
#include "platform/ui/control.h"

class QKeyEvent;

namespace orvex::qt {

class QtFormView;

// Keeps one widget in step with one control.
class ControlSync : public ui::ControlView {
 public:
  ControlSync(QtFormView& view, ui::Control& control) : view_(view), control_(control) {
    control_.AttachView(this);
  }
  ~ControlSync() override { control_.AttachView(nullptr); }

  ui::Control& control() const { return control_; }
  virtual QWidget* widget() const = 0;
  void Changed(const ui::Change& change) override {
    if (QWidget* w = widget()) {
      w->setEnabled(control_.Enabled());
      w->setVisible(control_.Visible());
    }
    Sync(change);
  }
  virtual void Sync(const ui::Change& change) = 0;

  // Where a person clicks to reach a node or row of the control.
  struct Spot {
    QWidget* viewport;
    QPoint at;
  };
  // Brings the target's node or row into view and gives its centre;
  // nothing when the control shows no such item.
  virtual std::optional<Spot> Reach(const ui::Target&) { return std::nullopt; }

 protected:
  QtFormView& view_;
  ui::Control& control_;
};

// The mirror of `control` on `view`'s dialog: a widget for a label,
// button, text box, combo box, list box, list view or tree view, a QTimer
// for a timer, nothing on screen for an image list.
std::unique_ptr<ControlSync> MakeControlSync(QtFormView& view, ui::Control& control);

// Whether `e` is Enter, of the main keyboard or the keypad.
bool IsEnterKey(const QKeyEvent& e);

}  // namespace orvex::qt

#endif  // ORVEX_PLATFORM_QT_CONTROL_SYNC_H_
