#include "platform/qt/qt_form_view.h"

#include <QApplication>
#include <QBoxLayout>
#include <QCloseEvent>
#include <QComboBox>
#include <QDialog>
#include <QEventLoop>
#include <QGuiApplication>
#include <QHash>
#include <QHeaderView>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QTreeWidget>
#include <algorithm>

#include "platform/qt/qt_backend.h"
#include "platform/qt/window_picture.h"
#include "platform/ui/button.h"
#include "platform/ui/combo_box.h"
#include "platform/ui/form.h"
#include "platform/ui/image_list.h"
#include "platform/ui/label.h"
#include "platform/ui/list_box.h"
#include "platform/ui/list_view.h"
#include "platform/ui/session.h"
#include "platform/ui/text_box.h"
#include "platform/ui/timer.h"
#include "platform/ui/tree_view.h"
#include "platform/ui/user_agent.h"

namespace orvex::qt {

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

// The keys of a KeyPress event for a Qt key event; 0 for keys that are no
// characters (arrows, function keys, shortcuts).
int KeyCodeOf(const QKeyEvent& e) {
  switch (e.key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      return ui::kKeyEnter;
    case Qt::Key_Backspace:
      return ui::kKeyBackspace;
    case Qt::Key_Escape:
      return ui::kKeyEscape;
    default:
      break;
  }
  if (e.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) return 0;
  const QString text = e.text();
  if (text.isEmpty() || !text.at(0).isPrint()) return 0;
  return static_cast<int>(text.toUcs4().value(0));
}

void SendKey(QWidget* target, int code) {
  int key = Qt::Key_unknown;
  QString text;
  if (code == ui::kKeyEnter) {
    key = Qt::Key_Return;
    text = "\r";
  } else if (code == ui::kKeyBackspace) {
    key = Qt::Key_Backspace;
    text = "\b";
  } else if (code == ui::kKeyEscape) {
    key = Qt::Key_Escape;
    text = QString(QChar(0x1b));
  } else {
    const char32_t c = static_cast<char32_t>(code);
    text = QString::fromUcs4(&c, 1);
    if (code == ' ') key = Qt::Key_Space;
  }
  QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
  QCoreApplication::sendEvent(target, &press);
  QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
  QCoreApplication::sendEvent(target, &release);
}

void SendMouse(QWidget* target, QEvent::Type type, QPoint at, Qt::MouseButtons buttons) {
  QMouseEvent e(type, QPointF(at), QPointF(target->mapToGlobal(at)), Qt::LeftButton, buttons,
                Qt::NoModifier);
  QCoreApplication::sendEvent(target, &e);
}

void ClickAt(QWidget* target, QPoint at) {
  SendMouse(target, QEvent::MouseButtonPress, at, Qt::LeftButton);
  SendMouse(target, QEvent::MouseButtonRelease, at, Qt::NoButton);
}

void DoubleClickAt(QWidget* target, QPoint at) {
  ClickAt(target, at);
  SendMouse(target, QEvent::MouseButtonDblClick, at, Qt::LeftButton);
  SendMouse(target, QEvent::MouseButtonRelease, at, Qt::NoButton);
}

QIcon ImageIcon(const std::string& key) {
  static QHash<QString, QIcon> cache;
  const QString k = Q(key);
  auto it = cache.find(k);
  if (it == cache.end()) it = cache.insert(k, QIcon(":/orvex/images/" + k + ".png"));
  return *it;
}

bool IsEnterKey(const QKeyEvent& e) {
  return e.key() == Qt::Key_Return || e.key() == Qt::Key_Enter;
}

// The dialog window: its frame's close box and Escape go to the form as a
// close from the frame. Enter that no control took presses the focused
// button, or else the form's default button (Form::UserEnter), through the
// form's own Click handlers.
class FormDialog : public QDialog {
 public:
  explicit FormDialog(QtFormView& view) : view_(view) {}

 protected:
  void closeEvent(QCloseEvent* e) override {
    e->ignore();
    view_.FrameClose();
  }
  void reject() override { view_.FrameClose(); }
  void keyPressEvent(QKeyEvent* e) override {
    if (IsEnterKey(*e)) {
      e->accept();
      auto* focused = qobject_cast<QPushButton*>(focusWidget());
      if (focused != nullptr && focused->isEnabled() && focused->isVisible()) {
        focused->click();
      } else {
        view_.Guard([this] { view_.form().UserEnter(); });
      }
      return;
    }
    QDialog::keyPressEvent(e);
  }
  void paintEvent(QPaintEvent* e) override {
    QDialog::paintEvent(e);
    view_.Painted();
  }

