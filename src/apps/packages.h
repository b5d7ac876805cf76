// The product's package records under the machine root: one key per package
// installed on the computer, in folders below QMHome + "LastRun\APPIMAGE",
// and the details box of one package.
#pragma once

#include <string>

#include "apps/apps_window.h"
#include "apps/registry_access.h"

namespace pendrel::apps {

// Walks the keys below key_path of root, depth first in the order the
// registry gives them, and adds every package key to tvwApps with its path
// below "APPIMAGE" ("*" at the end when it is marked for re-install). A key
// that cannot be opened or read adds nothing; the walk goes on. The tree is
// repainted a few times a second meanwhile.
void ProcessPackages(const AppsWindow& window, RegHandle root, const std::wstring& key_path);

// Shows the details box of one package: package_name is the package's node
// key (a trailing "*" marks it), found below key_path of computer_name's
// registry, connected for the purpose when key is 0, otherwise the last
// component of key_path is opened under key. Nothing is shown when the
// package key cannot be opened.
void ShowPackageDetails(const AppsWindow& window, const std::wstring& computer_name, RegHandle key,
                        const std::wstring& key_path, std::wstring package_name);

}  // namespace pendrel::apps
