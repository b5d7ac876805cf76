// TreeView: nodes with a unique key, a text, a tag, images and expanded,
// selected and sorted states. Nodes(i) counts from 1 in the order the nodes
// were added; siblings are shown in the order their relationships gave them,
// or sorted by text without regard to case under a node (or, for the top
// level, a tree) whose Sorted is set, also for children added later.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "forms/batched_control.h"

namespace pendrel::forms {

class ImageList;
class TreeView;

// VB's tvwFirst ... tvwChild.
enum class Relationship { First = 0, Last = 1, Next = 2, Previous = 3, Child = 4 };

class Node {
 public:
  const std::wstring& key() const { return key_; }
  const std::wstring& text() const { return text_; }
  void set_text(std::wstring text);
  const std::wstring& tag() const { return tag_; }
  void set_tag(std::wstring tag) { tag_ = std::move(tag); }
  // Image list positions; 0 for none.
  int image() const { return image_; }
  void set_image(int image);
  int selected_image() const { return selected_image_; }
  void set_selected_image(int image);
  // Changing these from code raises no Expand or Collapse event.
  bool expanded() const { return expanded_; }
  void set_expanded(bool expanded);
  bool selected() const;
  void set_selected(bool selected);
  bool sorted() const { return sorted_; }
  void set_sorted(bool sorted);

  // Expands every ancestor and asks the renderer to scroll the node into view.
  void ensure_visible();

  Node* parent() const { return parent_; }
  const std::vector<Node*>& child_nodes() const { return children_; }
  int children() const { return static_cast<int>(children_.size()); }
  // The first child; null for none.
  Node* child() const { return children_.empty() ? nullptr : children_.front(); }
  Node* next() const;
  Node* previous() const;
  Node* first_sibling() const;
  Node* last_sibling() const;
  // The top-level node above this one (itself at the top level).
  Node* root();
  // The 1-based position in the Nodes collection.
  int index() const;
  TreeView& tree_view() const { return tree_; }

 private:
  friend class Nodes;
  friend class TreeView;
  Node(TreeView& tree, std::wstring key, std::wstring text, int image, int selected_image)
      : tree_(tree), key_(std::move(key)), text_(std::move(text)), image_(image), selected_image_(selected_image) {}
  const std::vector<Node*>& siblings() const;

  TreeView& tree_;
  std::wstring key_;
  std::wstring text_;
  std::wstring tag_;
  int image_;
  int selected_image_;
  bool expanded_ = false;
  bool sorted_ = false;
  Node* parent_ = nullptr;
  std::vector<Node*> children_;
};

class Nodes {
 public:
  // Adds a node placed by its relationship to `relative`: First, Last, Next,
  // Previous among the relative's siblings, or as its last Child. Without a
  // relative the node goes last at the top level. An empty key is no key; a
  // key already in the tree raises 35602 (keys compare exactly).
  Node& add(Node* relative, Relationship relationship, std::wstring key, std::wstring text,
            int image = 0, int selected_image = 0);
  Node& add(std::wstring key, std::wstring text, int image = 0, int selected_image = 0) {
    return add(nullptr, Relationship::Last, std::move(key), std::move(text), image, selected_image);
  }
  int count() const { return static_cast<int>(all_.size()); }
  // Raises 35600 outside 1..count.
  Node& item(int index) const;
  // Raises 35601 for a key not in the tree.
  Node& item(std::wstring_view key) const;
  Node* find(std::wstring_view key) const;
  // Removes the node with its subtree.
  void remove(Node& node);
  void remove(int index) { remove(item(index)); }
  void remove(std::wstring_view key) { remove(item(key)); }
  void clear();

 private:
  friend class TreeView;
  friend class Node;
  explicit Nodes(TreeView& tree) : tree_(tree) {}

  TreeView& tree_;
  std::vector<std::unique_ptr<Node>> all_;
  std::unordered_map<std::wstring, Node*> keys_;
};

class TreeView : public BatchedControl {
 public:
  explicit TreeView(const ControlSite& site);

  Nodes& nodes() { return nodes_; }
  const Nodes& nodes() const { return nodes_; }
  // The top-level nodes in the order shown.
  const std::vector<Node*>& top_nodes() const { return top_; }
  Node* selected_item() const { return selected_; }

  // Keeps the top-level nodes sorted by text.
  bool sorted() const { return sorted_; }
  void set_sorted(bool sorted);
  ImageList* image_list() const { return image_list_; }
  void set_image_list(ImageList* images);

  std::function<void(Node&)> on_node_click;
  std::function<void(Node&)> on_expand;
  std::function<void(Node&)> on_collapse;

  // The user selected a node (NodeClick follows).
  void user_select(Node& node);
  // The user expanded or collapsed a node (Expand or Collapse follows).
  void user_expand(Node& node, bool expanded);

 private:
  friend class Node;
  friend class Nodes;

  void announce(ItemChange change, const Node* node);
  // A batch that only added nodes and changed existing ones is passed on as
  // those changes, so that a tree filled over a long load is shown in steps
  // that cost what they add; anything else is passed on as one reload.
  void flush_updates() override;
  std::vector<Node*>& siblings_of(Node* parent) { return parent ? parent->children_ : top_; }
  bool keeps_sorted(const Node* parent) const { return parent ? parent->sorted_ : sorted_; }
  // Sorts the children of `parent` (the top level for null) when they are kept sorted.
  void sort_children(Node* parent);
  // A node's text changed: moves it to its sorted place.
  void place(Node& node);

  Nodes nodes_;
  std::vector<const Node*> batch_added_;
  std::vector<const Node*> batch_changed_;
  std::unordered_set<const Node*> batch_touched_;
  const Node* batch_visible_ = nullptr;
  bool batch_reload_ = false;
  std::vector<Node*> top_;
  Node* selected_ = nullptr;
  bool sorted_ = false;
  ImageList* image_list_ = nullptr;
};

}  // namespace pendrel::forms