 private:
  QtFormView& view_;
};

// Feeds keys typed into an editor through the control's KeyPress event.
class KeyFilter : public QObject {
 public:
  KeyFilter(QtFormView& view, ui::EditableText& edit, QObject* parent)
      : QObject(parent), view_(view), edit_(edit) {}

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::KeyPress) return false;
    const auto& key = *static_cast<QKeyEvent*>(event);
    // Ctrl+Enter confirms the form from a multi-line entry too.
    if (IsEnterKey(key) && (key.modifiers() & Qt::ControlModifier)) {
      view_.Guard([this] { view_.form().UserEnter(); });
      return true;
    }
    const int code = KeyCodeOf(key);
    if (code == 0) return false;
    int result = 0;
    view_.Guard([&] { result = edit_.FilterKey(code); });
    if (result == 0) return true;
    // Enter that the KeyPress handler left in a one-line entry confirms the
    // form, as it does headless (EditableText::UserKey).
    if (code == ui::kKeyEnter && !edit_.multiline()) {
      view_.Guard([this] { view_.form().UserEnter(); });
      return true;
    }
    if (result != code) {
      const char32_t c = static_cast<char32_t>(result);
      if (auto* line = qobject_cast<QLineEdit*>(watched)) line->insert(QString::fromUcs4(&c, 1));
      if (auto* plain = qobject_cast<QPlainTextEdit*>(watched))
        plain->insertPlainText(QString::fromUcs4(&c, 1));
      return true;
    }
    return false;
  }

 private:
  QtFormView& view_;
  ui::EditableText& edit_;
};

// Tells whether events of one kind are being handled right now: set when
// such an event arrives, cleared once the event loop has dealt with it.
struct EventWatch : QObject {
  explicit EventWatch(std::initializer_list<QEvent::Type> watched) : types(watched) {}
  std::vector<QEvent::Type> types;
  bool active = false;
  bool eventFilter(QObject*, QEvent* e) override {
    if (std::find(types.begin(), types.end(), e->type()) != types.end() && !active) {
      active = true;
      QTimer::singleShot(0, this, [this] { active = false; });
    }
    return false;
  }
};

}  // namespace

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

 protected:
  QtFormView& view_;
  ui::Control& control_;
};

namespace {

class LabelSync : public ControlSync {
 public:
  LabelSync(QtFormView& view, ui::Label& label) : ControlSync(view, label), label_(label) {
    widget_ = new QLabel(view.dialog());
    widget_->setWordWrap(true);
    widget_->setTextFormat(Qt::PlainText);
  }
  QWidget* widget() const override { return widget_; }
  void Sync(const ui::Change&) override { widget_->setText(Q(label_.Caption())); }

 private:
  ui::Label& label_;
  QLabel* widget_;
};

class ButtonSync : public ControlSync {
 public:
  ButtonSync(QtFormView& view, ui::Button& button) : ControlSync(view, button), button_(button) {
    widget_ = new QPushButton(view.dialog());
    widget_->setAutoDefault(false);
    widget_->setMinimumWidth(96);
    QObject::connect(widget_, &QPushButton::clicked,
                     [this] { view_.Guard([this] { button_.UserPress(); }); });
  }
  QWidget* widget() const override { return widget_; }
  void Sync(const ui::Change&) override { widget_->setText(Q(button_.Caption())); }

 private:
  ui::Button& button_;
  QPushButton* widget_;
};

class TextSync : public ControlSync {
 public:
  TextSync(QtFormView& view, ui::TextBox& box) : ControlSync(view, box), box_(box) {
    if (box.multiline()) {
      plain_ = new QPlainTextEdit(view.dialog());
      plain_->setMinimumHeight(120);
      plain_->installEventFilter(new KeyFilter(view, box, plain_));
      QObject::connect(plain_, &QPlainTextEdit::textChanged, [this] {
        view_.Guard([this] { box_.ViewEdited(plain_->toPlainText().toStdString()); });
      });
    } else {
      line_ = new QLineEdit(view.dialog());
      line_->setMinimumWidth(280);
      line_->installEventFilter(new KeyFilter(view, box, line_));
      QObject::connect(line_, &QLineEdit::textEdited, [this](const QString& text) {
        view_.Guard([&] { box_.ViewEdited(text.toStdString()); });
      });
    }
  }
  QWidget* widget() const override {
    return plain_ != nullptr ? static_cast<QWidget*>(plain_) : line_;
  }
  void Sync(const ui::Change&) override {
    const QString text = Q(box_.Text());
    if (line_ != nullptr && line_->text() != text) {
      QSignalBlocker block(line_);
      line_->setText(text);
    }
    if (plain_ != nullptr && plain_->toPlainText() != text) {
      QSignalBlocker block(plain_);
      plain_->setPlainText(text);
    }
  }

