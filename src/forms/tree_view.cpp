#include "forms/tree_view.h"

#include <algorithm>
#include <unordered_set>

#include "forms/errors.h"
#include "forms/text_rules.h"

namespace pendrel::forms {

namespace {

bool text_before(const Node* a, const Node* b) { return compare_text(a->text(), b->text()) < 0; }

size_t position_in(const std::vector<Node*>& nodes, const Node* node) {
  return static_cast<size_t>(std::find(nodes.begin(), nodes.end(), node) - nodes.begin());
}

void collect_subtree(Node* node, std::vector<Node*>& out) {
  out.push_back(node);
  for (Node* child : node->child_nodes()) collect_subtree(child, out);
}

}  // namespace

// Nodes

const std::vector<Node*>& Node::siblings() const { return tree_.siblings_of(parent_); }

Node* Node::next() const {
  const auto& s = siblings();
  const size_t at = position_in(s, this);
  return at + 1 < s.size() ? s[at + 1] : nullptr;
}

Node* Node::previous() const {
  const auto& s = siblings();
  const size_t at = position_in(s, this);
  return at > 0 && at < s.size() ? s[at - 1] : nullptr;
}

Node* Node::first_sibling() const { return siblings().front(); }
Node* Node::last_sibling() const { return siblings().back(); }

Node* Node::root() {
  Node* node = this;
  while (node->parent_) node = node->parent_;
  return node;
}

int Node::index() const {
  const auto& all = tree_.nodes_.all_;
  for (size_t i = 0; i < all.size(); ++i) {
    if (all[i].get() == this) return static_cast<int>(i) + 1;
  }
  return 0;
}

void Node::set_text(std::wstring text) {
  if (text == text_) return;
  text_ = std::move(text);
  tree_.announce(ItemChange::Changed, this);
  tree_.place(*this);
}

void Node::set_image(int image) {
  if (image == image_) return;
  image_ = image;
  tree_.announce(ItemChange::Changed, this);
}

void Node::set_selected_image(int image) {
  if (image == selected_image_) return;
  selected_image_ = image;
  tree_.announce(ItemChange::Changed, this);
}

void Node::set_expanded(bool expanded) {
  if (expanded == expanded_) return;
  expanded_ = expanded;
  tree_.announce(ItemChange::Changed, this);
}

bool Node::selected() const { return tree_.selected_ == this; }

void Node::set_selected(bool selected) {
  Node* previous = tree_.selected_;
  if (selected == (previous == this)) return;
  tree_.selected_ = selected ? this : nullptr;
  if (previous) tree_.announce(ItemChange::Changed, previous);
  if (selected) tree_.announce(ItemChange::Changed, this);
}

void Node::set_sorted(bool sorted) {
  if (sorted == sorted_) return;
  sorted_ = sorted;
  tree_.sort_children(this);
}

void Node::ensure_visible() {
  for (Node* up = parent_; up; up = up->parent_) up->set_expanded(true);
  tree_.announce(ItemChange::EnsureVisible, this);
}

// The collection

Node& Nodes::add(Node* relative, Relationship relationship, std::wstring key, std::wstring text,
                 int image, int selected_image) {
  if (static_cast<int>(relationship) < 0 || static_cast<int>(relationship) > 4 ||
      (relative && &relative->tree_ != &tree_)) {
    throw Error::vb(vb_error::kInvalidProcedureCall);
  }
  if (!key.empty() && keys_.count(key) != 0) throw form_failure(form_error::kKeyNotUnique);

  Node* parent = nullptr;
  if (relative) parent = relationship == Relationship::Child ? relative : relative->parent_;
  std::vector<Node*>& siblings = tree_.siblings_of(parent);
  auto node = std::unique_ptr<Node>(new Node(tree_, key, std::move(text), image, selected_image));
  node->parent_ = parent;

  size_t at = siblings.size();
  if (tree_.keeps_sorted(parent)) {
    at = static_cast<size_t>(std::upper_bound(siblings.begin(), siblings.end(), node.get(), text_before) -
                             siblings.begin());
  } else if (relative) {
    switch (relationship) {
      case Relationship::First: at = 0; break;
      case Relationship::Next: at = position_in(siblings, relative) + 1; break;
      case Relationship::Previous: at = position_in(siblings, relative); break;
      case Relationship::Last:
      case Relationship::Child: break;
    }
  }
  Node& added = *node;
  siblings.insert(siblings.begin() + static_cast<std::ptrdiff_t>(at), &added);
  all_.push_back(std::move(node));
  if (!key.empty()) keys_.emplace(std::move(key), &added);
  tree_.announce(ItemChange::Added, &added);
  return added;
}

Node& Nodes::item(int index) const {
  if (index < 1 || index > count()) throw form_failure(form_error::kIndexOutOfBounds);
  return *all_[index - 1];
}

Node& Nodes::item(std::wstring_view key) const {
  Node* found = find(key);
  if (!found) throw form_failure(form_error::kElementNotFound);
  return *found;
}

Node* Nodes::find(std::wstring_view key) const {
  const auto it = keys_.find(std::wstring(key));
  return it == keys_.end() ? nullptr : it->second;
}

void Nodes::remove(Node& node) {
  tree_.announce(ItemChange::Removed, &node);
  std::vector<Node*> going;
  collect_subtree(&node, going);
  const std::unordered_set<const Node*> gone(going.begin(), going.end());
  if (gone.count(tree_.selected_)) tree_.selected_ = nullptr;
  for (Node* n : going) {
    if (!n->key_.empty()) keys_.erase(n->key_);
  }
  auto& siblings = tree_.siblings_of(node.parent_);
  siblings.erase(siblings.begin() + static_cast<std::ptrdiff_t>(position_in(siblings, &node)));
  std::erase_if(all_, [&gone](const std::unique_ptr<Node>& n) { return gone.count(n.get()) != 0; });
}

void Nodes::clear() {
  tree_.selected_ = nullptr;
  tree_.top_.clear();
  keys_.clear();
  all_.clear();
  tree_.announce(ItemChange::Changed, nullptr);
}

// The tree

TreeView::TreeView(const ControlSite& site)
    : BatchedControl(site, ControlKind::TreeView, Property::Nodes), nodes_(*this) {}

void TreeView::set_sorted(bool sorted) {
  if (sorted == sorted_) return;
  sorted_ = sorted;
  sort_children(nullptr);
}

void TreeView::set_image_list(ImageList* images) {
  if (images == image_list_) return;
  image_list_ = images;
  changed(Property::ImageLists);
}

void TreeView::announce(ItemChange change, const Node* node) {
  if (updating() && !batch_reload_) {
    if (change == ItemChange::Added) {
      batch_added_.push_back(node);
      batch_touched_.insert(node);
    } else if (change == ItemChange::Changed && node) {
      if (batch_touched_.insert(node).second) batch_changed_.push_back(node);
    } else if (change == ItemChange::EnsureVisible) {
      batch_visible_ = node;
    } else {
      batch_reload_ = true;
    }
  }
  item_changed(Change{Property::Nodes, change, nullptr, node});
}

void TreeView::flush_updates() {
  const bool reload = std::exchange(batch_reload_, false);
  const auto added = std::exchange(batch_added_, {});
  const auto touched = std::exchange(batch_changed_, {});
  const Node* visible = std::exchange(batch_visible_, nullptr);
  batch_touched_.clear();
  if (!take_pending()) return;
  if (reload) {
    changed(Change{Property::Nodes});
    return;
  }
  for (const Node* node : added) changed(Change{Property::Nodes, ItemChange::Added, nullptr, node});
  for (const Node* node : touched) changed(Change{Property::Nodes, ItemChange::Changed, nullptr, node});
  if (visible) changed(Change{Property::Nodes, ItemChange::EnsureVisible, nullptr, visible});
}

void TreeView::sort_children(Node* parent) {
  if (!keeps_sorted(parent)) return;
  auto& siblings = siblings_of(parent);
  if (std::is_sorted(siblings.begin(), siblings.end(), text_before)) return;
  std::stable_sort(siblings.begin(), siblings.end(), text_before);
  announce(ItemChange::Reordered, parent);
}

void TreeView::place(Node& node) {
  if (!keeps_sorted(node.parent_)) return;
  auto& siblings = siblings_of(node.parent_);
  const size_t from = position_in(siblings, &node);
  siblings.erase(siblings.begin() + static_cast<std::ptrdiff_t>(from));
  const size_t to = static_cast<size_t>(
      std::upper_bound(siblings.begin(), siblings.end(), &node, text_before) - siblings.begin());
  siblings.insert(siblings.begin() + static_cast<std::ptrdiff_t>(to), &node);
  if (to != from) announce(ItemChange::Moved, &node);
}

void TreeView::user_select(Node& node) {
  user_action([this, &node] {
    node.set_selected(true);
    raise(on_node_click, node);
  });
}

void TreeView::user_expand(Node& node, bool expanded) {
  user_action([this, &node, expanded] {
    node.set_expanded(expanded);
    raise(expanded ? on_expand : on_collapse, node);
  });
}

}  // namespace pendrel::forms
