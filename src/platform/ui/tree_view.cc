#include "platform/ui/tree_view.h"

#include <algorithm>

#include "platform/ui/errors.h"
#include "platform/ui/image_list.h"

namespace orvex::ui {

void TreeNode::SetText(std::string text) {
  if (text_ == text) return;
  text_ = std::move(text);
  if (tree_ != nullptr) tree_->NodeChanged(*this);
}

void TreeNode::SetExpanded(bool expanded) {
  if (expanded_ == expanded) return;
  expanded_ = expanded;
  if (tree_ != nullptr) tree_->NodeChanged(*this);
}

void TreeNode::EnsureVisible() {
  for (TreeNode* p = parent_; p != nullptr; p = p->parent_) p->SetExpanded(true);
}

bool TreeNode::Selected() const { return tree_ != nullptr && tree_->SelectedItem() == this; }

int TreeNode::Index() const {
  if (tree_ == nullptr) return -1;
  const auto& nodes = tree_->Nodes();
  for (size_t i = 0; i < nodes.size(); ++i) {
    if (nodes[i].get() == this) return static_cast<int>(i);
  }
  return -1;
}

std::string TreeNode::TextPath(std::string_view separator) const {
  std::string path = text_;
  for (const TreeNode* p = parent_; p != nullptr; p = p->parent_) {
    path = p->text_ + std::string(separator) + path;
  }
  return path;
}

TreeView::~TreeView() {
  for (auto& node : nodes_) {
    node->tree_ = nullptr;
    node->parent_ = nullptr;
    node->children_.clear();
  }
}

NodeRef TreeView::Insert(TreeNode* parent, std::string key, std::string text, std::string image) {
  if (!key.empty() && by_key_.count(key) != 0) ThrowUiError(kErrKeyNotUnique, key);
  if (image_list_ != nullptr && !image.empty() && image_list_->IndexOf(image) < 0)
    ThrowUiError(kErrElementNotFound, image);
  NodeRef node(new TreeNode(this, parent, std::move(key), std::move(text), std::move(image)));
  nodes_.push_back(node);
  if (!node->key_.empty()) by_key_[node->key_] = node.get();
  if (parent != nullptr) parent->children_.push_back(node.get());
  Notify({Change::kNodeAdded, node.get()});
  return node;
}

NodeRef TreeView::AddRoot(std::string key, std::string text, std::string image) {
  return Insert(nullptr, std::move(key), std::move(text), std::move(image));
}

NodeRef TreeView::AddChild(TreeNode& parent, std::string key, std::string text, std::string image) {
  if (parent.tree_ != this) ThrowUiError(kErrElementNotFound, parent.key_);
  return Insert(&parent, std::move(key), std::move(text), std::move(image));
}

NodeRef TreeView::AddChildOfKey(std::string_view parent_key, std::string key, std::string text,
                                std::string image) {
  TreeNode* parent = Find(parent_key);
  if (parent == nullptr) ThrowUiError(kErrElementNotFound, std::string(parent_key));
  return Insert(parent, std::move(key), std::move(text), std::move(image));
}

NodeRef TreeView::AddChildOfIndex(int parent_index, std::string key, std::string text,
                                  std::string image) {
  return Insert(&Node(parent_index), std::move(key), std::move(text), std::move(image));
}

void TreeView::Detach(TreeNode& node) {
  // Children first, so each is told apart from its removed parent.
  for (TreeNode* child : node.children_) Detach(*child);
  node.children_.clear();
  if (!node.key_.empty()) by_key_.erase(node.key_);
  if (selected_ == &node) selected_ = nullptr;
  node.tree_ = nullptr;
  node.parent_ = nullptr;
}

void TreeView::Remove(std::string_view key) {
  TreeNode* node = Find(key);
  if (node == nullptr) ThrowUiError(kErrElementNotFound, std::string(key));
  Remove(*node);
}

void TreeView::Remove(TreeNode& node) {
  if (node.tree_ != this) ThrowUiError(kErrElementNotFound, node.key_);
  Notify({Change::kNodeRemoving, &node});
  const bool had_selection = selected_ != nullptr;
  if (node.parent_ != nullptr) {
    auto& siblings = node.parent_->children_;
    siblings.erase(std::find(siblings.begin(), siblings.end(), &node));
  }
  Detach(node);
  std::erase_if(nodes_, [](const NodeRef& n) { return n->tree_ == nullptr; });
  if (had_selection && selected_ == nullptr) Notify({Change::kSelection, nullptr});
}

void TreeView::Clear() {
  if (nodes_.empty()) return;
  selected_ = nullptr;
  for (auto& node : nodes_) {
    node->tree_ = nullptr;
    node->parent_ = nullptr;
    node->children_.clear();
  }
  nodes_.clear();
  by_key_.clear();
  Notify({Change::kCleared, nullptr});
}

TreeNode& TreeView::Node(int index) const {
  if (index < 0 || index >= Count()) ThrowUiError(kErrIndexOutOfBounds, std::to_string(index));
  return *nodes_[static_cast<size_t>(index)];
}

TreeNode* TreeView::Find(std::string_view key) const {
  if (key.empty()) return nullptr;
  auto it = by_key_.find(std::string(key));
  return it == by_key_.end() ? nullptr : it->second;
}

void TreeView::SetSelectedItem(TreeNode* node) {
  if (node != nullptr && node->tree_ != this) ThrowUiError(kErrElementNotFound, node->key_);
  if (selected_ == node) return;
  selected_ = node;
  Notify({Change::kSelection, node});
}

void TreeView::SetImageList(const ImageList* images) {
  image_list_ = images;
  Notify();
}

bool TreeView::UserClick(TreeNode& node) {
  if (!Usable() || node.tree_ != this) return false;
  node.EnsureVisible();
  SetSelectedItem(&node);
  if (on_click_) on_click_();
  return true;
}

void TreeView::ViewSelected(TreeNode* node) {
  if (node == nullptr || node->tree_ == this) selected_ = node;
}

void TreeView::ViewClicked() {
  if (on_click_) on_click_();
}

void TreeView::ViewExpanded(TreeNode& node, bool expanded) {
  if (node.tree_ == this) node.expanded_ = expanded;
}

}  // namespace orvex::ui