 private:
  ui::TextBox& box_;
  QLineEdit* line_ = nullptr;
  QPlainTextEdit* plain_ = nullptr;
};

class ComboSync : public ControlSync {
 public:
  ComboSync(QtFormView& view, ui::ComboBox& combo) : ControlSync(view, combo), combo_(combo) {
    widget_ = new QComboBox(view.dialog());
    widget_->setMinimumWidth(280);
    // A pick, by mouse or by the arrow keys, is the control's Click.
    QObject::connect(widget_, &QComboBox::activated,
                     [this](int index) { view_.Guard([&] { combo_.UserChoose(index); }); });
    if (combo.pick_only()) return;
    widget_->setEditable(true);
    widget_->setInsertPolicy(QComboBox::NoInsert);
    // The text is what the person typed: no item is completed behind the
    // form logic's back (its KeyPress handler sees every key).
    widget_->setCompleter(nullptr);
    widget_->lineEdit()->installEventFilter(new KeyFilter(view, combo, widget_));
    QObject::connect(widget_->lineEdit(), &QLineEdit::textEdited, [this](const QString& text) {
      view_.Guard([&] { combo_.ViewEdited(text.toStdString()); });
    });
  }
  QWidget* widget() const override { return widget_; }
  QLineEdit* editor() const { return widget_->lineEdit(); }
  void Sync(const ui::Change&) override {
    QSignalBlocker block(widget_);
    QStringList items;
    for (const auto& item : combo_.Items()) items << Q(item);
    QStringList shown;
    for (int i = 0; i < widget_->count(); ++i) shown << widget_->itemText(i);
    if (shown != items) {
      widget_->clear();
      widget_->addItems(items);
    }
    widget_->setCurrentIndex(combo_.ListIndex());
    if (widget_->isEditable() && widget_->currentText() != Q(combo_.Text()))
      widget_->setEditText(Q(combo_.Text()));
  }

 private:
  ui::ComboBox& combo_;
  QComboBox* widget_;
};

class ListBoxSync : public ControlSync {
 public:
  ListBoxSync(QtFormView& view, ui::ListBox& list) : ControlSync(view, list), list_(list) {
    widget_ = new QListWidget(view.dialog());
    widget_->setSelectionMode(QAbstractItemView::MultiSelection);
    widget_->setMinimumSize(280, 160);
    QObject::connect(widget_, &QListWidget::itemSelectionChanged, [this] {
      std::vector<bool> selected;
      for (int i = 0; i < widget_->count(); ++i) selected.push_back(widget_->item(i)->isSelected());
      view_.Guard([&] { list_.ViewSelectionChanged(selected); });
    });
  }
  QWidget* widget() const override { return widget_; }
  QListWidgetItem* Item(int index) const { return widget_->item(index); }
  void Sync(const ui::Change&) override {
    QSignalBlocker block(widget_);
    if (widget_->count() != list_.ListCount()) {
      widget_->clear();
      for (int i = 0; i < list_.ListCount(); ++i) widget_->addItem(Q(list_.List(i)));
    }
    for (int i = 0; i < list_.ListCount(); ++i) {
      widget_->item(i)->setText(Q(list_.List(i)));
      widget_->item(i)->setSelected(list_.Selected(i));
    }
  }

 private:
  ui::ListBox& list_;
  QListWidget* widget_;
};

class ListViewSync : public ControlSync {
 public:
  static constexpr int kColumnSpacing = 16;

