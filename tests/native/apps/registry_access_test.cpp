#include "apps/registry_access.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "fake_dispatch.h"
#include "outside/computer.h"
#include "outside/domain_object.h"

namespace pendrel::apps {
namespace {

using Data = std::vector<uint8_t>;

Data bytes(std::string_view text) { return Data(text.begin(), text.end()); }

struct Value {
  uint32_t type;
  Data data;
};

// A registry of keys by path under HKEY_LOCAL_MACHINE and INI texts by file,
// answering as the Windows functions do and logging what was asked of it.
class FakeRegistry : public RegistryApi {
 public:
  std::map<std::string, std::map<std::string, Value>> keys;
  std::map<RegHandle, std::string> open;  // handle -> key path
  std::vector<std::string> log;
  // The text GetPrivateProfileStringA has for the asked section and key (a
  // list when one of them is null, already ending in its two NULs).
  std::string ini_text;

  int32_t RegOpenKeyExA(RegHandle key, const char* subkey, uint32_t, uint32_t access,
                        RegHandle& result) override {
    log.push_back("open " + std::string(subkey) + " " + std::to_string(access));
    if (!keys.contains(subkey)) return 2;
    result = next_++;
    open[result] = subkey;
    return 0;
  }
  int32_t RegQueryValueExA(RegHandle key, const char* name, uint32_t& type, uint8_t* data,
                           uint32_t& size) override {
    log.push_back("query " + std::string(data ? std::to_string(size) : "-"));
    auto& values = keys.at(open.at(key));
    if (!values.contains(name)) return 2;
    const Value& v = values.at(name);
    type = v.type;
    const uint32_t room = size;
    size = static_cast<uint32_t>(v.data.size());
    if (data == nullptr) return 0;
    if (room < size) return kStatusMoreData;
    std::copy(v.data.begin(), v.data.end(), data);
    return 0;
  }
  int32_t RegCloseKey(RegHandle key) override {
    log.push_back("close");
    return open.erase(key) == 1 ? 0 : 6;
  }
  int32_t RegConnectRegistryA(const char* machine, RegHandle key, RegHandle& result) override {
    log.push_back("connect " + std::string(machine) + " " + std::to_string(key));
    if (std::string(machine) == "GONE") return 53;
    result = next_++;
    open[result] = "";
    return 0;
  }
  uint32_t GetPrivateProfileStringA(const char* section, const char* key, const char* default_text,
                                    char* buffer, uint32_t size, const char* file) override {
    log.push_back(std::string(section ? section : "(null)") + "/" + (key ? key : "(null)") + "/" +
                  default_text + "/" + std::to_string(size) + "/" + file);
    const bool list = key == nullptr;
    const std::string& text = ini_text.empty() && !list ? std::string(default_text) : ini_text;
    if (text.size() + (list ? 0 : 1) <= size) {
      std::memcpy(buffer, text.c_str(), text.size() + 1);
      return static_cast<uint32_t>(text.size() - (list ? 1 : 0));
    }
    const uint32_t kept = size - (list ? 2 : 1);  // cut off: the terminators still fit
    std::memcpy(buffer, text.data(), kept);
    std::memset(buffer + kept, 0, size - kept);
    return kept;
  }

