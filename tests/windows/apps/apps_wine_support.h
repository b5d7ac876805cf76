// Shared by the applications tab's Wine tests.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "platform/win32/apps/registry_api.h"
#include "platform/win32/handles.h"

namespace pendrel::apps::testing {

// The handle the next opened key gets. Handles come from the lowest free slot,
// so a key left open changes it; Wine's GetProcessHandleCount always says 0.
inline HKEY next_key_handle() {
  win32::unique_hkey key;
  EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE", 0, KEY_READ, key.put()), ERROR_SUCCESS);
  return key.get();
}

// This machine's name as the registry connection knows it.
inline std::wstring this_computer_name() {
  wchar_t name[MAX_COMPUTERNAME_LENGTH + 1] = {};
  DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
  EXPECT_TRUE(GetComputerNameW(name, &size));
  return std::wstring(name, size);
}

inline bool key_exists(HKEY root, const std::wstring& path) {
  win32::unique_hkey key;
  return RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, key.put()) == ERROR_SUCCESS;
}

// The real registry, but Wine connects to this computer's own name by handing
// back the predefined key itself, which the callers would take for this
// machine's root and never close; a connection of its own, as to any other
// computer, keeps the connected path and its closing under test.
class ConnectingRegistryApi : public win32::Win32RegistryApi {
 public:
  int32_t RegConnectRegistryA(const char* machine, RegHandle key, RegHandle& result) override {
    const int32_t status = Win32RegistryApi::RegConnectRegistryA(machine, key, result);
    if (status != 0 || result != kLocalMachine) return status;
    // An empty path opens the predefined key itself too; creating one does not.
    HKEY own = nullptr;
    const LONG created = RegCreateKeyExA(HKEY_LOCAL_MACHINE, "", 0, nullptr, 0, KEY_READ, nullptr, &own, nullptr);
    if (created == ERROR_SUCCESS) result = reinterpret_cast<RegHandle>(own);
    return created;
  }
};

}  // namespace pendrel::apps::testing
