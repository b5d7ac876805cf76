#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "core/error.h"
#include "host/fixture/fixture.h"

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
      "\xEF\xBB\xBF# comment\r\n" "[console]\r\n" "computer CONSOLE1\n" "domain SALES\n" "\n" "[computer PC042]\n"
      "  reachable no\n" "time 2026-03-14 09:26:53\n" "tzbias -60\n" "tz 0x1E0\n"
      "description \"  padded \"\"quoted\"\"  \"\n" "server-type 0x80001003\n" "user jdoe   John   Doe  \n"
      "user guest\n" "user \"M\xC3\xBCller, \"\"Jo\"\"\" \"first\r\n\r\n  third\"\n" "GLOBAL-GROUP \"Domain Users\" All of them\n"
      "registry HKLM \"SOFTWARE\\Vyx\\Gina\\Settings\" SendMsgServer sz EVENTS 1\n"
      "registry 0x80000002 SOFTWARE\\Vyx\\Gina\\Settings SendLogonMsg dword -1\n" "registry hkcu Key \"\" sz \"\"\n"
      "registry HKLM SOFTWARE\\Vyx\\GINA\\MRU ConsoleUser sz SALES\\old\n"
      "registry HKLM software\\vyx\\gina\\mru consoleuser dword 7\n" "share IPC$ SALES\\admin secret\n" "share C$\n"
      "\t[domain SALES]\n" "computer SRV01\n" "[computer PC043]\t\n",
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
  EXPECT_EQ(accounts(c.users), L"jdoe=John   Doe;guest=;M\u00FCller, \"Jo\"=first\n\n  third;");
  EXPECT_EQ(accounts(c.global_groups), L"Domain Users=All of them;");

  // A later line for the same value (any case) replaces the earlier.
  ASSERT_EQ(c.registry.size(), 4u);
  EXPECT_EQ(c.registry[0].root, 0x80000002u);
  EXPECT_EQ(c.registry[0].key + L"|" + c.registry[0].name, L"SOFTWARE\\Vyx\\Gina\\Settings|SendMsgServer");
  EXPECT_EQ(c.registry[0].value, Variant(L"EVENTS 1"));
  EXPECT_EQ(c.registry[3].value, Variant(int32_t{7}));
  EXPECT_EQ(c.shares[0].account + L"/" + c.shares[0].password, L"SALES\\admin/secret");
  EXPECT_TRUE(f.computers[1].reachable);
  ASSERT_NE(f.find_domain(L"sales"), nullptr);
  EXPECT_EQ(f.find_domain(L"sales")->computers, std::vector<std::wstring>{L"SRV01"});
  EXPECT_EQ(f.find_computer(L"pc043"), &f.computers[1]);
}

TEST(FixtureParser, BadLineIsReportedWithFileAndLineNumber) {
  const std::pair<std::string, std::wstring> cases[] = {
      {"user jdoe", L"t.fixture line 1: 'user' before the first section ([console], [computer NAME] or [domain NAME])"},
      {"[computer A]\n\nusr jdoe", L"t.fixture line 3: unknown keyword 'usr' in a [computer] section"},
      {"[console]\nuser jdoe", L"t.fixture line 2: unknown keyword 'user' in the [console] section"},
      {"[computer A]\ntz 2147483648", L"t.fixture line 2: '2147483648' is not a 32-bit number (bias in minutes)"},
      {"[computer A]\nuser \"Domain Users", L"t.fixture line 2: unterminated quoted text"},
      {"[computer A]\nuser \"a\"b", L"t.fixture line 2: a quoted text must be followed by a space"},
      // A quoted text runs over lines; errors name the line where it starts.
      {"[computer A]\nuser \"a\n\nb\"c", L"t.fixture line 2: a quoted text must be followed by a space"},
      {"[computer A]\nuser \"a\nb\" x\nusr y", L"t.fixture line 4: unknown keyword 'usr' in a [computer] section"},
      {"[computer A]\ntime 2026-02-30 10:00:00",
       L"t.fixture line 2: '2026-02-30 10:00:00' is not a date and time like 2026-03-14 09:26:53"},
      {"[computer A]\nregistry HKXX K N sz v", L"t.fixture line 2: unknown registry root 'HKXX'"},
      {"[computer A]\n[computer a]", L"t.fixture line 2: a second [computer a] section"},
      {"[computer]", L"t.fixture line 1: missing name of the computer"},
      {"[computer A]\ndescription caf\xC3\n", L"t.fixture line 2: the line is not valid UTF-8"},
      {"[computer A]\nfail Computer.GetUsers 0 x", L"t.fixture line 2: an injected error number cannot be 0"},
      {"[computer A]\ndelay -5", L"t.fixture line 2: a delay must be 0 to 600000 milliseconds"},
  };
  for (const auto& [text, expected] : cases) EXPECT_EQ(parse_error(text), expected) << text;
  EXPECT_EQ(parse_error("[computer A]\ndescription caf\xC3\xA9 \xF0\x9F\x98\x80"), L"");
  EXPECT_EQ(parse_error("[computer A]\ndelay 600000"), L"") << "the longest delay";
}

// tools/make-fixture writes what the parser reads back, the hard facts intact.
TEST(FixtureParser, GeneratedFixtureOfManyComputers) {
  const std::filesystem::path file = std::filesystem::temp_directory_path() / "host_fixture_test.fixture";
  const std::string command = std::string(PENDREL_TOOLS_DIR) + "/make-fixture --computers 12 --bad --delay 20 --out " +
                              file.string();
  ASSERT_EQ(std::system(command.c_str()), 0) << command;
  const Fixture f = load_fixture(file.wstring());
  std::filesystem::remove(file);
  ASSERT_EQ(f.computers.size(), 18u);
  EXPECT_EQ(f.computers[11].name, L"PC0012");
  EXPECT_EQ(f.computers[11].injections.delay_for(L"Computer.GetUsers"), 20);
  EXPECT_EQ(f.injections.delay_for(L"DomainObject.GetComputer"), 20);
  ASSERT_NE(f.find_computer(L"PC,\"Q\""), nullptr);
  EXPECT_EQ(f.find_computer(L"PCBREAK")->server.description, L"first line\nsecond line\nthird, \"quoted\"");
  EXPECT_EQ(f.find_computer(L"PCLONG")->server.description.size(), 10000u);
  EXPECT_EQ(f.find_computer(L"PCUMLAUT")->users.back().name, L"j\u00FCrgen.m\u00FCller");
  EXPECT_FALSE(f.find_computer(L"PCGONE")->reachable);
  EXPECT_NE(f.find_computer(L"PCFAIL")->injections.failure_for(L"Computer.GetUsers"), nullptr);
}

}  // namespace
}  // namespace pendrel::host
