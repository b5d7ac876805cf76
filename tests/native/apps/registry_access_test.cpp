#include "apps/registry_access.h"

#include <gtest/gtest.h>

#include "apps/fake_registry.h"
#include "core/text.h"
#include "fake_dispatch.h"
#include "outside/computer.h"
#include "outside/domain_object.h"

namespace pendrel::apps {
namespace {

TEST(RegistryAccess, GetRegValueReadsEachTypeResetsByKindAndClosesTheKey) {
  const struct {
    uint32_t type;
    Data data;
    Variant before;
    int32_t status;
    Variant expected;
    std::vector<std::string> queries;
  } cases[] = {
      {kRegSz, {"abc\0", 4}, L"x", 0, L"abc", {"1024"}},
      {kRegSz, "abc", L"x", 0, L"abc", {"1024"}},
      {kRegExpandSz, {"%windir%\0", 9}, L"x", 0, L"%windir%", {"1024"}},
      {kRegSz, "", L"x", 0, L"", {"1024"}},
      {kRegMultiSz, {"a\0b\0\0", 5}, L"x", 0, std::wstring(L"a\0b", 3), {"1024"}},
      {kRegSz, Data(1500, 'x') + '\0', L"x", 0, std::wstring(1500, L'x'), {"1024", "-", "1501"}},
      {kRegDword, {"\x2A\0\0\0", 4}, L"x", 0, int32_t{42}, {"1024"}},
      {kRegBinary, "", true, 0, false, {"1024"}},
      {kRegBinary, Data(1024, 1), L"x", 0, L"", {"1024"}},
      {kRegBinary, Data(5000, 1), Variant(), kStatusMoreData, int16_t{0}, {"1024"}},
      {11, Data(2000, 1), int32_t{7}, kStatusMoreData, int16_t{0}, {"1024"}},
      {0, "missing", true, 2, false, {"1024"}},
      {0, "no key", L"x", 2, L"", {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "type " << c.type << ", " << c.data.size() << " bytes");
    FakeRegistry api;
    if (c.data != "no key") api.keys["SOFTWARE\\Quill"];
    if (c.type != 0) api.keys["SOFTWARE\\Quill"]["v"] = {c.type, c.data};
    Variant value = c.before;
    EXPECT_EQ(GetRegValue(api, kLocalMachine, L"SOFTWARE\\Quill", L"v", value), c.status);
    EXPECT_EQ(value, c.expected);
    EXPECT_EQ(api.log, c.queries);
    EXPECT_TRUE(api.open.empty());
  }
}

TEST(RegistryAccess, QueryRegValueTypesTheValueOrLeavesItAsItWas) {
  FakeRegistry api;
  api.keys["Q"] = {{"sz", {kRegSz, {"abc\0", 4}}},
                   {"empty", {kRegSz, ""}},
                   {"multi", {kRegMultiSz, {"a\0\0", 3}}},
                   {"bin", {kRegBinary, Data(5000, 1)}},
                   {"dword", {kRegDword, "\xFF\xFF\xFF\xFF"}}};
  RegKey key;
  ASSERT_EQ(OpenKey(api, kLocalMachine, L"Q", key), 0);
  const std::tuple<const wchar_t*, int32_t, Variant, uint32_t> cases[] = {{L"sz", 0, L"abc", kRegSz},
                                                                          {L"empty", 0, L"", kRegSz},
                                                                          {L"multi", -1, L"old", kRegMultiSz},
                                                                          {L"bin", 0, L"{Binary}", kRegBinary},
                                                                          {L"dword", 0, int32_t{-1}, kRegDword},
                                                                          {L"missing", 2, L"old", 99}};
  for (const auto& [name, status, expected, type] : cases) {
    Variant value = L"old";
    uint32_t value_type = 99;
    EXPECT_EQ(QueryRegValue(api, key.get(), name, value, &value_type), status) << to_ansi(name);
    EXPECT_EQ(value, expected) << to_ansi(name);
    EXPECT_EQ(value_type, type) << to_ansi(name);
  }
  EXPECT_TRUE(RegKeyExists(api, kLocalMachine, L"Q"));
  EXPECT_FALSE(RegKeyExists(api, kLocalMachine, L"Q\\None"));
  key.reset();
  EXPECT_TRUE(api.open.empty());
}

TEST(RegistryAccess, TheMachineRootIsThisMachinesOwnOrAConnection) {
  auto computer = std::make_shared<fakes::FakeDispatch>(L"Computer");
  auto domain_object = std::make_shared<fakes::FakeDispatch>(L"DomainObject");
  domain_object->on(L"ThisComputerName").get(L"CONSOLE1");
  domain_object->on(L"ThisDomainName").get(L"SALES");
  const std::tuple<const wchar_t*, const wchar_t*, int32_t, const char*> cases[] = {
      {L"CONSOLE1", L"SALES", 0, nullptr},
      {L"CONSOLE1", L"HR", 0, "CONSOLE1 2147483650"},
      {L"PC042", L"SALES", 0, "PC042 2147483650"},
      {L"GONE", L"SALES", 53, "GONE 2147483650"}};
  for (const auto& [name, domain, status, connect] : cases) {
    FakeRegistry api;
    computer->on(L"Name").get(name);
    computer->on(L"Domain").get(domain);
    RegKey root;
    EXPECT_EQ(OpenMachineRoot(api, outside::Computer(computer), outside::DomainObject(domain_object), root), status);
    EXPECT_EQ(root.get() == kLocalMachine, connect == nullptr);
    EXPECT_EQ(api.log, connect ? std::vector<std::string>{connect} : std::vector<std::string>{});
    root.reset();
    EXPECT_TRUE(api.open.empty());
  }
}

TEST(RegistryAccess, ReadIniStringGrowsUntilNothingIsCutOff) {
  const std::string list("Alpha\0Beta\0\0", 12), file = "/C:\\cfg\\m.ini";
  const std::wstring listed(L"Alpha\0Beta\0", 11);
  const std::tuple<std::wstring, std::wstring, std::string, std::wstring, std::vector<std::string>> cases[] = {
      {L"Office", L"Path", "C:\\Quill", L"C:\\Quill", {"Office/Path/5/1024" + file}},
      {L"Office",
       L"Path",
       Data(1023, 'p'),
       std::wstring(1023, L'p'),
       {"Office/Path/5/1024" + file, "Office/Path/5/2048" + file}},
      {L"Office", L"null", list, listed, {"Office/-/5/1024" + file}},
      {L"Big",
       L"null",
       Data(1100, 'k') + Data(2, '\0'),
       std::wstring(1100, L'k') + L'\0',
       {"Big/-/5/1024" + file, "Big/-/5/2048" + file}},
      {L"Office", std::wstring(1, L'\0'), list, listed, {"Office/-/5/1024" + file}},
      {L"NULL", L"Null", list, listed, {"-/-/5/1024" + file}},
      {L"NULL", L"Path", "v", L"v", {"NULL/Path/5/1024" + file}},
  };
  for (const auto& [section, key, text, expected, calls] : cases) {
    FakeRegistry api;
    api.ini = text;
    EXPECT_EQ(ReadIniString(api, section, key, int16_t{5}, L"C:\\cfg\\m.ini"), expected);
    EXPECT_EQ(api.log, calls);
  }
  FakeRegistry api;
  api.ini = Data(100000, 'v');
  EXPECT_EQ(ReadIniString(api, L"Big", L"Key", L"", L"m.ini"), std::wstring(100000, L'v'));
  EXPECT_EQ(api.log.back(), "Big/Key//100352/m.ini");
}

}  // namespace
}  // namespace pendrel::apps
