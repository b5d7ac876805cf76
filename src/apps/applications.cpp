#include "apps/applications.h"

#include "apps/app_tree.h"
#include "apps/packages.h"
#include "apps/product_hive.h"
#include "apps/registry_access.h"
#include "forms/user_interface.h"

namespace pendrel::apps {

namespace {

constexpr wchar_t kDefaultHome[] = L"QM\\";
constexpr wchar_t kSettingsKey[] = L"SOFTWARE\\Quillmark\\Local_Machine_Settings";

// The pointer goes back to the default however the load ends.
class Hourglass {
 public:
  explicit Hourglass(forms::UserInterface& ui) : ui_(ui) { ui_.set_mouse_pointer(forms::mouse_pointer::kHourglass); }
  Hourglass(const Hourglass&) = delete;
  Hourglass& operator=(const Hourglass&) = delete;
  ~Hourglass() { ui_.set_mouse_pointer(forms::mouse_pointer::kDefault); }

 private:
  forms::UserInterface& ui_;
};

void load_packages(const AppsWindow& window) {
  window.tvwApps().nodes().clear();
  window.show_stage(L" -> Getting Packages ...");
  const Hourglass hourglass(window.ui);
  {
    RegKey root;
    if (OpenMachineRoot(window.registry, window.computer, window.domain_object, root) == 0) {
      MountProductHive(window, root.get());
      window.form.refresh();
      Variant home = std::wstring();
      GetRegValue(window.registry, root.get(), kSettingsKey, L"Home", home);
      window.QMHome = home.to_text();
      ProcessPackages(window, root.get(), window.QMHome + L"LastRun\\APPIMAGE");
    }
  }
  window.show_stage();
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
