#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "core/error.h"
#include "host/fixture/fixture.h"
#include "host/fixture/fixture_backend.h"
#include "raised.h"

namespace pendrel::host {
namespace {

// The description of the error parse_fixture raises for text, or "" when it parses.
std::wstring parse_error(const std::string& text) {
  try {
    parse_fixture(text, L"t.fixture");
  } catch (const Error& e) {
    EXPECT_EQ(e.number(), kFixtureFormatError);
    return e.description();
  }
  return L"";
}

std::wstring accounts(const std::vector<Account>& list) {
  std::wstring out;
  for (const Account& a : list) out += a.name + L"=" + a.detail + L";";
  return out;
}

TEST(FixtureParser, ReadsQuotingRootsAndSections) {
  Fixture f = parse_fixture(
      "\xEF\xBB\xBF# comment\r\n"
      "[console]\r\n"
      "computer CONSOLE1\n"
      "domain SALES\n"
      "\n"
      "[computer PC042]\n"
      "  reachable no\n"
      "time 2026-03-14 09:26:53\n"
      "tzbias -60\n"
      "tz 0x1E0\n"
      "description \"  padded \"\"quoted\"\"  \"\n"
      "server-type 0x80001003\n"
      "user jdoe   John   Doe  \n"
      "user guest\n"
      "GLOBAL-GROUP \"Domain Users\" All of them\n"
      "registry HKLM \"SOFTWARE\\Vyx\\Gina\\Settings\" SendMsgServer sz EVENTS 1\n"
      "registry 0x80000002 SOFTWARE\\Vyx\\Gina\\Settings SendLogonMsg dword -1\n"
      "registry hkcu Key \"\" sz \"\"\n"
      "registry HKLM SOFTWARE\\Vyx\\GINA\\MRU ConsoleUser sz SALES\\old\n"
      "registry HKLM software\\vyx\\gina\\mru consoleuser dword 7\n"
      "share IPC$ SALES\\admin secret\n"
      "share C$\n"
      "\t[domain SALES]\n"
      "computer SRV01\n"
      "[computer PC043]\t\n",
      L"t.fixture");

  EXPECT_EQ(f.this_computer + L"/" + f.this_domain, L"CONSOLE1/SALES");
  ASSERT_EQ(f.computers.size(), 2u);
  const ComputerData& c = f.computers[0];
  EXPECT_EQ(c.domain, L"SALES");  // the console's, as none was given
  EXPECT_FALSE(c.reachable);
  DateParts t = to_parts(c.time.time);
  EXPECT_EQ((std::vector<int>{t.year, t.month, t.day, t.hour, t.minute, t.second, c.time.bias, c.time.tz}),
            (std::vector<int>{2026, 3, 14, 9, 26, 53, -60, 480}));
  EXPECT_EQ(c.server.description, L"  padded \"quoted\"  ");
  EXPECT_EQ(c.server.type, 0x80001003u);
  EXPECT_EQ(accounts(c.users), L"jdoe=John   Doe;guest=;");
  EXPECT_EQ(accounts(c.global_groups), L"Domain Users=All of them;");

  // A later line for the same value (any case) replaces the earlier.
  ASSERT_EQ(c.registry.size(), 4u);
  EXPECT_EQ(c.registry[0].root, 0x80000002u);
  EXPECT_EQ(c.registry[0].key + L"|" + c.registry[0].name, L"SOFTWARE\\Vyx\\Gina\\Settings|SendMsgServer");
  EXPECT_EQ(c.registry[0].value, Variant(L"EVENTS 1"));
  EXPECT_EQ(c.registry[1].value, Variant(int32_t{-1}));
  EXPECT_EQ(c.registry[2].root, 0x80000001u);
  EXPECT_EQ(c.registry[2].name, L"");
  EXPECT_EQ(c.registry[2].value, Variant(L""));
  EXPECT_EQ(c.registry[3].value, Variant(int32_t{7}));

  ASSERT_EQ(c.shares.size(), 2u);
  EXPECT_FALSE(c.shares[0].any_credentials);
  EXPECT_EQ(c.shares[0].account + L"/" + c.shares[0].password, L"SALES\\admin/secret");
  EXPECT_TRUE(c.shares[1].any_credentials);

  EXPECT_TRUE(f.computers[1].reachable);
  EXPECT_EQ(f.computers[1].time.bias, kNoTimeZoneBias);
  ASSERT_NE(f.find_domain(L"sales"), nullptr);
  EXPECT_EQ(f.find_domain(L"sales")->computers, std::vector<std::wstring>{L"SRV01"});
  EXPECT_EQ(f.find_computer(L"pc043"), &f.computers[1]);
  EXPECT_EQ(f.find_computer(L"PC04"), nullptr);
}

TEST(FixtureParser, BadLineIsReportedWithFileAndLineNumber) {
  const std::pair<std::string, std::wstring> cases[] = {
      {"user jdoe", L"t.fixture line 1: 'user' before the first section ([console], [computer NAME] or [domain NAME])"},
      {"[computer A]\n\nusr jdoe", L"t.fixture line 3: unknown keyword 'usr' in a [computer] section"},
      {"[console]\nuser jdoe", L"t.fixture line 2: unknown keyword 'user' in the [console] section"},
      {"[computer A]\ntz 2147483648", L"t.fixture line 2: '2147483648' is not a 32-bit number (bias in minutes)"},
      {"[computer A]\ntz", L"t.fixture line 2: missing bias in minutes"},
      {"[computer A]\nuser \"Domain Users", L"t.fixture line 2: unterminated quoted text"},
      {"[computer A]\nuser \"a\"b", L"t.fixture line 2: a quoted text must be followed by a space"},
      {"[computer A]\ntime 2026-02-30 10:00:00",
       L"t.fixture line 2: '2026-02-30 10:00:00' is not a date and time like 2026-03-14 09:26:53"},
      {"[computer A]\ntime 2026-03-14 01:0xFFFFFFC4:00",
       L"t.fixture line 2: '2026-03-14 01:0xFFFFFFC4:00' is not a date and time like 2026-03-14 09:26:53"},
      {"[computer A]\ntime 2026-03-14 0x80000000:00:00",
       L"t.fixture line 2: '2026-03-14 0x80000000:00:00' is not a date and time like 2026-03-14 09:26:53"},
      {"[computer A]\nregistry HKXX K N sz v", L"t.fixture line 2: unknown registry root 'HKXX'"},
      {"[computer A]\nregistry HKLM K N dword 0x100000000",
       L"t.fixture line 2: '0x100000000' is not a 32-bit number (dword value)"},
      {"[computer A]\n[computer a]", L"t.fixture line 2: a second [computer a] section"},
      {"[computer A", L"t.fixture line 1: a section header must end with ']'"},
      {"[computer]", L"t.fixture line 1: missing name of the computer"},
      {"[computer A]\ndescription caf\xC3\n", L"t.fixture line 2: the line is not valid UTF-8"},
      {"[computer A]\nfail Computer.GetUsers 0 x", L"t.fixture line 2: an injected error number cannot be 0"},
      {"[computer A]\ndelay -5", L"t.fixture line 2: a delay must be 0 to 600000 milliseconds"},
  };
  for (const auto& [text, expected] : cases) EXPECT_EQ(parse_error(text), expected) << text;
  EXPECT_EQ(parse_error("[computer A]\ndescription caf\xC3\xA9 \xF0\x9F\x98\x80"), L"");
}

TEST(FixtureParser, InjectionsAreKeptPerSectionAndRaiseTheirError) {
  Fixture f = parse_fixture(
      "[console]\n"
      "fail DomainObject.Domains 5\n"
      "[computer A]\n"
      "delay Computer.GetServerInformation 250\n"
      "fail Computer.GetUsers 0x80070035 The network path was not found.\n",
      L"t.fixture");
  const Injections& console = f.injections;
  const Injections& computer = f.computers[0].injections;

  EXPECT_EQ(computer.delay_for(L"computer.getserverinformation"), 250);
  EXPECT_EQ(computer.delay_for(L"Computer.GetUsers"), 0);
  EXPECT_EQ(console.failure_for(L"Computer.GetUsers"), nullptr);
  EXPECT_EQ(raised([&] { computer.enter(L"COMPUTER.GETUSERS"); }),
            std::to_wstring(static_cast<int32_t>(0x80070035)) + L" The network path was not found.");
  EXPECT_EQ(raised([&] { console.enter(L"DomainObject.Domains"); }), L"5 Injected failure of DomainObject.Domains");
  EXPECT_NO_THROW(computer.enter(L"Computer.Name"));
}

TEST(FixtureParser, JournalKeepsEveryEnteredMemberWithItsDelay) {
  Fixture f = parse_fixture("[computer A]\ndelay Computer.Name 30\nfail Computer.GetUsers 5\n", L"t.fixture");
  CallJournal& journal = CallJournal::instance();
  journal.clear();
  f.computers[0].injections.enter(L"Computer.Name");
  EXPECT_ANY_THROW(f.computers[0].injections.enter(L"Computer.GetUsers"));
  const std::vector<JournalEntry> entries = journal.entries();
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0].member, L"Computer.Name");
  EXPECT_EQ(entries[1].member, L"Computer.GetUsers");
  EXPECT_GE(entries[0].end_ms - entries[0].start_ms, 30);
  EXPECT_GE(entries[1].start_ms, entries[0].end_ms);
  journal.clear();
  EXPECT_TRUE(journal.entries().empty());
}

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