  ListViewSync(QtFormView& view, ui::ListView& list) : ControlSync(view, list), list_(list) {
    widget_ = new QTreeWidget(view.dialog());
    widget_->setRootIsDecorated(false);
    widget_->setUniformRowHeights(true);
    widget_->setSelectionMode(QAbstractItemView::SingleSelection);
    widget_->setMinimumSize(480, 220);
    widget_->header()->setStretchLastSection(true);
    QObject::connect(widget_, &QTreeWidget::itemClicked, [this](QTreeWidgetItem* item, int) {
      view_.Guard([&] { list_.ViewClicked(widget_->indexOfTopLevelItem(item)); });
    });
    QObject::connect(widget_, &QTreeWidget::itemDoubleClicked, [this](QTreeWidgetItem* item, int) {
      view_.Guard([&] { list_.ViewDoubleClicked(widget_->indexOfTopLevelItem(item)); });
    });
    // A key that moves the selection is a click on the row it lands on (so
    // a row picked with the arrows enables what a click enables); the
    // current row also moves when the list merely gets the focus, which is
    // no click.
    widget_->installEventFilter(&key_watch_);
    widget_->installEventFilter(&open_keys_);
    QObject::connect(widget_, &QTreeWidget::currentItemChanged,
                     [this](QTreeWidgetItem* item, QTreeWidgetItem*) {
                       if (!key_watch_.active) return;
                       const int index = item ? widget_->indexOfTopLevelItem(item) : -1;
                       view_.Guard([&] { list_.ViewClicked(index); });
                     });
  }
  QWidget* widget() const override { return widget_; }
  QTreeWidgetItem* Item(int index) const { return widget_->topLevelItem(index); }
  void Sync(const ui::Change&) override {
    QSignalBlocker block(widget_);
    QStringList headers;
    for (const auto& h : list_.ColumnHeaders()) headers << Q(h);
    widget_->setColumnCount(static_cast<int>(headers.size()));
    widget_->setHeaderLabels(headers);
    while (widget_->topLevelItemCount() > list_.Count()) delete widget_->takeTopLevelItem(0);
    while (widget_->topLevelItemCount() < list_.Count())
      widget_->addTopLevelItem(new QTreeWidgetItem);
    for (int i = 0; i < list_.Count(); ++i) {
      const ui::ListItem& row = list_.Item(i);
      QTreeWidgetItem* item = widget_->topLevelItem(i);
      item->setText(0, Q(row.Text()));
      for (size_t c = 0; c < row.SubItems().size(); ++c)
        item->setText(static_cast<int>(c) + 1, Q(row.SubItems()[c]));
    }
    ui::ListItem* selected = list_.SelectedItem();
    if (selected != nullptr) {
      widget_->setCurrentItem(widget_->topLevelItem(selected->Index()));
    } else {
      widget_->clearSelection();
      widget_->setCurrentItem(nullptr);
    }
    // Every column but the last (which stretches) fits its header and its
    // texts, with room to spare so neither touches the next column.
    for (int c = 0; c + 1 < widget_->columnCount(); ++c) {
      widget_->resizeColumnToContents(c);
      const int fit = std::max(widget_->columnWidth(c), widget_->header()->sectionSizeHint(c));
      widget_->setColumnWidth(c, fit + kColumnSpacing);
    }
  }

 private:
  // Enter, Space and F2 on the current row open it as a double click does;
  // Enter with no current row goes on to the dialog (its default button).
  struct OpenKeys : QObject {
    explicit OpenKeys(ListViewSync& owner) : sync(owner) {}
    ListViewSync& sync;
    bool eventFilter(QObject*, QEvent* e) override {
      if (e->type() != QEvent::KeyPress) return false;
      const auto& key = *static_cast<QKeyEvent*>(e);
      if (key.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return false;
      if (!IsEnterKey(key) && key.key() != Qt::Key_Space && key.key() != Qt::Key_F2) return false;
      QTreeWidgetItem* item = sync.widget_->currentItem();
      if (item == nullptr) return false;
      const int index = sync.widget_->indexOfTopLevelItem(item);
      sync.view_.Guard([&] {
        const ui::ListItem* selected = sync.list_.SelectedItem();
        if (selected == nullptr || selected->Index() != index) sync.list_.ViewClicked(index);
        sync.list_.ViewDoubleClicked(index);
      });
      return true;
    }
  };

  ui::ListView& list_;
  QTreeWidget* widget_;
  EventWatch key_watch_{QEvent::KeyPress};
  OpenKeys open_keys_{*this};
};

class TreeSync : public ControlSync {
 public:
  TreeSync(QtFormView& view, ui::TreeView& tree) : ControlSync(view, tree), tree_(tree) {
    widget_ = new QTreeWidget(view.dialog());
    widget_->setHeaderHidden(true);
    widget_->setColumnCount(1);
    widget_->setMinimumSize(320, 280);
    widget_->setIconSize(QSize(16, 16));
    widget_->viewport()->installEventFilter(&mouse_watch_);
    widget_->installEventFilter(&key_watch_);
    // The current item also moves when the tree merely gets the focus;
    // only a person's click or key is a selection.
    QObject::connect(widget_, &QTreeWidget::currentItemChanged,
                     [this](QTreeWidgetItem* item, QTreeWidgetItem*) {
                       if (!key_watch_.active || mouse_watch_.active) return;
                       ui::TreeNode* node = NodeOf(item);
                       view_.Guard([&] {
                         tree_.ViewSelected(node);
                         tree_.ViewClicked();
                       });
                     });
    QObject::connect(widget_, &QTreeWidget::itemClicked, [this](QTreeWidgetItem* item, int) {
      ui::TreeNode* node = NodeOf(item);
      view_.Guard([&] {
        tree_.ViewSelected(node);
        tree_.ViewClicked();
      });
    });
    QObject::connect(widget_, &QTreeWidget::itemExpanded, [this](QTreeWidgetItem* item) {
      if (ui::TreeNode* node = NodeOf(item)) tree_.ViewExpanded(*node, true);
    });
    QObject::connect(widget_, &QTreeWidget::itemCollapsed, [this](QTreeWidgetItem* item) {
      if (ui::TreeNode* node = NodeOf(item)) tree_.ViewExpanded(*node, false);
    });
  }
  QWidget* widget() const override { return widget_; }
  QTreeWidget* tree_widget() const { return widget_; }
  QTreeWidgetItem* ItemOf(const ui::TreeNode* node) const { return items_.value(node, nullptr); }

