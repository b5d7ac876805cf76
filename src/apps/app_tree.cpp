#include "apps/app_tree.h"

#include "core/error.h"

namespace pendrel::apps {

namespace {

std::wstring node_key(const std::wstring& path) { return std::wstring(kRootKey) + L"\\" + path; }

forms::Node& add_root(forms::TreeView& tree) {
  forms::Node& root = tree.nodes().add(kRootKey, kRootKey);
  root.set_tag(kFolderTag);
  root.set_image(app_image::kOpenFolder);
  root.set_sorted(true);
  root.set_selected(true);
  root.ensure_visible();
  return root;
}

// The deepest node on the way to path (the package itself excluded), and the
// part of path below it.
std::pair<forms::Node*, std::wstring> deepest_ancestor(forms::TreeView& tree, const std::wstring& path) {
  std::wstring prefix = path;
  while (!prefix.empty()) {
    const std::size_t cut = prefix.rfind(L'\\');
    if (cut == std::wstring::npos) break;
    prefix.resize(cut);
    if (forms::Node* found = tree.nodes().find(node_key(prefix))) return {found, path.substr(cut + 1)};
  }
  return {&tree.nodes().item(1), path};
}

}  // namespace

bool OpenToFolder(forms::TreeView& tree, const std::wstring& path) {
  if (tree.nodes().count() == 0) add_root(tree);
  if (tree.nodes().find(node_key(path))) return false;
  auto [current, remainder] = deepest_ancestor(tree, path);
  if (remainder.empty()) return false;

  std::size_t start = 0;
  while (true) {
    const std::size_t end = remainder.find(L'\\', start);
    const bool last = end == std::wstring::npos;
    std::wstring component = remainder.substr(start, last ? std::wstring::npos : end - start);
    forms::Node* added = nullptr;
    try {
      added = &tree.nodes().add(current, forms::Relationship::Child, current->key() + L"\\" + component, component);
    } catch (const Error&) {
      return false;
    }
    if (last) {
      added->set_tag(kPackageTag);
      added->set_image(component.ends_with(L'*') ? app_image::kMarkedPackage : app_image::kPackage);
    } else {
      added->set_tag(kFolderTag);
      added->set_image(app_image::kClosedFolder);
    }
    added->set_sorted(true);
    added->set_selected(true);
    added->ensure_visible();
    if (current->tag() == kFolderTag) current->set_image(app_image::kOpenFolder);
    current = added;
    if (last) return false;
    start = end + 1;
  }
}

}  // namespace pendrel::apps
