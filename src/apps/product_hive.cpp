#include "apps/product_hive.h"

#include <algorithm>
#include <string>
#include <utility>

#include "core/error.h"
#include "core/text.h"

namespace pendrel::apps {

namespace {

constexpr wchar_t kWindowsNtKey[] = L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";
constexpr int32_t kStatusFileNotFound = 2;
constexpr uint32_t kNormalAttributes = 0;

std::wstring windows_directory(const AppsWindow& window, RegHandle root) {
  Variant directory = std::wstring();
  GetRegValue(window.registry, root, kWindowsNtKey, L"SystemRoot", directory);
  if (directory.to_text().empty()) GetRegValue(window.registry, root, kWindowsNtKey, L"PathName", directory);
  return directory.to_text();
}

// The mount runs under a trap: a call that raises (a Tavisk library that is
// missing, 53, or lacks the function, 453; a host call) fails the mount with
// its error number as the status, as a refused mount would, and nobody is
// told. The load then goes on without the hive.
template <class Step>
int32_t trapped_status(Step&& step) {
  try {
    return std::forward<Step>(step)();
  } catch (const Error& error) {
    return error.number();
  }
}

}  // namespace

void MountProductHive(const AppsWindow& window, const RegKey& root) {
  if (RegKeyExists(window.registry, root.get(), L"QM")) return;
  window.show_stage(L" -> Loading QM Details ...");
  int32_t status = kStatusFileNotFound;
  const std::wstring directory = windows_directory(window, root.get());
  if (!directory.empty()) {
    const std::wstring hive = directory + L"\\SYSTEM32\\system.dbx";
    // Another computer's file is reached through its drive's administrative
    // share; this machine's by its own path.
    std::wstring access = hive;
    if (root.connected()) {
      std::replace(access.begin(), access.end(), L':', L'$');
      access = L"\\\\" + window.computer.name() + L"\\" + access;
    }
    const std::string ansi_access = to_ansi(access);
    if (window.registry.GetFileAttributesA(ansi_access.c_str()) != kNoFileAttributes) {
      window.registry.SetFileAttributesA(ansi_access.c_str(), kNormalAttributes);
      status = trapped_status([&] {
        return window.tavisk.NetRegLoadKey(window.computer.name(), static_cast<int32_t>(kLocalMachine), L"QM", hive);
      });
    }
  }
  window.QMHiveLoaded = status == 0;
}

}  // namespace pendrel::apps