  void Sync(const ui::Change& change) override {
    QSignalBlocker block(widget_);
    switch (change.kind) {
      case ui::Change::kNodeAdded:
        Add(*change.node);
        break;
      case ui::Change::kNodeRemoving:
        Forget(*change.node);
        delete ItemOf(change.node);
        items_.remove(change.node);
        break;
      case ui::Change::kNodeChanged:
        Update(*change.node);
        break;
      case ui::Change::kCleared:
        widget_->clear();
        items_.clear();
        nodes_.clear();
        break;
      case ui::Change::kSelection:
        break;
      case ui::Change::kAll:
        Rebuild();
        break;
    }
    QTreeWidgetItem* current = ItemOf(tree_.SelectedItem());
    if (widget_->currentItem() != current) {
      if (current != nullptr) {
        widget_->setCurrentItem(current);
      } else {
        widget_->clearSelection();
        widget_->setCurrentItem(nullptr);
      }
    }
  }

 private:
  ui::TreeNode* NodeOf(QTreeWidgetItem* item) const { return nodes_.value(item, nullptr); }

  void Add(const ui::TreeNode& node) {
    QTreeWidgetItem* item = nullptr;
    if (QTreeWidgetItem* parent = ItemOf(node.Parent())) {
      item = new QTreeWidgetItem(parent);
    } else {
      item = new QTreeWidgetItem(widget_);
    }
    items_.insert(&node, item);
    nodes_.insert(item, const_cast<ui::TreeNode*>(&node));
    Update(node);
  }

  void Update(const ui::TreeNode& node) {
    QTreeWidgetItem* item = ItemOf(&node);
    if (item == nullptr) return;
    item->setText(0, Q(node.Text()));
    const bool has_picture = tree_.image_list() != nullptr && !node.Image().empty();
    item->setIcon(0, has_picture ? ImageIcon(node.Image()) : QIcon());
    item->setExpanded(node.Expanded());
  }

  void Forget(const ui::TreeNode& node) {
    for (const ui::TreeNode* child : node.Children()) {
      Forget(*child);
      items_.remove(child);
    }
    nodes_.remove(ItemOf(&node));
  }

  void Rebuild() {
    widget_->clear();
    items_.clear();
    nodes_.clear();
    for (const auto& node : tree_.Nodes()) Add(*node);
    // Expansion only shows once the children are there.
    for (const auto& node : tree_.Nodes()) Update(*node);
  }

  ui::TreeView& tree_;
  QTreeWidget* widget_;
  EventWatch mouse_watch_{QEvent::MouseButtonPress, QEvent::MouseButtonRelease,
                          QEvent::MouseButtonDblClick};
  EventWatch key_watch_{QEvent::KeyPress};
  QHash<const ui::TreeNode*, QTreeWidgetItem*> items_;
  QHash<QTreeWidgetItem*, ui::TreeNode*> nodes_;
};

class TimerSync : public ControlSync {
 public:
  TimerSync(QtFormView& view, ui::Timer& timer) : ControlSync(view, timer), timer_(timer) {
    qtimer_ = new QTimer(view.dialog());
    QObject::connect(qtimer_, &QTimer::timeout, [this] { view_.Guard([this] { timer_.Fire(); }); });
  }
  QWidget* widget() const override { return nullptr; }
  // An enabled timer of a shown form runs once the window is painted.
  void Sync(const ui::Change&) override {
    qtimer_->setInterval(timer_.Interval());
    const bool run = timer_.Enabled() && (!view_.dialog()->isVisible() || view_.painted());
    if (run && !qtimer_->isActive()) qtimer_->start();
    if (!run && qtimer_->isActive()) qtimer_->stop();
  }

