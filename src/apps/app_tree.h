// The applications tree's nodes: a package path (folders, then the package,
// joined by "\") becomes the root "AppImage", one folder node per folder and
// the package node, each keyed by its parent's key, "\" and its own name.
#pragma once

#include <string>

#include "forms/tree_view.h"

namespace pendrel::apps {

inline constexpr wchar_t kRootKey[] = L"AppImage";
inline constexpr wchar_t kFolderTag[] = L"Folder";
inline constexpr wchar_t kPackageTag[] = L"Apps";

// Image list positions of the tree.
namespace app_image {
inline constexpr int kClosedFolder = 1;
inline constexpr int kOpenFolder = 2;
inline constexpr int kPackage = 3;
inline constexpr int kMarkedPackage = 4;
}  // namespace app_image

// Adds whatever part of path is missing below the deepest node that exists,
// folders closed until a child opens them, the package last ("*" at its end
// marks it for re-install) and selected; every node keeps its children
// sorted. Existing nodes are never retagged: if a node cannot be added, the
// rest of the path is left out. Always false, as callers expect nothing.
bool OpenToFolder(forms::TreeView& tree, const std::wstring& path);

}  // namespace pendrel::apps
