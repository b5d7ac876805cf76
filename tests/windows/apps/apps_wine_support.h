// Shared by the applications tab's Wine tests.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

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

}  // namespace pendrel::apps::testing
