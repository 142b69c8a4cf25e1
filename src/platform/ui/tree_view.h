// TreeView: keyed nodes with a text and a picture key, in a hierarchy.
//
// Every node has a key (unique in the tree when not empty; keys compare
// exactly), a text and the key of a picture in the image list attached to
// the tree. Nodes are kept in insertion order, which is the order of
// Nodes() and of the 0-based indexes. A node is added at the top level or
// as the last child of a parent given by reference, by key or by index.
// Removing a node removes its whole subtree. Node references stay valid
// after removal but are detached: InTree() is false and changes to them
// show nowhere.
#ifndef ORVEX_PLATFORM_UI_TREE_VIEW_H_
#define ORVEX_PLATFORM_UI_TREE_VIEW_H_

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/ui/control.h"

namespace orvex::ui {

class ImageList;
class TreeView;

class TreeNode {
 public:
  const std::string& Key() const { return key_; }
  const std::string& Text() const { return text_; }
  void SetText(std::string text);
  const std::string& Image() const { return image_; }

  // nullptr for a top-level node and for a detached one.
  TreeNode* Parent() const { return parent_; }
  const std::vector<TreeNode*>& Children() const { return children_; }

  bool Expanded() const { return expanded_; }
  void SetExpanded(bool expanded);
  // Expands every ancestor, so the node is shown.
  void EnsureVisible();

  bool Selected() const;
  bool InTree() const { return tree_ != nullptr; }
  // Position in the tree's insertion order; -1 when detached.
  int Index() const;
  // The texts from the top-level ancestor down to this node, joined by `separator`.
  std::string TextPath(std::string_view separator = "/") const;

 private:
  friend class TreeView;
  TreeNode(TreeView* tree, TreeNode* parent, std::string key, std::string text, std::string image)
      : tree_(tree),
        parent_(parent),
        key_(std::move(key)),
        text_(std::move(text)),
        image_(std::move(image)) {}

  TreeView* tree_;
  TreeNode* parent_;
  std::vector<TreeNode*> children_;
  std::string key_;
  std::string text_;
  std::string image_;
  bool expanded_ = false;
};

using NodeRef = std::shared_ptr<TreeNode>;

class TreeView : public Control {
 public:
  TreeView(Form& form, std::string name) : Control(form, ControlKind::kTreeView, std::move(name)) {}
  ~TreeView() override;

  // Adding a node: error 35602 when `key` is not empty and already used;
  // error 35601 when an image list is attached and `image` is neither empty
  // nor one of its keys.
  NodeRef AddRoot(std::string key, std::string text, std::string image);
  NodeRef AddChild(TreeNode& parent, std::string key, std::string text, std::string image);
  // The parent is the node with `parent_key`: error 35601 when there is none.
  NodeRef AddChildOfKey(std::string_view parent_key, std::string key, std::string text,
                        std::string image);
  // The parent is node `parent_index` (0-based): error 35600 outside the tree.
  NodeRef AddChildOfIndex(int parent_index, std::string key, std::string text, std::string image);

  // Removes the node with `key` and its subtree; error 35601 when none has it.
  void Remove(std::string_view key);
  void Remove(TreeNode& node);
  void Clear();

  int Count() const { return static_cast<int>(nodes_.size()); }
  const std::vector<NodeRef>& Nodes() const { return nodes_; }
  // Node `index` (0-based); error 35600 outside the tree.
  TreeNode& Node(int index) const;
  // The node with `key`, or nullptr (an empty key finds nothing).
  TreeNode* Find(std::string_view key) const;

  TreeNode* SelectedItem() const { return selected_; }
  // Selects `node` (nullptr: none). Form logic selecting fires no event.
  void SetSelectedItem(TreeNode* node);

  const ImageList* image_list() const { return image_list_; }
  void SetImageList(const ImageList* images);

  void OnClick(std::function<void()> handler) { on_click_ = std::move(handler); }

  // A person clicks `node`: its ancestors are expanded (the person opened
  // them to reach it), it becomes selected, and Click fires. False when the
  // tree is not usable or the node is not in it.
  bool UserClick(TreeNode& node);
  // Views: the person moved the selection to `node` (no event by itself).
  void ViewSelected(TreeNode* node);
  // Views: the person clicked in the tree; fires Click.
  void ViewClicked();
  // Views: the person opened or closed `node`.
  void ViewExpanded(TreeNode& node, bool expanded);

 private:
  friend class TreeNode;
  NodeRef Insert(TreeNode* parent, std::string key, std::string text, std::string image);
  void NodeChanged(const TreeNode& node) { Notify({Change::kNodeChanged, &node}); }
  void Detach(TreeNode& node);

  std::vector<NodeRef> nodes_;
  std::unordered_map<std::string, TreeNode*> by_key_;
  TreeNode* selected_ = nullptr;
  const ImageList* image_list_ = nullptr;
  std::function<void()> on_click_;
};

}  // namespace orvex::ui

#endif  // ORVEX_PLATFORM_UI_TREE_VIEW_H_