 private:
  RegHandle next_ = 100;
};

class RegistryAccess : public ::testing::Test {
 protected:
  FakeRegistry api;
  Variant value;
  void put(const std::string& name, uint32_t type, Data data) {
    api.keys["SOFTWARE\\Quill"][name] = {type, std::move(data)};
  }
  int32_t get(const std::string& name) {
    return GetRegValue(api, kLocalMachine, L"SOFTWARE\\Quill", from_ansi(name), value);
  }
};

TEST_F(RegistryAccess, GetRegValueReadsEachTypeAndClosesTheKey) {
  const std::string long_text(1500, 'x');
  const Data dword = {0x2A, 0, 0, 0};
  struct Case {
    uint32_t type;
    Data data;
    int32_t status;
    Variant expected;
    std::vector<std::string> log;
  } cases[] = {
      {kRegSz, bytes({"abc\0", 4}), 0, L"abc", {"open SOFTWARE\\Quill 131097", "query 1024", "close"}},
      {kRegSz, bytes("abc"), 0, L"abc", {"open SOFTWARE\\Quill 131097", "query 1024", "close"}},
      {kRegExpandSz, bytes({"%windir%\0", 9}), 0, L"%windir%", {}},
      {kRegSz, {}, 0, L"", {}},
      {kRegSz, bytes({"\0", 1}), 0, L"", {}},
      {kRegMultiSz, bytes({"a\0b\0\0", 5}), 0, std::wstring(L"a\0b", 3), {}},
      {kRegSz, bytes(long_text + '\0'), 0, std::wstring(1500, L'x'),
       {"open SOFTWARE\\Quill 131097", "query 1024", "query -", "query 1501", "close"}},
      {kRegDword, dword, 0, int32_t{42}, {"open SOFTWARE\\Quill 131097", "query 1024", "query 4", "close"}},
      {kRegBinary, {}, 0, L"", {}},
      {kRegBinary, Data(1024, 1), 0, L"", {}},
      {kRegBinary, Data(5000, 1), kStatusMoreData, L"", {"open SOFTWARE\\Quill 131097", "query 1024", "close"}},
      {11, Data(8, 1), 0, L"", {}},
      {11, Data(2000, 1), kStatusMoreData, L"", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "type " << c.type << ", " << c.data.size() << " bytes");
    put("v", c.type, c.data);
    api.log.clear();
    value = L"old";
    EXPECT_EQ(get("v"), c.status);
    EXPECT_EQ(value, c.expected);
    if (!c.log.empty()) {
      EXPECT_EQ(api.log, c.log);
    }
    EXPECT_TRUE(api.open.empty());
  }
}

TEST_F(RegistryAccess, GetRegValueResetsByTheVariableKindWhenNothingIsRead) {
  put("bin", kRegBinary, {1});
  const std::pair<Variant, Variant> kinds[] = {
      {L"left over", L""}, {true, false}, {Variant(), int16_t{0}}, {int32_t{7}, int16_t{0}}};
  for (const auto& [before, reset] : kinds) {
    for (const auto& [subkey, name] : {std::pair{L"SOFTWARE\\Quill", L"missing"},
                                       std::pair{L"SOFTWARE\\None", L"v"},
                                       std::pair{L"SOFTWARE\\Quill", L"bin"}}) {
      value = before;
      GetRegValue(api, kLocalMachine, subkey, name, value);
      EXPECT_EQ(value, reset) << before.to_text() << " " << to_ansi(subkey) << " " << to_ansi(name);
    }
  }
  value = L"x";
  EXPECT_EQ(GetRegValue(api, kLocalMachine, L"SOFTWARE\\Quill", L"missing", value), 2);
  EXPECT_EQ(GetRegValue(api, kLocalMachine, L"SOFTWARE\\None", L"v", value), 2);
  EXPECT_TRUE(api.open.empty());
}

TEST_F(RegistryAccess, QueryRegValueTypesAndLeavesTheValueWhenNotRead) {
  put("sz", kRegSz, bytes({"abc\0", 4}));
  put("empty", kRegSz, {});
  put("multi", kRegMultiSz, bytes({"a\0b\0\0", 5}));
  put("bin", kRegBinary, Data(5000, 1));
  put("dword", kRegDword, {0xFF, 0xFF, 0xFF, 0xFF});
  RegKey key;
  ASSERT_EQ(OpenKey(api, kLocalMachine, L"SOFTWARE\\Quill", key), 0);
  struct Case {
    const wchar_t* name;
    int32_t status;
    Variant expected;
    uint32_t type;
  } cases[] = {{L"sz", 0, L"abc", kRegSz},          {L"empty", 0, L"", kRegSz},
               {L"multi", -1, L"old", kRegMultiSz}, {L"bin", 0, L"{Binary}", kRegBinary},
               {L"dword", 0, int32_t{-1}, kRegDword}, {L"missing", 2, L"old", 99}};
  for (const Case& c : cases) {
    value = L"old";
    uint32_t type = 99;
    EXPECT_EQ(QueryRegValue(api, key.get(), c.name, value, &type), c.status) << to_ansi(c.name);
    EXPECT_EQ(value, c.expected) << to_ansi(c.name);
    EXPECT_EQ(type, c.type) << to_ansi(c.name);
  }
  EXPECT_EQ(QueryRegValue(api, key.get(), L"sz", value), 0);
  key.reset();
  EXPECT_TRUE(api.open.empty());
}

TEST_F(RegistryAccess, KeysExistWhenTheyOpenAndMachineRootsFollowTheComputer) {
  EXPECT_FALSE(RegKeyExists(api, kLocalMachine, L"SOFTWARE\\Quill"));
  put("v", kRegSz, {});
  EXPECT_TRUE(RegKeyExists(api, kLocalMachine, L"SOFTWARE\\Quill"));
  EXPECT_TRUE(api.open.empty());

  auto computer = std::make_shared<fakes::FakeDispatch>(L"Computer");
  auto domain_object = std::make_shared<fakes::FakeDispatch>(L"DomainObject");
  domain_object->on(L"ThisComputerName").get(L"CONSOLE1");
  domain_object->on(L"ThisDomainName").get(L"SALES");
  const std::pair<const wchar_t*, const wchar_t*> computers[] = {
      {L"CONSOLE1", L"SALES"}, {L"CONSOLE1", L"HR"}, {L"PC042", L"SALES"}, {L"GONE", L"SALES"}};
  for (const auto& [name, domain] : computers) {
    computer->on(L"Name").get(name);
    computer->on(L"Domain").get(domain);
    api.log.clear();
    RegKey root;
    const int32_t status = OpenMachineRoot(api, outside::Computer(DispatchPtr(computer)),
                                           outside::DomainObject(DispatchPtr(domain_object)), root);
    const bool local = std::wstring(name) == L"CONSOLE1" && std::wstring(domain) == L"SALES";
    EXPECT_EQ(status, std::wstring(name) == L"GONE" ? 53 : 0);
    EXPECT_EQ(root.get() == kLocalMachine, local);
    root.reset();
    std::vector<std::string> expected;
    if (!local) expected.push_back("connect " + to_ansi(name) + " 2147483650");
    if (!local && status == 0) expected.push_back("close");
    EXPECT_EQ(api.log, expected);
  }
  RegKey root;
  EXPECT_EQ(ConnectMachineRoot(api, L"CONSOLE1", root), 0);
  EXPECT_NE(root.get(), kLocalMachine);
}

TEST_F(RegistryAccess, ReadIniStringGrowsUntilNothingIsCutOff) {
  const std::string list(std::string("Alpha\0Beta\0\0", 12));
  struct Case {
    std::wstring section;
    std::wstring key;
    std::string text;
    std::wstring expected;
    std::vector<std::string> log;
  } cases[] = {
      {L"Office", L"Path", "C:\\Quill", L"C:\\Quill", {"Office/Path/dflt/1024/C:\\cfg\\machines.ini"}},
      {L"Office", L"Path", "", L"dflt", {}},
      {L"Office", L"Path", std::string(1023, 'p'), std::wstring(1023, L'p'),
       {"Office/Path/dflt/1024/C:\\cfg\\machines.ini", "Office/Path/dflt/2048/C:\\cfg\\machines.ini"}},
      {L"Office", L"Path", std::string(100000, 'p'), std::wstring(100000, L'p'), {}},
      {L"Office", L"null", list, std::wstring(L"Alpha\0Beta\0", 11), {"Office/(null)/dflt/1024/C:\\cfg\\machines.ini"}},
      {L"Office", std::wstring(1, L'\0'), list, std::wstring(L"Alpha\0Beta\0", 11), {}},
      {L"NULL", L"Null", list, std::wstring(L"Alpha\0Beta\0", 11), {"(null)/(null)/dflt/1024/C:\\cfg\\machines.ini"}},
      {L"NULL", L"Path", "v", L"v", {"NULL/Path/dflt/1024/C:\\cfg\\machines.ini"}},
  };
  for (const Case& c : cases) {
    api.ini_text = c.text;
    api.log.clear();
    EXPECT_EQ(ReadIniString(api, c.section, c.key, L"dflt", L"C:\\cfg\\machines.ini"), c.expected);
    if (!c.log.empty()) {
      EXPECT_EQ(api.log, c.log);
    }
  }
  std::string long_list;
  for (int i = 0; i < 300; ++i) long_list += "Key" + std::to_string(1000 + i) + '\0';
  api.ini_text = long_list + '\0';
  const std::wstring keys = ReadIniString(api, L"Office", L"NULL", int16_t{5}, L"m.ini");
  EXPECT_EQ(keys, from_ansi(long_list));
  EXPECT_EQ(api.log.back(), "Office/(null)/5/3072/m.ini");
}

}  // namespace
}  // namespace pendrel::apps
