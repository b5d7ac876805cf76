#include "forms/tree_view.h"

#include <gtest/gtest.h>

#include "forms/form.h"
#include "raised.h"
#include "recording_peer.h"

namespace pendrel::forms {
namespace {

using Keys = std::vector<std::wstring>;

Keys keys(const std::vector<Node*>& nodes) {
  Keys out;
  for (const Node* n : nodes) out.push_back(n->key());
  return out;
}

class TreeViewTest : public ::testing::Test {
 protected:
  std::shared_ptr<fakes::Trace> trace_ = std::make_shared<fakes::Trace>();
  Form form_{L"frmComputerDetails", [](Form& f) { f.add<TreeView>(L"tvwApps"); }};
  TreeView& tree_ = [this]() -> TreeView& {
    fakes::record_peer(form_, trace_);
    return form_.get<TreeView>(L"tvwApps");
  }();
  Nodes& nodes_ = tree_.nodes();
};

TEST_F(TreeViewTest, RelationshipsPlaceNodesAndRemovalTakesTheSubtree) {
  Node& root = nodes_.add(L"AppImage", L"AppImage");
  Node& b = nodes_.add(&root, Relationship::Child, L"b", L"B");
  nodes_.add(&b, Relationship::Previous, L"a", L"A");
  nodes_.add(&b, Relationship::Next, L"c", L"C");
  nodes_.add(&b, Relationship::Last, L"e", L"E");
  nodes_.add(&b, Relationship::First, L"first", L"First");
  nodes_.add(&b, Relationship::Child, L"b1", L"B1");
  nodes_.add(&root, Relationship::Next, L"Root2", L"Second root");
  EXPECT_EQ(keys(root.child_nodes()), (Keys{L"first", L"a", L"b", L"c", L"e"}));
  EXPECT_EQ(keys(tree_.top_nodes()), (Keys{L"AppImage", L"Root2"}));
  EXPECT_EQ(b.child()->root(), &root);
  EXPECT_EQ(nodes_.item(L"first").index(), 6) << "Nodes(i) counts in the order of addition";
  EXPECT_EQ(error_number([&] { nodes_.add(&root, Relationship::Child, L"b", L"again"); }), 35602);
  EXPECT_EQ(root.children(), 5);

  b.child()->set_selected(true);
  nodes_.remove(L"b");
  EXPECT_EQ(tree_.selected_item(), nullptr);
  EXPECT_EQ(nodes_.count(), 6);
  nodes_.add(&root, Relationship::Child, L"b1", L"B1 again");
  EXPECT_EQ(keys(root.child_nodes()), (Keys{L"first", L"a", L"c", L"e", L"b1"}));
}

TEST_F(TreeViewTest, SortedNodesKeepTextOrderWithoutCase) {
  Node& root = nodes_.add(L"AppImage", L"AppImage");
  for (const wchar_t* name : {L"Zeta", L"beta"}) nodes_.add(&root, Relationship::Child, name, name);
  root.set_sorted(true);
  for (const wchar_t* name : {L"Office", L"alpha", L"office2"}) {
    nodes_.add(&nodes_.item(L"beta"), Relationship::First, name, name);
  }
  EXPECT_EQ(keys(root.child_nodes()), (Keys{L"alpha", L"beta", L"Office", L"office2", L"Zeta"}));
  nodes_.item(L"alpha").set_text(L"zz");
  EXPECT_EQ(root.child_nodes().back()->key(), L"alpha");

  nodes_.add(L"Root", L"Aardvark");
  tree_.set_sorted(true);
  EXPECT_EQ(keys(tree_.top_nodes()), (Keys{L"Root", L"AppImage"}));
}

TEST_F(TreeViewTest, ExpansionFromCodeIsSilentAndFromTheUserRaisesEvents) {
  std::vector<std::wstring> events;
  tree_.on_expand = [&](Node& n) { events.push_back(L"Expand " + n.key()); };
  tree_.on_collapse = [&](Node& n) { events.push_back(L"Collapse " + n.key()); };
  tree_.on_node_click = [&](Node& n) { events.push_back(L"NodeClick " + n.key()); };
  Node& root = nodes_.add(L"R", L"R");
  Node& folder = nodes_.add(&root, Relationship::Child, L"A", L"A");
  Node& package = nodes_.add(&folder, Relationship::Child, L"C", L"C");
  trace_->clear();
  package.ensure_visible();
  EXPECT_TRUE(root.expanded() && folder.expanded());
  EXPECT_FALSE(package.expanded());
  EXPECT_TRUE(events.empty());

  tree_.user_expand(folder, false);
  tree_.user_expand(folder, true);
  tree_.user_select(package);
  EXPECT_TRUE(package.selected());
  EXPECT_EQ(events, (std::vector<std::wstring>{L"Collapse A", L"Expand A", L"NodeClick C"}));
  EXPECT_EQ(*trace_, (fakes::Trace{L"control tvwApps Nodes Changed A", L"control tvwApps Nodes Changed R",
                                   L"control tvwApps Nodes EnsureVisible C", L"control tvwApps Nodes Changed A",
                                   L"control tvwApps Nodes Changed A", L"control tvwApps Nodes Changed C"}));
}

}  // namespace
}  // namespace pendrel::forms
