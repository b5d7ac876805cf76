#include "forms/tree_view.h"

#include <gtest/gtest.h>

#include "forms/form.h"
#include "raised.h"
#include "recording_peer.h"

namespace pendrel::forms {
namespace {

std::vector<std::wstring> keys(const std::vector<Node*>& nodes) {
  std::vector<std::wstring> out;
  for (const Node* n : nodes) out.push_back(n->key());
  return out;
}

using Keys = std::vector<std::wstring>;

class TreeViewTest : public ::testing::Test {
 protected:
  TreeViewTest() {
    form_.load();
    tree_ = &form_.get<TreeView>(L"tvwApps");
  }
  Form form_{L"frmComputerDetails", [](Form& f) { f.add<TreeView>(L"tvwApps"); }};
  TreeView* tree_ = nullptr;
};

TEST_F(TreeViewTest, RelationshipsPlaceNodesAndRelativesFindThem) {
  Nodes& nodes = tree_->nodes();
  Node& root = nodes.add(L"AppImage", L"AppImage");
  Node& b = nodes.add(&root, Relationship::Child, L"b", L"B");
  nodes.add(&b, Relationship::Previous, L"a", L"A");
  nodes.add(&b, Relationship::Next, L"c", L"C");
  nodes.add(&b, Relationship::Last, L"e", L"E");
  nodes.add(&b, Relationship::First, L"first", L"First");
  nodes.add(&b, Relationship::Child, L"b1", L"B1");
  nodes.add(&root, Relationship::Next, L"Root2", L"Second root");

  EXPECT_EQ(keys(root.child_nodes()), (Keys{L"first", L"a", L"b", L"c", L"e"}));
  EXPECT_EQ(keys(tree_->top_nodes()), (Keys{L"AppImage", L"Root2"}));
  EXPECT_EQ(b.previous()->key(), L"a");
  EXPECT_EQ(b.next()->key(), L"c");
  EXPECT_EQ(b.first_sibling()->key(), L"first");
  EXPECT_EQ(b.last_sibling()->next(), nullptr);
  EXPECT_EQ(b.child()->key(), L"b1");
  EXPECT_EQ(b.child()->root(), &root);
  EXPECT_EQ(b.child()->parent(), &b);
  EXPECT_EQ(root.children(), 5);
  EXPECT_EQ(nodes.item(1).key(), L"AppImage");  // Nodes(i) counts in the order of addition
  EXPECT_EQ(nodes.item(L"first").index(), 6);

  EXPECT_EQ(error_number([&] { nodes.add(&root, Relationship::Child, L"b", L"again"); }), 35602);
  EXPECT_EQ(root.children(), 5);
  EXPECT_THROW(nodes.item(L"AppImage\\Nothing"), Error);
  EXPECT_THROW(nodes.item(9), Error);

  // Removing a node takes its subtree, its keys and the selection with it.
  b.child()->set_selected(true);
  nodes.remove(L"b");
  EXPECT_EQ(tree_->selected_item(), nullptr);
  EXPECT_EQ(nodes.count(), 6);
  EXPECT_EQ(nodes.find(L"b1"), nullptr);
  nodes.add(&root, Relationship::Child, L"b1", L"B1 again");
  EXPECT_EQ(keys(root.child_nodes()), (Keys{L"first", L"a", L"c", L"e", L"b1"}));
  nodes.clear();
  EXPECT_EQ(nodes.count(), 0);
  EXPECT_TRUE(tree_->top_nodes().empty());
}

TEST_F(TreeViewTest, SortedNodesKeepChildrenInTextOrderWithoutCase) {
  Nodes& nodes = tree_->nodes();
  Node& root = nodes.add(L"AppImage", L"AppImage");
  nodes.add(&root, Relationship::Child, L"AppImage\\Zeta", L"Zeta");
  nodes.add(&root, Relationship::Child, L"AppImage\\beta", L"beta");
  root.set_sorted(true);
  EXPECT_EQ(keys(root.child_nodes()), (Keys{L"AppImage\\beta", L"AppImage\\Zeta"}));
  for (const wchar_t* name : {L"Office", L"alpha", L"Word97*", L"office2"}) {
    nodes.add(&nodes.item(L"AppImage\\beta"), Relationship::First, std::wstring(L"AppImage\\") + name, name);
  }
  EXPECT_EQ(keys(root.child_nodes()),
            (Keys{L"AppImage\\alpha", L"AppImage\\beta", L"AppImage\\Office", L"AppImage\\office2",
                  L"AppImage\\Word97*", L"AppImage\\Zeta"}));
  nodes.item(L"AppImage\\alpha").set_text(L"zz");
  EXPECT_EQ(root.child_nodes().back()->key(), L"AppImage\\alpha");

  // The tree's own Sorted orders the top level.
  nodes.add(L"Root", L"Aardvark");
  EXPECT_EQ(keys(tree_->top_nodes()), (Keys{L"AppImage", L"Root"}));
  tree_->set_sorted(true);
  EXPECT_EQ(keys(tree_->top_nodes()), (Keys{L"Root", L"AppImage"}));
}

TEST_F(TreeViewTest, ExpansionFromCodeIsSilentAndFromTheUserRaisesEvents) {
  std::vector<std::wstring> events;
  auto trace = std::make_shared<fakes::Trace>();
  form_.unload();
  fakes::record_peer(form_, trace);
  form_.load();
  tree_ = &form_.get<TreeView>(L"tvwApps");
  tree_->on_expand = [&](Node& n) { events.push_back(L"Expand " + n.key()); };
  tree_->on_collapse = [&](Node& n) { events.push_back(L"Collapse " + n.key()); };
  tree_->on_node_click = [&](Node& n) { events.push_back(L"NodeClick " + n.key()); };
  trace->clear();

  Nodes& nodes = tree_->nodes();
  Node& root = nodes.add(L"AppImage", L"AppImage");
  Node& folder = nodes.add(&root, Relationship::Child, L"AppImage\\A", L"A");
  Node& package = nodes.add(&folder, Relationship::Child, L"AppImage\\A\\C", L"C");
  package.ensure_visible();
  EXPECT_TRUE(root.expanded());
  EXPECT_TRUE(folder.expanded());
  EXPECT_FALSE(package.expanded());
  EXPECT_TRUE(events.empty());

  tree_->user_expand(folder, false);
  tree_->user_expand(folder, true);
  tree_->user_select(package);
  EXPECT_TRUE(package.selected());
  EXPECT_EQ(events, (std::vector<std::wstring>{L"Collapse AppImage\\A", L"Expand AppImage\\A",
                                               L"NodeClick AppImage\\A\\C"}));
  EXPECT_EQ(*trace, (fakes::Trace{
                        L"control tvwApps Nodes Added AppImage",
                        L"control tvwApps Nodes Added AppImage\\A",
                        L"control tvwApps Nodes Added AppImage\\A\\C",
                        L"control tvwApps Nodes Changed AppImage\\A",
                        L"control tvwApps Nodes Changed AppImage",
                        L"control tvwApps Nodes EnsureVisible AppImage\\A\\C",
                        L"control tvwApps Nodes Changed AppImage\\A",
                        L"control tvwApps Nodes Changed AppImage\\A",
                        L"control tvwApps Nodes Changed AppImage\\A\\C",
                    }));
}

}  // namespace
}  // namespace pendrel::forms
