// The tree view's keyed nodes: uniqueness, the three ways to name a parent,
// subtree removal, detached references, visibility and selection.
#include "platform/ui/tree_view.h"

#include <gtest/gtest.h>

#include "platform/dispatch.h"
#include "platform/ui/errors.h"
#include "platform/ui/form.h"
#include "platform/ui/image_list.h"
#include "support/error_of.h"

namespace orvex::ui {
namespace {

using orvex::testing::ErrorOf;

class TreeViewTest : public ::testing::Test {
 protected:
  TreeViewTest()
      : form_([] {
          FormDeclaration d("Trees");
          d.TreeView("TreeView1").ImageList("ImageList1", {"work", "folder"});
          return d;
        }()),
        tree_(form_.tree_view("TreeView1")) {}

  std::vector<std::string> Keys() const {
    std::vector<std::string> keys;
    for (const auto& n : tree_.Nodes()) keys.push_back(n->Key());
    return keys;
  }

  Form form_;
  TreeView& tree_;
};

TEST_F(TreeViewTest, ParentsByReferenceKeyOrIndexAndKeysStayUnique) {
  NodeRef root = tree_.AddRoot("Sales", "Sales", "work");
  tree_.AddChild(*root, "Sales/A", "A", "folder");
  tree_.AddChildOfKey("Sales/A", "Sales/A/1", "1", "folder");
  tree_.AddChildOfIndex(0, "Sales/B", "B", "folder");
  // A second top-level node without a key: empty keys never collide.
  tree_.AddRoot("", "host", "");
  tree_.AddRoot("", "other", "");

  EXPECT_EQ(Keys(), (std::vector<std::string>{"Sales", "Sales/A", "Sales/A/1", "Sales/B", "", ""}));
  ASSERT_EQ(root->Children().size(), 2u);
  EXPECT_EQ(root->Children()[1]->Key(), "Sales/B");
  EXPECT_EQ(tree_.Find("Sales/A/1")->Parent()->Key(), "Sales/A");
  EXPECT_EQ(tree_.Find("Sales/A/1")->TextPath("/"), "Sales/A/1");
  EXPECT_EQ(tree_.Find(""), nullptr);

  EXPECT_EQ(ErrorOf<AutomationError>([&] { tree_.AddRoot("Sales/A", "again", ""); }),
            kErrKeyNotUnique);
  EXPECT_EQ(ErrorOf<AutomationError>([&] { tree_.AddChildOfKey("Nowhere", "x", "x", ""); }),
            kErrElementNotFound);
  EXPECT_EQ(ErrorOf<AutomationError>([&] { tree_.AddChildOfIndex(6, "x", "x", ""); }),
            kErrIndexOutOfBounds);
  EXPECT_EQ(ErrorOf<AutomationError>([&] { tree_.AddChildOfIndex(-1, "x", "x", ""); }),
            kErrIndexOutOfBounds);
  EXPECT_EQ(tree_.Count(), 6);
}

TEST_F(TreeViewTest, ImageKeysMustComeFromTheAttachedList) {
  tree_.AddRoot("a", "a", "anything");  // no list attached yet
  tree_.SetImageList(&form_.image_list("ImageList1"));
  EXPECT_EQ(ErrorOf<AutomationError>([&] { tree_.AddRoot("b", "b", "server"); }),
            kErrElementNotFound);
  EXPECT_EQ(tree_.Find("b"), nullptr);
  tree_.AddRoot("c", "c", "folder");
  tree_.AddRoot("d", "d", "");
  EXPECT_EQ(tree_.Count(), 3);
}

TEST_F(TreeViewTest, RemovingANodeTakesItsSubtreeAndDetachesTheReferences) {
  NodeRef root = tree_.AddRoot("S", "S", "");
  NodeRef a = tree_.AddChild(*root, "S/A", "A", "");
  NodeRef a1 = tree_.AddChild(*a, "S/A/1", "1", "");
  tree_.AddChild(*root, "S/B", "B", "");
  tree_.SetSelectedItem(a1.get());

  tree_.Remove("S/A");
  EXPECT_EQ(Keys(), (std::vector<std::string>{"S", "S/B"}));
  EXPECT_EQ(root->Children().size(), 1u);
  EXPECT_EQ(tree_.SelectedItem(), nullptr);
  EXPECT_FALSE(a->InTree());
  EXPECT_FALSE(a1->InTree());
  EXPECT_EQ(a1->Parent(), nullptr);
  EXPECT_EQ(a1->Index(), -1);
  // The keys are free again, and a detached node is no valid parent.
  tree_.AddChild(*root, "S/A", "A again", "");
  EXPECT_EQ(ErrorOf<AutomationError>([&] { tree_.AddChild(*a, "S/A/2", "2", ""); }),
            kErrElementNotFound);
  EXPECT_EQ(ErrorOf<AutomationError>([&] { tree_.Remove("S/A/1"); }), kErrElementNotFound);
  EXPECT_EQ(tree_.Find("S/A")->Index(), 2);

  tree_.Clear();
  EXPECT_EQ(tree_.Count(), 0);
  EXPECT_FALSE(root->InTree());
  EXPECT_EQ(tree_.Find("S"), nullptr);
}

TEST_F(TreeViewTest, EnsureVisibleOpensTheAncestorsOnly) {
  NodeRef root = tree_.AddRoot("S", "S", "");
  NodeRef a = tree_.AddChild(*root, "S/A", "A", "");
  NodeRef a1 = tree_.AddChild(*a, "S/A/1", "1", "");
  a1->EnsureVisible();
  EXPECT_TRUE(root->Expanded());
  EXPECT_TRUE(a->Expanded());
  EXPECT_FALSE(a1->Expanded());
}

TEST_F(TreeViewTest, APersonClicksOnlyAUsableTree) {
  int clicks = 0;
  tree_.OnClick([&] { ++clicks; });
  NodeRef root = tree_.AddRoot("S", "S", "");
  NodeRef a1 = tree_.AddChild(*tree_.AddChild(*root, "S/A", "A", ""), "S/A/1", "1", "");
  tree_.SetSelectedItem(root.get());  // form logic selecting fires nothing
  EXPECT_EQ(clicks, 0);

  EXPECT_TRUE(tree_.UserClick(*a1));
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(tree_.SelectedItem(), a1.get());
  EXPECT_TRUE(tree_.Find("S/A")->Expanded());  // opened on the way

  tree_.SetEnabled(false);
  EXPECT_FALSE(tree_.UserClick(*root));
  tree_.SetEnabled(true);
  tree_.SetVisible(false);
  EXPECT_FALSE(tree_.UserClick(*root));
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(tree_.SelectedItem(), a1.get());
}

}  // namespace
}  // namespace orvex::ui
