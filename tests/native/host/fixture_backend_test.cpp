#include "host/fixture/fixture_backend.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "core/error.h"
#include "raised.h"

namespace pendrel::host {
namespace {

constexpr wchar_t kRestrictions[] = L"SOFTWARE\\Vyx\\Gina\\Restrictions";

std::unique_ptr<FixtureDomain> demo() {
  return FixtureDomain::open(std::wstring(PENDREL_FIXTURES_DIR) + L"/sales-pc042.fixture");
}

std::wstring names(const std::vector<Account>& accounts) {
  std::wstring out;
  for (const Account& a : accounts) out += a.name + L"=" + a.detail + L";";
  return out;
}

TEST(FixtureBackend, DemoFixtureDescribesConsoleComputerAndDomains) {
  std::unique_ptr<FixtureDomain> domain = demo();
  EXPECT_EQ(domain->this_computer_name(), L"CONSOLE1");
  EXPECT_EQ(domain->this_domain_name(), L"SALES");
  EXPECT_TRUE(domain->domain_exists(L"sales"));
  EXPECT_TRUE(domain->domain_exists(L"ENGINEERING"));
  EXPECT_FALSE(domain->domain_exists(L"PC042"));

  std::vector<std::wstring> computers;
  EXPECT_EQ(domain->domain_computers(L"SALES", computers), 0);
  EXPECT_EQ(computers, (std::vector<std::wstring>{L"SRV01", L"PC042", L"PC099"}));
  std::vector<Account> accounts;
  EXPECT_EQ(domain->domain_users(L"ENGINEERING", accounts), 0);
  EXPECT_EQ(names(accounts), L"mlee=Mei Lee;build=;");
  EXPECT_EQ(domain->domain_global_groups(L"SALES", accounts), 0);
  EXPECT_EQ(names(accounts), L"Domain Users=All domain users;Domain Admins=Designated administrators of the domain;"
                             L"Sales Team=;");

  std::unique_ptr<ComputerBackend> pc = domain->computer(L"pc042");
  EXPECT_EQ(pc->name(), L"PC042");
  EXPECT_EQ(pc->domain(), L"SALES");
  EXPECT_EQ(pc->ip_address(), L"127.0.0.1");
  EXPECT_EQ(pc->mac_address(), L"00-1A-2B-3C-4D-5E");
  ServerInfo info;
  EXPECT_EQ(pc->server_information(101, info), 0);
  EXPECT_EQ(info.platform_id, 500);
  EXPECT_EQ(info.type, 0x1003u);
  EXPECT_EQ(pc->server_information(103, info), kStatusInvalidLevel);
  EXPECT_EQ(pc->remote_time().bias, 300);
  std::vector<LoggedOnUser> sessions;
  EXPECT_EQ(pc->logged_on_users(sessions), 0);
  ASSERT_EQ(sessions.size(), 2u);
  EXPECT_EQ(sessions[1].domain + L"\\" + sessions[1].name, L"SALES\\asmith");
  // The registry ignores case in key paths, as the two spellings of the GINA key need.
  EXPECT_EQ(pc->registry_value(kHkeyLocalMachine, L"SOFTWARE\\Vyx\\GINA\\MRU", L"ConsoleUser", Variant(L"")),
            Variant(L"SALES\\jdoe"));
  EXPECT_EQ(pc->registry_value(kHkeyLocalMachine, kRestrictions, L"UnAvailableTimeOut", Variant(int16_t{60})),
            Variant(int32_t{45}));

  EXPECT_EQ(raised([&] { domain->computer(L"PC100"); }), L"5 The fixture describes no computer named 'PC100'.");
}

TEST(FixtureBackend, WrittenRegistryValuesAreTypedAndLiveWithTheComputerObject) {
  std::unique_ptr<FixtureDomain> domain = demo();
  std::unique_ptr<ComputerBackend> pc = domain->computer(L"PC042");
  const uint32_t hklm = kHkeyLocalMachine;

  EXPECT_EQ(pc->registry_value(hklm, kRestrictions, L"Missing", Variant(int16_t{60})), Variant(int16_t{60}));
  EXPECT_EQ(pc->set_registry_value(hklm, kRestrictions, L"UnAvailableTimeOut", Variant(int16_t{90})), 0);
  EXPECT_EQ(pc->set_registry_value(hklm, kRestrictions, L"DenyInteractiveLogon", Variant(L"SALES\\a;SALES\\b")), 0);
  EXPECT_EQ(pc->set_registry_value(hklm, kRestrictions, L"NewFlag", Variant(true)), 0);
  EXPECT_EQ(pc->set_registry_value(hklm, kRestrictions, L"NewText", Variant()), 0);
  EXPECT_EQ(pc->set_registry_value(hklm, kRestrictions, L"Rounded", Variant(2.5)), 0);
  EXPECT_EQ(error_number([&] { pc->set_registry_value(hklm, kRestrictions, L"N", Variant::null()); }),
            vb_error::kInvalidUseOfNull);

  EXPECT_EQ(pc->registry_value(hklm, kRestrictions, L"unavailabletimeout", Variant()), Variant(int32_t{90}));
  EXPECT_EQ(pc->registry_value(hklm, kRestrictions, L"DenyInteractiveLogon", Variant()), Variant(L"SALES\\a;SALES\\b"));
  EXPECT_EQ(pc->registry_value(hklm, kRestrictions, L"NewFlag", Variant()), Variant(int32_t{1}));
  EXPECT_EQ(pc->registry_value(hklm, kRestrictions, L"NewText", Variant(int32_t{3})), Variant(L""));
  EXPECT_EQ(pc->registry_value(hklm, kRestrictions, L"Rounded", Variant()), Variant(int32_t{2}));
  // Another root is another value.
  EXPECT_EQ(pc->registry_value(0x80000001, kRestrictions, L"NewFlag", Variant(L"none")), Variant(L"none"));

  std::unique_ptr<ComputerBackend> again = domain->computer(L"PC042");
  EXPECT_EQ(again->registry_value(hklm, kRestrictions, L"UnAvailableTimeOut", Variant()), Variant(int32_t{45}));
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
  EXPECT_EQ(pc->local_groups(accounts), kStatusPathNotFound);
  EXPECT_EQ(pc->set_registry_value(kHkeyLocalMachine, L"K", L"N", Variant(1)), kStatusPathNotFound);
  EXPECT_EQ(error_number([&] { pc->remote_time(); }), static_cast<int32_t>(0x80070035));
  EXPECT_EQ(error_number([&] { pc->registry_value(kHkeyLocalMachine, L"K", L"N", Variant()); }),
            static_cast<int32_t>(0x80070035));
  EXPECT_EQ(pc->ip_address(), L"Error = 2");
  EXPECT_FALSE(pc->map_resource(L"IPC$", L"", L""));

  auto* fixture_pc = static_cast<FixtureComputer*>(pc.get());
  EXPECT_EQ(pc->wake(L"00-1a-2B-3C-4D-99"), 0);
  EXPECT_EQ(pc->wake(L"00:1A:2B:3C:4D"), kStatusInvalidParameter);
  EXPECT_EQ(pc->wake(L"00-1A-2B-3C-4D-9G"), kStatusInvalidParameter);
  EXPECT_EQ(fixture_pc->woken(), std::vector<std::wstring>{L"001A2B3C4D99"});

  // The demo's injected failure and delay of this computer.
  EXPECT_EQ(error_number([&] { pc->enter(L"Computer.GetUsers"); }), static_cast<int32_t>(0x80070035));
  EXPECT_EQ(error_number([&] { pc->enter(L"Computer.Name"); }), 0);
  EXPECT_EQ(domain->fixture().find_computer(L"PC099")->injections.delay_for(L"Computer.GetServerInformation"), 50);
  EXPECT_EQ(error_number([&] { domain->enter(L"Computer.GetUsers"); }), 0);
}

TEST(FixtureBackend, SharesMapOnlyWithTheirCredentials) {
  Fixture f = parse_fixture(
      "[computer A]\n"
      "share IPC$ SALES\\admin secret\n"
      "share PUBLIC\n",
      L"t.fixture");
  FixtureComputer pc(f.computers[0]);
  EXPECT_FALSE(pc.map_resource(L"IPC$", L"SALES\\admin", L"Secret"));
  EXPECT_FALSE(pc.map_resource(L"ADMIN$", L"SALES\\admin", L"secret"));
  EXPECT_FALSE(pc.is_mapped(L"IPC$"));
  EXPECT_TRUE(pc.map_resource(L"ipc$", L"sales\\ADMIN", L"secret"));
  EXPECT_TRUE(pc.is_mapped(L"IPC$"));
  EXPECT_TRUE(pc.map_resource(L"PUBLIC", L"anyone", L""));
  EXPECT_EQ(pc.unmap_resource(L"IPC$", true), 0);
  EXPECT_EQ(pc.unmap_resource(L"IPC$", true), kStatusNotConnected);
  EXPECT_TRUE(pc.is_mapped(L"public"));
}

TEST(FixtureBackend, MissingFileIsError53NamingThePath) {
  EXPECT_EQ(raised([] { FixtureDomain::open(L"/nonexistent/x.fixture"); }),
            L"53 File not found: cannot open the fixture file '/nonexistent/x.fixture'");
}

}  // namespace
}  // namespace pendrel::host
