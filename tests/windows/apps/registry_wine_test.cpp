// The registry and INI reads over the real ANSI functions: values written
// under HKEY_LOCAL_MACHINE and an INI file in the temporary folder come back
// through the module, and no key is left open.
#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>

#include "apps/registry_access.h"
#include "core/text.h"
#include "platform/win32/apps/registry_api.h"
#include "platform/win32/handles.h"

namespace pendrel::apps {
namespace {

// The handle the next opened key gets. Handles come from the lowest free slot,
// so a key left open changes it; Wine's GetProcessHandleCount always says 0.
HKEY next_key_handle() {
  win32::unique_hkey key;
  EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE", 0, KEY_READ, key.put()), ERROR_SUCCESS);
  return key.get();
}

TEST(RegistryWine, ValuesComeBackTypedThroughThisMachinesRootAndAConnection) {
  win32::unique_hkey test_key;
  ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\PendrelTest", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            test_key.put(), nullptr),
            ERROR_SUCCESS);
  const std::string text = std::string(1500, 'x') + "\xe9", binary(5000, '\x01');
  const DWORD number = 42;
  const std::tuple<const char*, DWORD, const void*, DWORD, int32_t, Variant, int32_t, Variant> cases[] = {
      {"Bare", REG_SZ, "abc", 3, 0, L"abc", 0, L"abc"},  // the ANSI query adds the terminator
      {"Long", REG_SZ, text.c_str(), 1502, 0, from_ansi(text), 0, from_ansi(text)},
      {"Multi", REG_MULTI_SZ, "a\0b\0", 5, 0, std::wstring(L"a\0b", 3), -1, L"old"},
      {"Number", REG_DWORD, &number, 4, 0, int32_t{42}, 0, int32_t{42}},
      {"Big", REG_BINARY, binary.data(), 5000, 234, L"", 0, L"{Binary}"},
  };
  for (const auto& [name, type, data, data_size, _, __, ___, ____] : cases)
    ASSERT_EQ(RegSetValueExA(test_key.get(), name, 0, type, static_cast<const BYTE*>(data), data_size), 0);
  char this_machine[MAX_COMPUTERNAME_LENGTH + 1] = {};
  DWORD size = sizeof this_machine;
  ASSERT_TRUE(GetComputerNameA(this_machine, &size));
  // Taken after the test's own first calls, some of which keep a handle of Wine's open (as does SCOPED_TRACE).
  const HKEY before = next_key_handle();
  win32::Win32RegistryApi api;
  RegKey connected, gone;
  ASSERT_EQ(ConnectMachineRoot(api, from_ansi(this_machine), connected), 0);
  EXPECT_NE(ConnectMachineRoot(api, L"PC042", gone), 0);
  for (const auto& [name, type, data, data_size, get_status, get_value, query_status, query_value] : cases) {
    for (RegHandle root : {kLocalMachine, connected.get()}) {
      Variant value = L"old";
      EXPECT_EQ(GetRegValue(api, root, L"SOFTWARE\\PendrelTest", from_ansi(name), value), get_status) << name;
      EXPECT_EQ(value, get_value) << name;
      value = L"old";
      EXPECT_EQ(QueryRegValue(api, reinterpret_cast<RegHandle>(test_key.get()), from_ansi(name), value), query_status)
          << name;
      EXPECT_EQ(value, query_value) << name;
    }
  }
  EXPECT_TRUE(RegKeyExists(api, kLocalMachine, L"SOFTWARE\\PendrelTest"));
  EXPECT_FALSE(RegKeyExists(api, connected.get(), L"SOFTWARE\\PendrelTest\\None"));
  connected.reset();
  EXPECT_EQ(next_key_handle(), before);
  test_key.reset();
  RegDeleteTreeA(HKEY_LOCAL_MACHINE, "SOFTWARE\\PendrelTest");
}

TEST(IniWine, StringsKeyListsAndSectionListsComeBackWhole) {
  char folder[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, folder);
  const std::string path = std::string(folder) + "pendrel-machines.ini", long_value(3000, 'v');
  std::ofstream(path) << "[Office]\nPath=C:\\Quill\nLong=" << long_value << "\n[Lab]\nHost=PC042\n";
  win32::Win32RegistryApi api;
  const std::wstring file = from_ansi(path);
  EXPECT_EQ(ReadIniString(api, L"Office", L"Long", L"", file), from_ansi(long_value));
  EXPECT_EQ(ReadIniString(api, L"Office", L"Absent", int16_t{0}, file), L"0");
  EXPECT_EQ(ReadIniString(api, L"Office", L"null", L"", file), std::wstring(L"Path\0Long\0", 10));
  EXPECT_EQ(ReadIniString(api, L"NULL", L"Null", L"", file), std::wstring(L"Office\0Lab\0", 11));
  DeleteFileA(path.c_str());
}

}  // namespace
}  // namespace pendrel::apps
