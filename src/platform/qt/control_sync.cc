#include "platform/qt/control_sync.h"

#include <QComboBox>
#include <QHash>
#include <QHeaderView>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <algorithm>

#include "platform/qt/qt_form_view.h"
#include "platform/ui/button.h"
#include "platform/ui/combo_box.h"
#include "platform/ui/editable_text.h"
#include "platform/ui/form.h"
#include "platform/ui/label.h"
#include "platform/ui/list_box.h"
#include "platform/ui/list_view.h"
#include "platform/ui/text_box.h"
#include "platform/ui/timer.h"
#include "platform/ui/tree_view.h"

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

QIcon ImageIcon(const std::string& key) {
  static QHash<QString, QIcon> cache;
  const QString k = Q(key);
  auto it = cache.find(k);
  if (it == cache.end()) it = cache.insert(k, QIcon(":/orvex/images/" + k + ".png"));
  return *it;
}

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
  std::optional<Spot> Reach(const ui::Target& target) override {
    QListWidgetItem* item = widget_->item(target.index);
    if (item == nullptr) return std::nullopt;
    widget_->scrollToItem(item);
    return Spot{widget_->viewport(), widget_->visualItemRect(item).center()};
  }
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
  std::optional<Spot> Reach(const ui::Target& target) override {
    QTreeWidgetItem* item = widget_->topLevelItem(target.index);
    if (item == nullptr) return std::nullopt;
    widget_->scrollToItem(item);
    return Spot{widget_->viewport(), widget_->visualItemRect(item).center()};
  }
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
  std::optional<Spot> Reach(const ui::Target& target) override {
    QTreeWidgetItem* item = ItemOf(target.node);
    if (item == nullptr) return std::nullopt;
    // The person opens the branches on the way to the node.
    for (QTreeWidgetItem* p = item->parent(); p != nullptr; p = p->parent()) p->setExpanded(true);
    widget_->scrollToItem(item);
    return Spot{widget_->viewport(), widget_->visualItemRect(item).center()};
  }

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
  QTreeWidgetItem* ItemOf(const ui::TreeNode* node) const { return items_.value(node, nullptr); }
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

}  // namespace

bool IsEnterKey(const QKeyEvent& e) {
  return e.key() == Qt::Key_Return || e.key() == Qt::Key_Enter;
}

std::unique_ptr<ControlSync> MakeControlSync(QtFormView& view, ui::Control& c) {
  switch (c.kind()) {
    case ui::ControlKind::kLabel:
      return std::make_unique<LabelSync>(view, static_cast<ui::Label&>(c));
    case ui::ControlKind::kButton:
      return std::make_unique<ButtonSync>(view, static_cast<ui::Button&>(c));
    case ui::ControlKind::kTextBox:
      return std::make_unique<TextSync>(view, static_cast<ui::TextBox&>(c));
    case ui::ControlKind::kComboBox:
      return std::make_unique<ComboSync>(view, static_cast<ui::ComboBox&>(c));
    case ui::ControlKind::kListBox:
      return std::make_unique<ListBoxSync>(view, static_cast<ui::ListBox&>(c));
    case ui::ControlKind::kListView:
      return std::make_unique<ListViewSync>(view, static_cast<ui::ListView&>(c));
    case ui::ControlKind::kTreeView:
      return std::make_unique<TreeSync>(view, static_cast<ui::TreeView&>(c));
    case ui::ControlKind::kTimer:
      return std::make_unique<TimerSync>(view, static_cast<ui::Timer&>(c));
    case ui::ControlKind::kImageList:
      return std::make_unique<PassiveSync>(view, c);
  }
  return nullptr;
}

}  // namespace orvex::qt
