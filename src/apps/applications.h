// The applications tab's commands: the tree is loaded on demand (a
// double-click on "Double-Click to Load Apps" or a click on "&Applications"),
// which mounts the product's hive when needed and walks its packages; later a
// double-click on a package shows its details.
#pragma once

#include "apps/apps_window.h"
#include "forms/tree_view.h"

namespace pendrel::apps {

inline constexpr wchar_t kUnloadedText[] = L"Double-Click to Load Apps";

// Nothing for an unreachable computer; the load on the unloaded tree; the
// details of the selected package on a loaded one. A host call that fails
// ends the load and raises its error, the tree holding what the walk found
// so far and the pointer and the caption put back.
void tvwApps_DblClick(const AppsWindow& window);
// A folder shows itself closed or open; packages keep their image.
void tvwApps_Collapse(forms::Node& node);
void tvwApps_Expand(forms::Node& node);

}  // namespace pendrel::apps
