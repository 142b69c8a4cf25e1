// ListView: a list in report view: rows with a key, a text (the first
// column) and sub-items (the further columns), one of them selected.
#ifndef ORVEX_PLATFORM_UI_LIST_VIEW_H_
#define ORVEX_PLATFORM_UI_LIST_VIEW_H_

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/ui/control.h"

namespace orvex::ui {

class ListView;

class ListItem {
 public:
  const std::string& Key() const { return key_; }
  // Error 35602 when another row already has the (non-empty) key.
  void SetKey(std::string key);
  const std::string& Text() const { return text_; }
  void SetText(std::string text);
  // Sub-item `column` counts from 1 (the second column) to ColumnCount-1;
  // error 380 outside that range.
  const std::string& SubItem(int column) const;
  void SetSubItem(int column, std::string text);
  const std::vector<std::string>& SubItems() const { return sub_items_; }
  bool Selected() const;
  // 0-based position in the list.
  int Index() const;

 private:
  friend class ListView;
  ListItem(ListView& owner, std::string key, std::string text, int columns);

  ListView& owner_;
  std::string key_;
  std::string text_;
  std::vector<std::string> sub_items_;
};

class ListView : public Control {
 public:
  ListView(Form& form, std::string name, std::vector<std::string> column_headers);
  ~ListView() override;

  int ColumnCount() const { return static_cast<int>(headers_.size()); }
  void SetColumnHeader(int index, std::string text);
  const std::vector<std::string>& ColumnHeaders() const { return headers_; }

  // Appends a row; error 35602 when `key` is not empty and already used.
  ListItem& AddItem(std::string key, std::string text);
  void Clear();
  int Count() const { return static_cast<int>(items_.size()); }
  // Row `index` (0-based); error 35600 outside the list.
  ListItem& Item(int index) const;
  // The row with `key`, or nullptr.
  ListItem* Find(const std::string& key) const;

  // The selected row, nullptr when none is.
  ListItem* SelectedItem() const { return selected_; }
  void SetSelectedItem(ListItem* item);

  void OnClick(std::function<void()> handler) { on_click_ = std::move(handler); }
  void OnDblClick(std::function<void()> handler) { on_dbl_click_ = std::move(handler); }

  // A person clicks row `index` (selecting it) and Click fires; a double
  // click does the same and then fires DblClick. False when not usable or
  // no such row.
  bool UserClickRow(int index);
  bool UserDoubleClickRow(int index);
  // A person presses Enter (or Space, or F2) on the selected row: the row
  // is opened as a double click opens it, and DblClick fires. False when
  // not usable or no row is selected. (Moving the selection with the arrow
  // keys is a click on the row it lands on.)
  bool UserActivateSelected();
  // Views: the person clicked row `index` (-1: none) in the widget, or
  // moved the selection there with the keyboard; fires Click.
  void ViewClicked(int index);
  // Views: the person double-clicked row `index`; fires DblClick.
  void ViewDoubleClicked(int index);

 private:
  friend class ListItem;
  void RowChanged() { Notify(); }

  std::vector<std::string> headers_;
  std::vector<std::unique_ptr<ListItem>> items_;
  ListItem* selected_ = nullptr;
  std::function<void()> on_click_;
  std::function<void()> on_dbl_click_;
};

}  // namespace orvex::ui

#endif  // ORVEX_PLATFORM_UI_LIST_VIEW_H_
