#include "platform/ui/list_view.h"

#include "platform/ui/errors.h"

namespace orvex::ui {

ListItem::ListItem(ListView& owner, std::string key, std::string text, int columns)
    : owner_(owner),
      key_(std::move(key)),
      text_(std::move(text)),
      sub_items_(static_cast<size_t>(columns > 1 ? columns - 1 : 0)) {}

void ListItem::SetKey(std::string key) {
  if (key == key_) return;
  if (!key.empty() && owner_.Find(key) != nullptr) ThrowUiError(kErrKeyNotUnique, key);
  key_ = std::move(key);
  owner_.RowChanged();
}

void ListItem::SetText(std::string text) {
  text_ = std::move(text);
  owner_.RowChanged();
}

const std::string& ListItem::SubItem(int column) const {
  if (column < 1 || column > static_cast<int>(sub_items_.size()))
    ThrowUiError(kErrInvalidPropertyValue, std::to_string(column));
  return sub_items_[static_cast<size_t>(column - 1)];
}

void ListItem::SetSubItem(int column, std::string text) {
  if (column < 1 || column > static_cast<int>(sub_items_.size()))
    ThrowUiError(kErrInvalidPropertyValue, std::to_string(column));
  sub_items_[static_cast<size_t>(column - 1)] = std::move(text);
  owner_.RowChanged();
}

bool ListItem::Selected() const { return owner_.SelectedItem() == this; }

int ListItem::Index() const {
  for (int i = 0; i < owner_.Count(); ++i) {
    if (&owner_.Item(i) == this) return i;
  }
  return -1;
}

ListView::ListView(Form& form, std::string name, std::vector<std::string> column_headers)
    : Control(form, ControlKind::kListView, std::move(name)), headers_(std::move(column_headers)) {
  if (headers_.empty()) headers_.emplace_back();
}

ListView::~ListView() = default;

void ListView::SetColumnHeader(int index, std::string text) {
  if (index < 0 || index >= ColumnCount())
    ThrowUiError(kErrIndexOutOfBounds, std::to_string(index));
  headers_[static_cast<size_t>(index)] = std::move(text);
  Notify();
}

ListItem& ListView::AddItem(std::string key, std::string text) {
  if (!key.empty() && Find(key) != nullptr) ThrowUiError(kErrKeyNotUnique, key);
  items_.push_back(std::unique_ptr<ListItem>(
      new ListItem(*this, std::move(key), std::move(text), ColumnCount())));
  Notify();
  return *items_.back();
}

void ListView::Clear() {
  selected_ = nullptr;
  items_.clear();
  Notify();
}

ListItem& ListView::Item(int index) const {
  if (index < 0 || index >= Count()) ThrowUiError(kErrIndexOutOfBounds, std::to_string(index));
  return *items_[static_cast<size_t>(index)];
}

ListItem* ListView::Find(const std::string& key) const {
  if (key.empty()) return nullptr;
  for (const auto& item : items_) {
    if (item->Key() == key) return item.get();
  }
  return nullptr;
}

void ListView::SetSelectedItem(ListItem* item) {
  if (selected_ == item) return;
  selected_ = item;
  Notify({Change::kSelection, nullptr});
}

bool ListView::UserClickRow(int index) {
  if (!Usable() || index < 0 || index >= Count()) return false;
  SetSelectedItem(items_[static_cast<size_t>(index)].get());
  if (on_click_) on_click_();
  return true;
}

bool ListView::UserDoubleClickRow(int index) {
  if (!UserClickRow(index)) return false;
  if (on_dbl_click_) on_dbl_click_();
  return true;
}

void ListView::ViewClicked(int index) {
  selected_ = index >= 0 && index < Count() ? items_[static_cast<size_t>(index)].get() : nullptr;
  if (on_click_) on_click_();
}

bool ListView::UserActivateSelected() {
  if (!Usable() || selected_ == nullptr) return false;
  if (on_dbl_click_) on_dbl_click_();
  return true;
}

void ListView::ViewDoubleClicked(int index) {
  if (index >= 0 && index < Count()) selected_ = items_[static_cast<size_t>(index)].get();
  if (on_dbl_click_) on_dbl_click_();
}

}  // namespace orvex::ui
