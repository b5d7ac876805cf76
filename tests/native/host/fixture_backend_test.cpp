#include "host/fixture/fixture_backend.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "core/error.h"
#include "raised.h"

namespace pendrel::host {
namespace {

constexpr wchar_t kRestrictions[] = L"SOFTWARE\\Vyx\\Gina\\Restrictions";
constexpr uint32_t kHklm = kHkeyLocalMachine;

std::unique_ptr<FixtureDomain> demo() {
  return FixtureDomain::open(std::wstring(PENDREL_FIXTURES_DIR) + L"/sales-pc042.fixture");
}

TEST(FixtureBackend, LooksUpByNameInAnyCaseAndRefusesUnknownNames) {
  std::unique_ptr<FixtureDomain> domain = demo();
  EXPECT_TRUE(domain->domain_exists(L"sales"));
  EXPECT_FALSE(domain->domain_exists(L"PC042"));
  std::unique_ptr<ComputerBackend> pc = domain->computer(L"pc042");
  EXPECT_EQ(pc->name(), L"PC042");
  ServerInfo info;
  EXPECT_EQ(pc->server_information(103, info), kStatusInvalidLevel);
  // The two spellings of the GINA key are one key.
  EXPECT_EQ(pc->registry_value(kHklm, L"SOFTWARE\\Vyx\\GINA\\MRU", L"ConsoleUser", Variant(L"")),
            Variant(L"SALES\\jdoe"));
  EXPECT_EQ(raised([&] { domain->computer(L"PC100"); }), L"5 The fixture describes no computer named 'PC100'.");
  EXPECT_EQ(raised([] { FixtureDomain::open(L"/nonexistent/x.fixture"); }),
            L"53 File not found: cannot open the fixture file '/nonexistent/x.fixture'");
}

TEST(FixtureBackend, WrittenRegistryValuesAreTypedAndLiveWithTheComputerObject) {
  std::unique_ptr<FixtureDomain> domain = demo();
  std::unique_ptr<ComputerBackend> pc = domain->computer(L"PC042");
  const struct {
    const wchar_t* name;
    Variant written, read;
  } values[] = {
      {L"UnAvailableTimeOut", Variant(int16_t{90}), Variant(int32_t{90})},
      {L"NewFlag", Variant(true), Variant(int32_t{1})},
      {L"NewText", Variant(), Variant(L"")},
      {L"Rounded", Variant(2.5), Variant(int32_t{2})},
  };
  for (const auto& v : values) {
    EXPECT_EQ(pc->set_registry_value(kHklm, kRestrictions, v.name, v.written), 0) << v.name;
    EXPECT_EQ(pc->registry_value(kHklm, kRestrictions, v.name, Variant(int32_t{3})), v.read) << v.name;
  }
  EXPECT_EQ(error_number([&] { pc->set_registry_value(kHklm, kRestrictions, L"N", Variant::null()); }),
            vb_error::kInvalidUseOfNull);
  EXPECT_EQ(pc->registry_value(kHklm, kRestrictions, L"N", Variant(int16_t{60})), Variant(int16_t{60}));
  EXPECT_EQ(pc->registry_value(0x80000001, kRestrictions, L"NewFlag", Variant(L"none")), Variant(L"none"));

  std::unique_ptr<ComputerBackend> again = domain->computer(L"PC042");
  EXPECT_EQ(again->registry_value(kHklm, kRestrictions, L"UnAvailableTimeOut", Variant()), Variant(int32_t{45}));
}

TEST(FixtureBackend, UnreachableComputerFailsEverythingButWake) {
  std::unique_ptr<FixtureDomain> domain = demo();
  std::unique_ptr<ComputerBackend> pc = domain->computer(L"PC099");
  ServerInfo info;
  info.platform_id = 77;
  EXPECT_EQ(pc->server_information(102, info), kStatusPathNotFound);
  EXPECT_EQ(info.platform_id, 77);
  std::vector<Account> accounts;
  EXPECT_EQ(pc->users(accounts), kStatusPathNotFound);
  EXPECT_EQ(pc->set_registry_value(kHklm, L"K", L"N", Variant(1)), kStatusPathNotFound);
  EXPECT_EQ(error_number([&] { pc->registry_value(kHklm, L"K", L"N", Variant()); }),
            static_cast<int32_t>(0x80070035));
  EXPECT_FALSE(pc->map_resource(L"IPC$", L"", L""));

  auto* fixture_pc = static_cast<FixtureComputer*>(pc.get());
  EXPECT_EQ(pc->wake(L"00-1a-2B-3C-4D-99"), 0);
  EXPECT_EQ(pc->wake(L"00:1A:2B:3C:4D"), kStatusInvalidParameter);
  EXPECT_EQ(pc->wake(L"00-1A-2B-3C-4D-9G"), kStatusInvalidParameter);
  EXPECT_EQ(fixture_pc->woken(), std::vector<std::wstring>{L"001A2B3C4D99"});
  EXPECT_EQ(domain->fixture().find_computer(L"PC099")->injections.delay_for(L"Computer.GetServerInformation"), 50);
}

TEST(FixtureBackend, SharesMapOnlyWithTheirCredentials) {
  Fixture f = parse_fixture("[computer A]\nshare IPC$ SALES\\admin secret\nshare PUBLIC\n", L"t.fixture");
  FixtureComputer pc(f.computers[0]);
  EXPECT_FALSE(pc.map_resource(L"IPC$", L"SALES\\admin", L"Secret"));
  EXPECT_FALSE(pc.map_resource(L"ADMIN$", L"SALES\\admin", L"secret"));
  EXPECT_TRUE(pc.map_resource(L"ipc$", L"sales\\ADMIN", L"secret"));
  EXPECT_TRUE(pc.map_resource(L"PUBLIC", L"anyone", L""));
  EXPECT_EQ(pc.unmap_resource(L"IPC$", true), 0);
  EXPECT_EQ(pc.unmap_resource(L"IPC$", true), kStatusNotConnected);
  EXPECT_TRUE(pc.is_mapped(L"public"));
}

}  // namespace
}  // namespace pendrel::host
