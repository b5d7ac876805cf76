#include "apps/machine_config.h"

#include <string>
#include <utility>

#include "apps/product_hive.h"
#include "core/text.h"
#include "forms/label.h"
#include "forms/list_view.h"

namespace pendrel::apps {
namespace {

constexpr wchar_t kEnvironmentKey[] = L"SYSTEM\\CurrentCOntrolSet\\Control\\Session Manager\\Environment";
constexpr wchar_t kLogicalGroupDescription[] = L"QM Logical Computer Group";
constexpr int kGlobalGroupIcon = 5;
constexpr int kLogicalGroupIcon = 6;
constexpr int kLocalGroupIcon = 8;

forms::ListItems& groups_list(const AppsWindow& window) {
  return window.form.get<forms::ListView>(L"ListView1", 1).list_items();
}

// One row per group name: a name met again takes over its row, which then
// shows the kind and description of the later source.
void show_group(forms::ListItems& items, const std::wstring& name, const wchar_t* kind, int icon,
                std::wstring description) {
  forms::ListItem* row = items.find(name);
  if (!row) row = &items.add(name, name);
  row->set_tag(L"");
  row->set_text(kind);
  row->set_icon(icon);
  row->set_small_icon(icon);
  row->set_sub_item(1, name);
  row->set_sub_item(2, std::move(description));
}

void show_host_groups(forms::ListItems& items, const outside::Groups& groups, const wchar_t* kind, int icon) {
  const int32_t count = groups.count();
  for (int32_t i = 1; i <= count; ++i) {
    const outside::Group group = groups.item(i);
    std::wstring description = group.get_description();
    if (description.empty()) description = L"N/A";
    show_group(items, group.name(), kind, icon, std::move(description));
  }
}

std::wstring machines_cfg_path(const AppsWindow& window, RegHandle root) {
  Variant path = std::wstring();
  GetRegValue(window.registry, root, kEnvironmentKey, L"MachinesCfg_Path", path);
  return path.to_text();
}

// Processor make, model and series, then the network card and the video
// driver when there is any processor text. The label shows each step, the
// first (the profile's name read) still without text.
void show_make_and_model(const AppsWindow& window, RegHandle root) {
  forms::Label& shown = window.form.get<forms::Label>(L"Label2", 3);
  const std::wstring folder = machines_cfg_path(window, root);
  if (folder.empty()) {
    shown.set_caption(L"");
    return;
  }
  const std::wstring hardware_cfg = folder + L"\\HARDWARE.CFG";
  std::wstring label;
  const std::wstring profile =
      ReadIniString(window.registry, window.computer.name(), L"Hardware.cfg", L"", folder + L"\\MACHINES.CFG");
  shown.set_caption(label);
  auto read = [&](const wchar_t* key) { return ReadIniString(window.registry, profile, key, L"", hardware_cfg); };
  label = read(L"CPUMAKE");
  shown.set_caption(label);
  for (const wchar_t* key : {L"CPUMODEL", L"CPUSERIES"}) {
    label += L" " + read(key);
    shown.set_caption(label);
  }
  if (trim_spaces(label).empty()) return;
  label += L" (NIC=" + read(L"NIC") + L",";
  shown.set_caption(label);
  label += L"Video=" + read(L"VideoDriver") + L")";
  shown.set_caption(label);
}

// The product's logical computer groups, a comma-separated list; the names
// are shown as written, spaces included.
void show_logical_groups(const AppsWindow& window, RegHandle root) {
  const std::wstring folder = machines_cfg_path(window, root);
  if (folder.empty()) return;
  const std::wstring groups =
      ReadIniString(window.registry, window.computer.name(), L"MachineGroups", L"", folder + L"\\MACHINES.CFG");
  forms::ListItems& items = groups_list(window);
  for (size_t start = 0; start <= groups.size();) {
    size_t end = groups.find(L',', start);
    if (end == std::wstring::npos) end = groups.size();
    if (end > start) {
      show_group(items, groups.substr(start, end - start), L"Vyx", kLogicalGroupIcon, kLogicalGroupDescription);
    }
    start = end + 1;
  }
}

void show_configuration(const AppsWindow& window, const RegKey& root) {
  MountProductHive(window, root);
  if (!RegKeyExists(window.registry, root.get(), L"QM")) return;
  if (window.QMHome.empty()) window.QMHome = L"QM\\";
  show_make_and_model(window, root.get());
  show_logical_groups(window, root.get());
}

}  // namespace

void LoadQMDetails(const AppsWindow& window) {
  std::wstring title = window.title();
  window.form.set_caption(title + L" -> Getting Domain Groups ...");
  BusyWindow busy(window, std::move(title));

  forms::ListItems& items = groups_list(window);
  items.clear();
  window.computer.get_groups();
  show_host_groups(items, window.computer.global_groups(), L"Global", kGlobalGroupIcon);
  show_host_groups(items, window.computer.local_groups(), L"Local", kLocalGroupIcon);

  window.show_stage(L" -> Getting Packages ...");
  {
    RegKey root;
    if (OpenMachineRoot(window.registry, window.computer, window.domain_object, root) == 0) {
      show_configuration(window, root);
    }
  }
  busy.pointer_back();
  busy.show_title();
}

}  // namespace pendrel::apps
