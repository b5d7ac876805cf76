#include "apps/packages.h"

#include <chrono>

#include "apps/app_tree.h"
#include "core/text.h"
#include "forms/user_interface.h"

namespace pendrel::apps {

namespace {

constexpr uint32_t kNameBufferSize = 256;
// The tree path of a package is its key path without "QM\LastRun\APPIMAGE\":
// a fixed count, whatever QMHome holds.
constexpr std::size_t kTreePathStart = 20;
constexpr wchar_t kPackageKeyMark[] = L"MachInst";
constexpr wchar_t kDetailsTitle[] = L"Application/Package Details";
constexpr wchar_t kMarkedDetailsTitle[] = L"Application/Package Details (Marked for Re-Install)";

// A key named like "NT4" below a "MachInst" folder holds one operating
// system's packages and is walked like a folder.
bool is_package_key(const std::wstring& path) {
  if (path.find(kPackageKeyMark) == std::wstring::npos || path.ends_with(kPackageKeyMark)) return false;
  return path.size() < 4 || path.compare(path.size() - 4, 3, L"\\NT") != 0;
}

// Repainting the window on every package would cost more than the walk
// itself (a repaint of the whole window takes tens of milliseconds): the tree
// and the caption are brought up to date once a second, so the load still
// shows its progress.
class Repaint {
 public:
  explicit Repaint(forms::Form& form) : form_(form) {}
  void maybe() {
    const auto now = std::chrono::steady_clock::now();
    if (now < next_) return;
    form_.refresh();
    next_ = std::chrono::steady_clock::now() + kInterval;
  }

 private:
  static constexpr std::chrono::milliseconds kInterval{1000};
  forms::Form& form_;
  // The load repainted the window just before the walk.
  std::chrono::steady_clock::time_point next_ = std::chrono::steady_clock::now() + kInterval;
};

void walk(const AppsWindow& window, forms::TreeView& tree, RegHandle root, const std::wstring& key_path,
          Repaint& repaint) {
  RegKey key;
  OpenKey(window.registry, root, key_path, key);
  char buffer[kNameBufferSize];
  for (uint32_t index = 0; key; ++index) {
    std::fill(std::begin(buffer), std::end(buffer), '\0');
    if (window.registry.RegEnumKeyA(key.get(), index, buffer, kNameBufferSize) != 0) break;
    const std::wstring name =
        window.domain_object.rem_null(from_ansi(std::string_view(buffer, kNameBufferSize)));
    const std::wstring full_path = key_path + L"\\" + name;
    if (!is_package_key(full_path)) {
      walk(window, tree, root, full_path, repaint);
      continue;
    }
    Variant reinstall = std::wstring();
    GetRegValue(window.registry, root, full_path, L"Re-Install", reinstall);
    const std::wstring marker = window.domain_object.rem_null(reinstall.to_text()) == L"1" ? L"*" : L"";
    repaint.maybe();
    OpenToFolder(tree, (full_path.size() > kTreePathStart ? full_path.substr(kTreePathStart) : L"") + marker);
    tree.nodes().item(1).ensure_visible();
  }
}

}  // namespace

void ProcessPackages(const AppsWindow& window, RegHandle root, const std::wstring& key_path) {
  Repaint repaint(window.form);
  forms::TreeView& tree = window.tvwApps();
  const forms::UpdateBatch batch = tree.begin_update();
  walk(window, tree, root, key_path, repaint);
}

void ShowPackageDetails(const AppsWindow& window, const std::wstring& computer_name, RegHandle key,
                        const std::wstring& key_path, std::wstring package_name) {
  const bool marked = package_name.ends_with(L'*');
  if (marked) package_name.pop_back();
  RegKey connected;
  RegKey package;
  if (key == 0) {
    ConnectMachineRoot(window.registry, computer_name, connected);
    if (connected) OpenKey(window.registry, connected.get(), key_path + L"\\" + package_name, package);
  } else {
    OpenKey(window.registry, key, key_path.substr(key_path.rfind(L'\\') + 1), package);
  }
  if (!package) return;

  auto read = [&](const wchar_t* name) {
    Variant value = std::wstring();
    QueryRegValue(window.registry, package.get(), name, value);
    return value.to_text();
  };
  std::wstring version = read(L"AppVersion");
  const std::wstring date = read(L"Date");
  const std::wstring installed = read(L"InstalledDate");
  const std::wstring name = read(L"Name");
  if (!version.empty()) version = L" (v. " + version + L")";
  const std::wstring message = L"Package:\t\t" + name + version + L"\r\n\r\nInstall Date:\t" + installed +
                               L"\r\nPackage Date:\t" + date + L"\r\nBy File:\t\t" + package_name;
  window.ui.message_box(message, forms::msgbox_style::kInformation, marked ? kMarkedDetailsTitle : kDetailsTitle);
}

}  // namespace pendrel::apps
