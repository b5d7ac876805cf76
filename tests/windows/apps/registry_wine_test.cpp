// The registry and INI reads over the real ANSI functions: values written
// under HKEY_LOCAL_MACHINE and INI files in the temporary folder come back
// through the module, and no key or file is left open.
#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>

#include "apps/registry_access.h"
#include "apps_wine_support.h"
#include "core/text.h"
#include "platform/win32/apps/registry_api.h"
#include "platform/win32/handles.h"

namespace pendrel::apps {
namespace {

using testing::next_key_handle;

constexpr wchar_t kTestKey[] = L"SOFTWARE\\PendrelTest";

// The texts below hold characters of the Windows-1252 code page.
TEST(RegistryWine, TheAnsiCodePageIsWestern) { ASSERT_EQ(GetACP(), 1252u); }

struct ValueCase {
  std::wstring path;  // below HKEY_LOCAL_MACHINE
  const char* name;
  DWORD type;
  std::string data;  // the bytes as RegSetValueExA stores them; none written for REG_NONE
  int32_t get_status;
  Variant get_value;
  int32_t query_status;
  Variant query_value;
};

TEST(RegistryWine, ValuesComeBackTypedThroughThisMachinesRootAndAConnection) {
  const std::string long_text = std::string(1500, 'x') + "\xe9", huge_text = std::string(100000, 'y') + "caf\xe9";
  // A key name of 255 characters right below the root: Wine's ANSI functions
  // take no path of more than 260 characters (234 instead).
  const std::wstring test_key = kTestKey, deep_key(255, L'k'), foreign_key = test_key + L"\\B\u00fcro\\Z\u00fcrich";
  const DWORD number = 42;
  const ValueCase cases[] = {
      {test_key, "Bare", REG_SZ, "abc", 0, L"abc", 0, L"abc"},  // the ANSI query adds the terminator
      {test_key, "Empty", REG_SZ, "", 0, L"", 0, L""},          // data size 0
      {test_key, "Expand", REG_EXPAND_SZ, std::string("%windir%\0", 9), 0, L"%windir%", 0, L"%windir%"},
      {test_key, "Long", REG_SZ, long_text + '\0', 0, from_ansi(long_text), 0, from_ansi(long_text)},
      {test_key, "Huge", REG_SZ, huge_text + '\0', 0, from_ansi(huge_text), 0, from_ansi(huge_text)},
      {test_key, "Multi", REG_MULTI_SZ, std::string("a\0b\0\0", 5), 0, std::wstring(L"a\0b", 3), -1, L"old"},
      {test_key, "Number", REG_DWORD, std::string(reinterpret_cast<const char*>(&number), 4), 0, int32_t{42}, 0,
       int32_t{42}},
      {test_key, "NoBytes", REG_BINARY, "", 0, L"", 0, L"{Binary}"},
      {test_key, "Fits", REG_BINARY, std::string(1024, '\x01'), 0, L"", 0, L"{Binary}"},
      {test_key, "Big", REG_BINARY, std::string(5000, '\x01'), 234, L"", 0, L"{Binary}"},
      {deep_key, "Deep", REG_SZ, "255", 0, L"255", 0, L"255"},
      {foreign_key, "Ort", REG_SZ, "caf\xe9", 0, L"caf\u00e9", 0, L"caf\u00e9"},
      {test_key, "Missing", REG_NONE, "", 2, L"", 2, L"old"},
  };
  for (const ValueCase& c : cases) {
    if (c.type == REG_NONE) continue;
    // Keys by their wide names, so that only the reads go through the code page.
    win32::unique_hkey key;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, c.path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, key.put(), nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(key.get(), c.name, 0, c.type, reinterpret_cast<const BYTE*>(c.data.data()),
                             static_cast<DWORD>(c.data.size())),
              ERROR_SUCCESS);
  }
  // Taken after the test's own first calls, some of which keep a handle of Wine's open (as does SCOPED_TRACE).
  const HKEY before = next_key_handle();
  testing::ConnectingRegistryApi api;
  RegKey connected;
  ASSERT_EQ(ConnectMachineRoot(api, testing::this_computer_name(), connected), 0);
  ASSERT_NE(connected.get(), kLocalMachine);
  for (const ValueCase& c : cases) {
    for (RegHandle root : {kLocalMachine, connected.get()}) {
      Variant value = L"old";
      EXPECT_EQ(GetRegValue(api, root, c.path, from_ansi(c.name), value), c.get_status) << c.name;
      EXPECT_EQ(value, c.get_value) << c.name;
    }
    RegKey key;
    ASSERT_EQ(OpenKey(api, kLocalMachine, c.path, key), 0) << c.name;
    Variant value = L"old";
    uint32_t type = 99;  // kept when the value is missing
    EXPECT_EQ(QueryRegValue(api, key.get(), from_ansi(c.name), value, &type), c.query_status) << c.name;
    EXPECT_EQ(value, c.query_value) << c.name;
    EXPECT_EQ(type, c.type == REG_NONE ? 99 : c.type) << c.name;
  }
  EXPECT_TRUE(RegKeyExists(api, kLocalMachine, foreign_key));
  EXPECT_FALSE(RegKeyExists(api, kLocalMachine, test_key + L"\\B\u00fcro\\Zurich"));
  EXPECT_FALSE(RegKeyExists(api, connected.get(), test_key + L"\\None"));
  connected.reset();
  EXPECT_EQ(next_key_handle(), before);
  for (const std::wstring& key : {test_key, deep_key}) RegDeleteTreeW(HKEY_LOCAL_MACHINE, key.c_str());
}

std::wstring temp_file(const char* name, const std::string& content) {
  char folder[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, folder);
  const std::string path = std::string(folder) + name;
  std::ofstream(path, std::ios::binary) << content;
  return from_ansi(path);
}

TEST(IniWine, StringsKeyListsAndSectionListsComeBackWhole) {
  const std::string exact(1023, 'e'), over(1024, 'o'), huge(100001, 'h');
  const std::wstring file =
      temp_file("pendrel-machines.ini", "[Office]\nPath=C:\\Quill\nExact=" + exact + "\nOver=" + over +
                                            "\nHuge=" + huge + "\n[B\xfcro]\nOrt=Z\xfcrich\n");
  // Cut from bytes 0x80 to 0xFF and NULs: no line of it is a section.
  std::string garbage;
  for (int i = 0; i < 3000; ++i) garbage += static_cast<char>(i % 7 == 0 ? 0 : 0x80 + i * 37 % 128);
  const std::wstring missing = temp_file("pendrel-missing.ini", ""), empty = temp_file("pendrel-empty.ini", ""),
                     binary = temp_file("pendrel-binary.ini", garbage);
  DeleteFileW(missing.c_str());
  win32::Win32RegistryApi api;
  // Taken after a first read: Wine keeps a handle open from the first one on.
  EXPECT_EQ(ReadIniString(api, L"Office", L"Path", L"", file), L"C:\\Quill");
  const HKEY before = next_key_handle();
  const std::tuple<std::wstring, std::wstring, Variant, std::wstring> cases[] = {
      {L"Office", L"Exact", L"", from_ansi(exact)},
      {L"Office", L"Over", L"", from_ansi(over)},
      {L"Office", L"Huge", L"", from_ansi(huge)},
      {L"B\u00fcro", L"Ort", L"", L"Z\u00fcrich"},
      {L"Office", L"Absent", int16_t{0}, L"0"},
      {L"Office", L"null", L"", std::wstring(L"Path\0Exact\0Over\0Huge\0", 21)},
      {L"NULL", L"Null", L"", std::wstring(L"Office\0B\u00fcro\0", 12)},
      {std::wstring(1, L'\0'), std::wstring(1, L'\0'), L"", std::wstring(L"Office\0B\u00fcro\0", 12)},
  };
  for (const auto& [section, key, default_value, expected] : cases) {
    EXPECT_EQ(ReadIniString(api, section, key, default_value, file), expected) << to_ansi(section + L"/" + key);
  }
  // Without the section, the key list is the default.
  for (const std::wstring& path : {missing, empty, binary}) {
    EXPECT_EQ(ReadIniString(api, L"Office", L"Path", L"none", path), L"none") << to_ansi(path);
    EXPECT_EQ(ReadIniString(api, L"Office", L"NULL", L"none", path), L"none") << to_ansi(path);
    EXPECT_EQ(ReadIniString(api, L"NULL", L"NULL", L"none", path), L"") << to_ansi(path);
  }
  EXPECT_EQ(next_key_handle(), before);
  for (const std::wstring& path : {file, empty, binary}) DeleteFileW(path.c_str());
}

}  // namespace
}  // namespace pendrel::apps
