// The applications tab's registry and INI reads against Wine's own registry
// and INI functions: values written here are read back through the module.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "apps/registry_access.h"
#include "core/text.h"
#include "platform/win32/apps/registry_api.h"
#include "platform/win32/handles.h"

namespace pendrel::apps {
namespace {

constexpr const char* kTestKey = "SOFTWARE\\PendrelTest";

// The handle the next opened key gets. Handles are handed out from the lowest
// free slot, so a key left open by the code under test changes it; Wine's
// GetProcessHandleCount always reports 0, so it cannot show a leak.
HKEY next_key_handle() {
  HKEY key = nullptr;
  EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE", 0, KEY_READ, &key), ERROR_SUCCESS);
  RegCloseKey(key);
  return key;
}

class RegistryWine : public ::testing::Test {
 protected:
  win32::Win32RegistryApi api;

  void SetUp() override {
    win32::unique_hkey key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, kTestKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              key.put(), nullptr),
              ERROR_SUCCESS);
    const std::string long_text(1500, 'x');
    const DWORD dword = 42;
    const std::string binary(5000, '\x01');
    const struct {
      const char* name;
      DWORD type;
      const void* data;
      DWORD size;
    } values[] = {
        {"Terminated", REG_SZ, "abc", 4},
        {"Bare", REG_SZ, "abc", 3},
        {"Long", REG_SZ, long_text.c_str(), 1501},
        {"Multi", REG_MULTI_SZ, "a\0b\0", 5},
        {"Number", REG_DWORD, &dword, 4},
        {"Small", REG_BINARY, binary.data(), 16},
        {"Big", REG_BINARY, binary.data(), 5000},
        {"Nothing", REG_SZ, "", 0},
        {"Accented", REG_SZ, "Caf\xe9", 5},
    };
    for (const auto& v : values)
      ASSERT_EQ(RegSetValueExA(key.get(), v.name, 0, v.type, static_cast<const BYTE*>(v.data), v.size),
                ERROR_SUCCESS);
  }
  void TearDown() override { RegDeleteTreeA(HKEY_LOCAL_MACHINE, kTestKey); }
};

TEST_F(RegistryWine, ValuesComeBackTypedWithoutLeakingKeys) {
  const HKEY before = next_key_handle();
  const struct {
    const wchar_t* name;
    Variant before;
    int32_t get_status;
    Variant get_value;
    int32_t query_status;
    Variant query_value;
  } cases[] = {
      {L"Terminated", L"", 0, L"abc", 0, L"abc"},
      // The ANSI query reports text stored without its terminator with one.
      {L"Bare", L"", 0, L"abc", 0, L"abc"},
      {L"Long", L"", 0, std::wstring(1500, L'x'), 0, std::wstring(1500, L'x')},
      {L"Multi", L"", 0, std::wstring(L"a\0b", 3), -1, L"old"},
      {L"Number", L"", 0, int32_t{42}, 0, int32_t{42}},
      {L"Small", L"", 0, L"", 0, L"{Binary}"},
      {L"Big", true, 234, false, 0, L"{Binary}"},
      {L"Nothing", L"", 0, L"", 0, L""},
      {L"Accented", L"", 0, L"Caf\u00e9", 0, L"Caf\u00e9"},
      {L"Missing", true, 2, false, 2, L"old"},
  };
  RegKey key;
  ASSERT_EQ(OpenKey(api, kLocalMachine, L"SOFTWARE\\PendrelTest", key), 0);
  for (const auto& c : cases) {
    SCOPED_TRACE(to_ansi(c.name));
    Variant value = c.before;
    EXPECT_EQ(GetRegValue(api, kLocalMachine, L"SOFTWARE\\PendrelTest", c.name, value), c.get_status);
    EXPECT_EQ(value, c.get_value);
    value = L"old";
    EXPECT_EQ(QueryRegValue(api, key.get(), c.name, value), c.query_status);
    EXPECT_EQ(value, c.query_value);
  }
  EXPECT_TRUE(RegKeyExists(api, kLocalMachine, L"SOFTWARE\\PendrelTest"));
  EXPECT_FALSE(RegKeyExists(api, kLocalMachine, L"SOFTWARE\\PendrelTest\\None"));
  key.reset();
  EXPECT_EQ(next_key_handle(), before);
}

TEST_F(RegistryWine, MachineRootsOfThisMachineAndOfAComputerOutOfReach) {
  const HKEY before = next_key_handle();
  char name[MAX_COMPUTERNAME_LENGTH + 1] = {};
  DWORD size = sizeof name;
  ASSERT_TRUE(GetComputerNameA(name, &size));
  {
    RegKey root;
    ASSERT_EQ(ConnectMachineRoot(api, from_ansi(name), root), 0);
    Variant value = L"";
    EXPECT_EQ(GetRegValue(api, root.get(), L"SOFTWARE\\PendrelTest", L"Terminated", value), 0);
    EXPECT_EQ(value, Variant(L"abc"));
    RegKey gone;
    EXPECT_NE(ConnectMachineRoot(api, L"PC042", gone), 0);
    EXPECT_FALSE(gone);
  }
  EXPECT_EQ(next_key_handle(), before);
}

TEST(IniWine, StringsKeyListsAndSectionListsComeBackWhole) {
  char folder[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, folder);
  const std::string path = std::string(folder) + "pendrel-machines.ini";
  const std::string long_value(3000, 'v');
  std::ofstream(path) << "[Office]\nPath=C:\\Quill\nLong=" << long_value << "\n[Lab]\nHost=PC042\n";
  win32::Win32RegistryApi api;
  const std::wstring file = from_ansi(path);
  EXPECT_EQ(ReadIniString(api, L"Office", L"Path", L"", file), L"C:\\Quill");
  EXPECT_EQ(ReadIniString(api, L"Office", L"Long", L"", file), from_ansi(long_value));
  EXPECT_EQ(ReadIniString(api, L"Office", L"Absent", int16_t{0}, file), L"0");
  EXPECT_EQ(ReadIniString(api, L"Office", L"null", L"", file), std::wstring(L"Path\0Long\0", 10));
  EXPECT_EQ(ReadIniString(api, L"NULL", L"Null", L"", file), std::wstring(L"Office\0Lab\0", 11));
  DeleteFileA(path.c_str());
}

}  // namespace
}  // namespace pendrel::apps
