#include "apps/applications.h"

#include <string>
#include <utility>

#include "apps/app_tree.h"
#include "apps/packages.h"
#include "apps/product_hive.h"
#include "apps/registry_access.h"
#include "forms/user_interface.h"

namespace pendrel::apps {

namespace {

constexpr wchar_t kDefaultHome[] = L"QM\\";
constexpr wchar_t kSettingsKey[] = L"SOFTWARE\\Quillmark\\Local_Machine_Settings";

void load_packages(const AppsWindow& window) {
  window.tvwApps().nodes().clear();
  std::wstring title = window.title();
  window.form.set_caption(title + L" -> Getting Packages ...");
  BusyWindow busy(window, std::move(title));
  {
    RegKey root;
    if (OpenMachineRoot(window.registry, window.computer, window.domain_object, root) == 0) {
      MountProductHive(window, root);
      window.form.refresh();
      Variant home = std::wstring();
      GetRegValue(window.registry, root.get(), kSettingsKey, L"Home", home);
      window.QMHome = home.to_text();
      ProcessPackages(window, root.get(), window.QMHome + L"LastRun\\APPIMAGE");
    }
  }
  busy.show_title();
  busy.pointer_back();
}

}  // namespace

void tvwApps_DblClick(const AppsWindow& window) {
  if (!window.computer.reachable()) return;
  forms::TreeView& tree = window.tvwApps();
  if (tree.nodes().count() == 1) {
    if (tree.nodes().item(1).text() == kUnloadedText) load_packages(window);
    return;
  }
  const forms::Node* selected = tree.selected_item();
  if (!selected || selected->tag() != kPackageTag) return;
  if (window.QMHome.empty()) window.QMHome = kDefaultHome;
  ShowPackageDetails(window, window.ComputerName, 0, window.QMHome + L"LastRun", selected->key());
}

void tvwApps_Collapse(forms::Node& node) {
  if (node.tag() == kFolderTag) node.set_image(app_image::kClosedFolder);
}

void tvwApps_Expand(forms::Node& node) {
  if (node.tag() == kFolderTag) node.set_image(app_image::kOpenFolder);
}

}  // namespace pendrel::apps
