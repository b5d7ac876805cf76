// What the real registry cannot show: the buffer sizes asked for, the value
// reset by its kind, a REG_DWORD read again into 32 bits, the machine root's
// connection and the INI buffer growth. The values themselves are read back
// from the real registry under Wine.
#include "apps/registry_access.h"

#include <gtest/gtest.h>

#include "outside/computer.h"
#include "outside/domain_object.h"
#include "support/fakes.h"

namespace pendrel::apps {
namespace {

using Log = std::vector<std::string>;
using fakes::FakeRegistry;
using Data = FakeRegistry::Data;

TEST(RegistryAccess, GetRegValueAsksAgainOnlyForLongTextResetsByKindAndClosesTheKey) {
  const std::tuple<uint32_t, Data, Variant, int32_t, Variant, Log> cases[] = {
      {kRegSz, Data(1500, 'x') + '\0', L"x", 0, std::wstring(1500, L'x'), {"1024", "-", "1501"}},
      {kRegBinary, "", true, 0, false, {"1024"}},
      {kRegBinary, Data(5000, 1), Variant(), kStatusMoreData, int16_t{0}, {"1024"}},
      {11, Data(2000, 1), int32_t{7}, kStatusMoreData, int16_t{0}, {"1024"}},
      {0, "missing", true, 2, false, {"1024"}},
      {0, "no key", L"x", 2, L"", {}},
      // A REG_DWORD is read again into 32 bits; that read's status is the result.
      {kRegDword, {"\x07\x01\0\0", 4}, L"x", 0, int32_t{0x107}, {"1024"}},
      {kRegDword, {"\x07\x01\0\0\0\0\0\0", 8}, L"x", kStatusMoreData, int32_t{0}, {"1024", "4"}},
      {kRegDword, {"\x07\x01", 2}, L"x", 0, int32_t{0x107}, {"1024", "4"}},
  };
  for (const auto& [type, data, before, status, expected, queries] : cases) {
    SCOPED_TRACE(testing::Message() << "type " << type << ", " << data.size() << " bytes");
    FakeRegistry api;
    if (data != "no key") api.keys["SOFTWARE\\Quill"];
    if (type != 0) api.keys["SOFTWARE\\Quill"]["v"] = {type, data};
    Variant value = before;
    EXPECT_EQ(GetRegValue(api, kLocalMachine, L"SOFTWARE\\Quill", L"v", value), status);
    EXPECT_EQ(value, expected);
    EXPECT_EQ(api.log, queries);
    EXPECT_TRUE(api.open.empty());
  }
}

TEST(RegistryAccess, TheMachineRootIsThisMachinesOwnOrAConnection) {
  auto computer = std::make_shared<fakes::FakeDispatch>(L"Computer");
  auto domain_object = std::make_shared<fakes::FakeDispatch>(L"DomainObject");
  domain_object->on(L"ThisComputerName").get(L"CONSOLE1"), domain_object->on(L"ThisDomainName").get(L"SALES");
  const std::tuple<const wchar_t*, const wchar_t*, int32_t, const char*> cases[] = {
      {L"CONSOLE1", L"SALES", 0, nullptr},
      {L"CONSOLE1", L"HR", 0, "CONSOLE1 2147483650"},
      {L"PC042", L"SALES", 0, "PC042 2147483650"},
      {L"GONE", L"SALES", 53, "GONE 2147483650"}};
  for (const auto& [name, domain, status, connect] : cases) {
    FakeRegistry api;
    computer->on(L"Name").get(name), computer->on(L"Domain").get(domain);
    RegKey root;
    EXPECT_EQ(OpenMachineRoot(api, outside::Computer(computer), outside::DomainObject(domain_object), root), status);
    EXPECT_EQ(root.get() == kLocalMachine, connect == nullptr);
    root.reset();
    EXPECT_EQ(api.log, connect ? Log{connect} : Log{});
    EXPECT_TRUE(api.open.empty());
  }
}

TEST(RegistryAccess, ReadIniStringGrowsUntilNothingIsCutOff) {
  const std::string list("Alpha\0Beta\0\0", 12), file = "/C:\\cfg\\m.ini";
  const std::tuple<std::wstring, std::wstring, std::string, std::wstring, Log> cases[] = {
      {L"Office", L"Path", Data(1023, 'p'), std::wstring(1023, L'p'), {"Office/Path/5/1024", "Office/Path/5/2048"}},
      {L"Big", L"null", Data(1100, 'k') + Data(2, '\0'), std::wstring(1100, L'k') + L'\0',
       {"Big/-/5/1024", "Big/-/5/2048"}},
      {L"Office", std::wstring(1, L'\0'), list, std::wstring(L"Alpha\0Beta\0", 11), {"Office/-/5/1024"}},
      {L"NULL", L"Path", "v", L"v", {"NULL/Path/5/1024"}},
  };
  for (const auto& [section, key, text, expected, calls] : cases) {
    FakeRegistry api;
    api.ini = text;
    EXPECT_EQ(ReadIniString(api, section, key, int16_t{5}, L"C:\\cfg\\m.ini"), expected);
    Log with_file = calls;
    for (std::string& call : with_file) call += file;
    EXPECT_EQ(api.log, with_file);
  }
  FakeRegistry api;
  api.ini = Data(100000, 'v');
  EXPECT_EQ(ReadIniString(api, L"Big", L"Key", L"", L"m.ini"), std::wstring(100000, L'v'));
  EXPECT_EQ(api.log.back(), "Big/Key//100352/m.ini");
}

}  // namespace
}  // namespace pendrel::apps