 private:
  ui::Timer& timer_;
  QTimer* qtimer_;
};

class PassiveSync : public ControlSync {
 public:
  using ControlSync::ControlSync;
  QWidget* widget() const override { return nullptr; }
  void Sync(const ui::Change&) override {}
};

bool IsListKind(ui::ControlKind kind) {
  return kind == ui::ControlKind::kTreeView || kind == ui::ControlKind::kListView ||
         kind == ui::ControlKind::kListBox;
}

}  // namespace

QtFormView::QtFormView(ui::Form& form) : form_(form) {
  dialog_ = new FormDialog(*this);
  Build();
}

QtFormView::~QtFormView() {
  syncs_.clear();
  // A QApplication that is already gone cannot delete widgets any more.
  if (QCoreApplication::instance() != nullptr && dialog_) delete dialog_;
}

void QtFormView::Build() {
  QDialog* d = dialog_;
  bool side_buttons = false;
  for (const auto& c : form_.controls()) side_buttons |= IsListKind(c->kind());

  auto* content = new QVBoxLayout;
  QBoxLayout* buttons = side_buttons ? static_cast<QBoxLayout*>(new QVBoxLayout)
                                     : static_cast<QBoxLayout*>(new QHBoxLayout);
  if (!side_buttons) buttons->addStretch(1);
  QHBoxLayout* row = nullptr;
  bool any_button = false;
  // Tab goes through the content in layout order, then the button area.
  std::vector<QWidget*> content_order, button_order;

  for (size_t i = 0; i < form_.controls().size(); ++i) {
    ui::Control& c = *form_.controls()[i];
    const ui::ControlDeclaration& decl = form_.declaration().controls[i];
    std::unique_ptr<ControlSync> sync;
    switch (c.kind()) {
      case ui::ControlKind::kLabel:
        sync = std::make_unique<LabelSync>(*this, static_cast<ui::Label&>(c));
        break;
      case ui::ControlKind::kButton:
        sync = std::make_unique<ButtonSync>(*this, static_cast<ui::Button&>(c));
        break;
      case ui::ControlKind::kTextBox:
        sync = std::make_unique<TextSync>(*this, static_cast<ui::TextBox&>(c));
        break;
      case ui::ControlKind::kComboBox:
        sync = std::make_unique<ComboSync>(*this, static_cast<ui::ComboBox&>(c));
        break;
      case ui::ControlKind::kListBox:
        sync = std::make_unique<ListBoxSync>(*this, static_cast<ui::ListBox&>(c));
        break;
      case ui::ControlKind::kListView:
        sync = std::make_unique<ListViewSync>(*this, static_cast<ui::ListView&>(c));
        break;
      case ui::ControlKind::kTreeView:
        sync = std::make_unique<TreeSync>(*this, static_cast<ui::TreeView&>(c));
        break;
      case ui::ControlKind::kTimer:
        sync = std::make_unique<TimerSync>(*this, static_cast<ui::Timer&>(c));
        break;
      case ui::ControlKind::kImageList:
        sync = std::make_unique<PassiveSync>(*this, c);
        break;
    }
    if (QWidget* w = sync->widget()) {
      w->setObjectName(Q(c.name()));
      if (decl.width > 0 || decl.height > 0) {
        w->setMinimumSize(decl.width > 0 ? decl.width : w->minimumWidth(),
                          decl.height > 0 ? decl.height : w->minimumHeight());
      }
      if (decl.is_default) static_cast<QPushButton*>(w)->setDefault(true);
      if (c.kind() == ui::ControlKind::kButton && !decl.beside_previous) {
        buttons->addWidget(w);
        button_order.push_back(w);
        any_button = true;
      } else if (decl.beside_previous && row != nullptr) {
        row->addWidget(w);
        content_order.push_back(w);
      } else {
        content_order.push_back(w);
        row = new QHBoxLayout;
        row->addWidget(w, 1);
        content->addLayout(row, IsListKind(c.kind()) ? 1 : 0);
      }
    }
    sync->Changed({});
    syncs_.push_back(std::move(sync));
  }

  QBoxLayout* main = nullptr;
  if (side_buttons) {
    buttons->addStretch(1);
    main = new QHBoxLayout(d);
    main->addLayout(content, 1);
    main->addLayout(buttons);
  } else {
    main = new QVBoxLayout(d);
    main->addLayout(content, 1);
    if (any_button) {
      main->addLayout(buttons);
    } else {
      delete buttons;
    }
  }
  main->setSizeConstraint(QLayout::SetMinimumSize);
  content_order.insert(content_order.end(), button_order.begin(), button_order.end());
  for (size_t i = 1; i < content_order.size(); ++i)
    QWidget::setTabOrder(content_order[i - 1], content_order[i]);
  if (!any_button && !side_buttons) d->setMinimumWidth(380);
  d->setObjectName(Q(form_.name()));
  CaptionChanged();
  ApplyWindowFlags();
}

void QtFormView::ApplyWindowFlags() {
  Qt::WindowFlags flags = Qt::Dialog | Qt::WindowTitleHint | Qt::CustomizeWindowHint;
  if (form_.declaration().closable) flags |= Qt::WindowCloseButtonHint | Qt::WindowSystemMenuHint;
  if (form_.TopMost()) flags |= Qt::WindowStaysOnTopHint;
  if (dialog_->windowFlags() != flags) {
    const bool visible = dialog_->isVisible();
    dialog_->setWindowFlags(flags);
    if (visible) dialog_->show();
  }
}

QWidget* QtFormView::WidgetOf(const ui::Control& control) const {
  for (const auto& s : syncs_) {
    if (&s->control() == &control) return s->widget();
  }
  return nullptr;
}

void QtFormView::Show() {
  pending_ = nullptr;
  timer_waits_ = 0;
  painted_ = false;
  ApplyWindowFlags();
  dialog_->setWindowModality(Qt::ApplicationModal);
  dialog_->adjustSize();
  // Wide enough for the whole caption in the title bar, as far as the
  // screen allows.
  const int title_width =
      std::min(TitleBarWidth(*dialog_), dialog_->screen()->availableGeometry().width());
  if (dialog_->width() < title_width) dialog_->resize(title_width, dialog_->height());
  dialog_->show();
  if (!NoPersonPresent()) {
    dialog_->raise();
    dialog_->activateWindow();
    // Shown again before the toolkit heard that it lost the keyboard, the
    // window is still the toolkit's focus window, so the window system's
    // focus coming back is no change and the dialog would stay drawn and
    // treated as inactive.
    if (QGuiApplication::focusWindow() == dialog_->windowHandle() &&
        QApplication::activeWindow() != dialog_) {
      QT_WARNING_PUSH
      QT_WARNING_DISABLE_DEPRECATED
      QApplication::setActiveWindow(dialog_);
      QT_WARNING_POP
    }
  }
  FocusChanged();
  SyncTimers();
  // A window system that never shows the window must not hold the timers
  // for ever.
  QTimer::singleShot(500, dialog_, [this] {
    if (!painted_ && form_.IsShown()) Painted();
  });
}

void QtFormView::Painted() {
  if (painted_) return;
  painted_ = true;
  // Once this painting has reached the screen.
  QTimer::singleShot(0, dialog_, [this] { SyncTimers(); });
}

void QtFormView::SyncTimers() {
  for (const auto& s : syncs_) {
    if (s->control().kind() == ui::ControlKind::kTimer) s->Changed({});
  }
}

void QtFormView::RunModal() {
  QEventLoop loop;
  QEventLoop* outer = loop_;
  loop_ = &loop;
  ScheduleAgentStep(0);
  if (form_.IsShown()) loop.exec(QEventLoop::DialogExec);
  loop_ = outer;
  if (pending_) {
    std::exception_ptr error = pending_;
    pending_ = nullptr;
    std::rethrow_exception(error);
  }
}

void QtFormView::Hide() {
  if (dialog_) dialog_->hide();
  if (loop_ != nullptr) loop_->quit();
}

void QtFormView::CaptionChanged() { dialog_->setWindowTitle(Q(form_.Caption())); }

void QtFormView::TopMostChanged() { ApplyWindowFlags(); }

void QtFormView::FocusChanged() {
  if (const ui::Control* c = form_.FocusedControl()) {
    if (QWidget* w = WidgetOf(*c)) w->setFocus(Qt::OtherFocusReason);
  }
}

void QtFormView::Refresh() {
  if (dialog_ && dialog_->isVisible()) dialog_->repaint();
}

bool QtFormView::SaveScreenshot(const std::string& path) {
  return SaveWindowPicture(*dialog_, path);
}

void QtFormView::FrameClose() {
  Guard([this] { form_.UserCloseFrame(); });
}

void QtFormView::Fail(std::exception_ptr error) {
  if (!pending_) pending_ = error;
  form_.Hide();
}

bool QtFormView::TimersWaiting() const {
  for (ui::Form* f : ui::Form::AllOnThisThread()) {
    for (const auto& c : f->controls()) {
      if (c->kind() == ui::ControlKind::kTimer && c->Enabled()) return true;
    }
  }
  return false;
}

void QtFormView::ScheduleAgentStep(int delay_ms) {
  QTimer::singleShot(delay_ms, dialog_, [this] { AgentStep(); });
}

void QtFormView::AgentStep() {
  if (!form_.IsShown() || loop_ == nullptr) return;
  static ui::SafeAgent safe;
  ui::UserAgent* agent = ui::CurrentUserAgent();
  if (agent == nullptr && NoPersonPresent()) agent = &safe;
  if (agent == nullptr) return;  // the person at the display acts
  // A form or box shown above this one is being dealt with first; timers
  // that are about to fire get their turn before the agent acts.
  if (!ui::IsInnermostModal(&form_) || logic_depth_ > 0) return ScheduleAgentStep(10);
  if (TimersWaiting() && ++timer_waits_ < 1000) return ScheduleAgentStep(2);
  timer_waits_ = 0;

  std::optional<ui::Action> action = agent->NextAction(form_);
  const bool unscripted = !action;
  if (unscripted) {
    if (agent->LeavesUnscriptedToPerson() && !NoPersonPresent()) return;
    action = ui::Action::Close();
  }
  const std::string problem = Perform(*action);
  if (!problem.empty()) {
    ui::ReportProblem(form_, *action, problem);
    if (unscripted) {
      ui::ReportProblem(form_, ui::Action::Close(),
                        "nobody can close the form; the showing was ended");
      form_.Hide();
    }
  }
  if (form_.IsShown()) ScheduleAgentStep(0);
}

std::string QtFormView::Perform(const ui::Action& action) {
  using Verb = ui::Action::Verb;
  if (action.verb == Verb::kClose) {
    if (!form_.declaration().closable) return form_.name() + " cannot be closed from its frame";
    dialog_->close();
    return "";
  }
  ui::Target t = ui::Resolve(form_, action);
  if (!t.problem.empty()) return t.problem;
  ControlSync* sync = nullptr;
  for (const auto& s : syncs_) {
    if (&s->control() == t.control) sync = s.get();
  }
  if (sync == nullptr) return "the control is not on screen";

  switch (action.verb) {
    case Verb::kClick: {
      auto* tree = static_cast<TreeSync*>(sync);
      QTreeWidgetItem* item = tree->ItemOf(t.node);
      if (item == nullptr) return "the node is not on screen";
      // The person opens the branches on the way to the node.
      for (QTreeWidgetItem* p = item->parent(); p != nullptr; p = p->parent()) p->setExpanded(true);
      tree->tree_widget()->scrollToItem(item);
      ClickAt(tree->tree_widget()->viewport(), tree->tree_widget()->visualItemRect(item).center());
      break;
    }
    case Verb::kSelect:
    case Verb::kDoubleClick: {
      auto* list = static_cast<ListViewSync*>(sync);
      auto* widget = static_cast<QTreeWidget*>(list->widget());
      QTreeWidgetItem* item = list->Item(t.index);
      widget->scrollToItem(item);
      const QPoint at = widget->visualItemRect(item).center();
      if (action.verb == Verb::kSelect) {
        ClickAt(widget->viewport(), at);
      } else {
        DoubleClickAt(widget->viewport(), at);
      }
      break;
    }
    case Verb::kChoose: {
      auto* combo = static_cast<QComboBox*>(sync->widget());
      combo->setCurrentIndex(t.index);
      emit combo->activated(t.index);
      break;
    }
    case Verb::kToggle: {
      auto* list = static_cast<ListBoxSync*>(sync);
      auto* widget = static_cast<QListWidget*>(list->widget());
      QListWidgetItem* item = list->Item(t.index);
      widget->scrollToItem(item);
      ClickAt(widget->viewport(), widget->visualItemRect(item).center());
      break;
    }
    case Verb::kType:
    case Verb::kClear:
    case Verb::kKey: {
      QWidget* editor = sync->widget();
      if (auto* combo = qobject_cast<QComboBox*>(editor)) editor = combo->lineEdit();
      editor->setFocus(Qt::OtherFocusReason);
      if (action.verb == Verb::kType) {
        for (char32_t c : ui::CodePoints(t.text)) {
          if (!form_.IsShown()) break;
          SendKey(editor, static_cast<int>(c));
        }
      } else if (action.verb == Verb::kClear) {
        if (auto* line = qobject_cast<QLineEdit*>(editor)) line->selectAll();
        if (auto* plain = qobject_cast<QPlainTextEdit*>(editor)) plain->selectAll();
        SendKey(editor, ui::kKeyBackspace);
      } else {
        SendKey(editor, t.key_code);
      }
      break;
    }
    case Verb::kPress:
      static_cast<QPushButton*>(sync->widget())->click();
      break;
    default:
      return "\"" + action.text + "\" is not an action on a form";
  }
  return "";
}

}  // namespace orvex::qt
