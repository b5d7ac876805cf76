#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "core/error.h"
#include "core/text.h"
#include "core/variant.h"
#include "host/fixture/fixture.h"
#include "outside/tavisk.h"
#include "raised.h"

namespace pendrel {
namespace {

TEST(VariantNumbers, HalvesRoundToEvenAndValuesOutsideTheTypeOverflow) {
  const std::pair<Variant, int32_t> cases[] = {
      {2.5, 2}, {3.5, 4}, {-2.5, -2}, {0.5, 0}, {2.5000001, 3}, {2147483647.4, 2147483647},
      {-2147483648.5, INT32_MIN}, {true, -1}, {Date{2.5}, 2}, {L"  -3.5 ", -4}, {L"1,000", 1000},
      {L"&HFFFFFFFF", -1}, {L"&O17", 15}};
  for (const auto& [value, want] : cases) EXPECT_EQ(value.to_long(), want) << value.to_text();
  for (double d : {2147483647.5, -2147483649.0, 1e300})
    EXPECT_EQ(error_number([d] { Variant(d).to_long(); }), vb_error::kOverflow) << d;

  EXPECT_EQ(Variant(32766.5).to_integer(), 32766);
  EXPECT_EQ(Variant(-32768).to_integer(), -32768);
  const Error overflow = error_of([] { Variant(32767.5).to_integer(); });
  EXPECT_EQ(overflow.number(), 6);
  EXPECT_EQ(overflow.description(), L"Overflow");
  EXPECT_EQ(overflow.hresult(), static_cast<int32_t>(0x800A0006));
  EXPECT_EQ(error_number([] { Variant(-32769).to_integer(); }), vb_error::kOverflow);
  EXPECT_EQ(error_number([] { Variant(L"40000").to_integer(); }), vb_error::kOverflow);
  EXPECT_EQ(error_number([] { Variant(3.5e38).to_single(); }), vb_error::kOverflow);
  // Too large or too small is the value's magnitude, wherever the digits and the exponent put it.
  for (const std::wstring& text : {std::wstring(L"1e400"), L"1" + std::wstring(400, L'0') + L"e-1"})
    EXPECT_EQ(error_number([&] { Variant(text).to_double(); }), vb_error::kOverflow) << text;
  EXPECT_EQ(Variant(L"0." + std::wstring(330, L'0') + L"1").to_double(), 0.0);
}

TEST(VariantConversions, TypeMismatchAndInvalidUseOfNull) {
  EXPECT_DOUBLE_EQ(Variant(L"+.25").to_double(), 0.25);
  EXPECT_DOUBLE_EQ(Variant(L"1e-400").to_double(), 0.0);
  for (const wchar_t* bad : {L"abc", L"", L"   ", L"1.2.3", L"12abc", L"1e", L"&H", L"\u0661"})
    EXPECT_EQ(error_number([bad] { Variant(bad).to_double(); }), vb_error::kTypeMismatch) << bad;
  EXPECT_EQ(error_number([] { Variant(L"yes").to_bool(); }), vb_error::kTypeMismatch);
  EXPECT_EQ(error_number([] { Variant::missing().to_long(); }), vb_error::kTypeMismatch);
  EXPECT_EQ(error_number([] { Variant(5).text(); }), vb_error::kTypeMismatch);
  EXPECT_EQ(error_number([] { Variant(Bytes{1}).to_long(); }), vb_error::kTypeMismatch);
  EXPECT_EQ(error_number([] { Variant(L"x").to_object(); }), vb_error::kObjectRequired);

  const Variant null = Variant::null();
  EXPECT_EQ(error_number([&] { null.to_long(); }), vb_error::kInvalidUseOfNull);
  EXPECT_EQ(error_number([&] { null.to_text(); }), vb_error::kInvalidUseOfNull);
  EXPECT_EQ(error_number([&] { null.to_bool(); }), vb_error::kInvalidUseOfNull);
  const Variant empty;
  EXPECT_EQ(empty.to_long(), 0);
  EXPECT_EQ(empty.to_text(), L"");
  EXPECT_EQ(empty.to_date(), Date{0});
  EXPECT_EQ(Variant(Bytes{'h', 0, 'i', 0}).to_text(), L"hi");

  const std::pair<Variant, bool> cases[] = {{L" TRUE ", true}, {L"False", false}, {L"0.5", true}, {0.0, false}};
  for (const auto& [value, want] : cases) EXPECT_EQ(value.to_bool(), want) << value.to_text();
  EXPECT_EQ(Variant(true).to_text(), L"True");
}

TEST(CStrTexts, NumbersAndDatesUnderEnUs) {
  const std::pair<double, const wchar_t*> numbers[] = {{1e20, L"1E+20"}, {0.0001, L"0.0001"}, {0.00001, L"1E-05"},
      {123456789012345.0, L"123456789012345"}, {1234567890123456.0, L"1.23456789012346E+15"}, {-0.0, L"0"}};
  for (const auto& [number, text] : numbers) EXPECT_EQ(number_text(number), text);
  EXPECT_EQ(Variant(0.1 + 0.2).to_text(), L"0.3");
  EXPECT_EQ(Variant(INT32_MIN).to_text(), L"-2147483648");
  const Date evening = make_date({2026, 12, 5, 23, 41, 4});
  EXPECT_DOUBLE_EQ(evening.value, 46361 + (23 * 3600 + 41 * 60 + 4) / 86400.0);
  EXPECT_EQ(Variant(evening).to_text(), L"12/5/2026 11:41:04 PM");
  const std::pair<Date, const wchar_t*> dates[] = {{make_date({2026, 12, 5}), L"12/5/2026"},
      {make_date({2026, 1, 9, 0, 0, 7}), L"1/9/2026 12:00:07 AM"}, {Date{0}, L"12:00:00 AM"},
      {Date{-1.25}, L"12/29/1899 6:00:00 AM"}, {Date{-0.5}, L"12:00:00 PM"},
      {make_date({100, 1, 1, 11, 59, 59}), L"1/1/100 11:59:59 AM"}, {Variant(-657434.75).to_date(), L"1/1/100 6:00:00 PM"},
      {Variant(L"12/31/9999 23:59:59").to_date(), L"12/31/9999 11:59:59 PM"}};
  for (const auto& [date, text] : dates) EXPECT_EQ(date_text(date), text);
  EXPECT_EQ(error_number([] { Variant(-657435.0).to_date(); }), vb_error::kOverflow);
}

TEST(AnsiText, OutsideTheCodePageBecomesQuestionMarksAndBuffersStopAtNulOrSize) {
  EXPECT_EQ(to_ansi(L"a\u0100b\u4E2D\U0001F600\u0080c"), "a?b???c");
  EXPECT_EQ(to_ansi(std::wstring(L"x\0y", 3)), std::string("x\0y", 3));
  const char filled[] = "DOMAIN\\user\0stale";
  EXPECT_EQ(from_ansi_buffer(filled, sizeof filled), L"DOMAIN\\user");
  EXPECT_EQ(from_ansi_buffer(filled, 6), L"DOMAIN");
  // A full buffer without NUL, followed by guard bytes that must not appear.
  char guarded[12];
  std::memset(guarded, 'G', sizeof guarded);
  std::memcpy(guarded, "caf\xE9\x80xyz", 8);
  EXPECT_EQ(from_ansi_buffer(guarded, 8), L"caf\u00E9\u20ACxyz");
  EXPECT_EQ(from_ansi_buffer(guarded, 0), L"");
}

TEST(PlainText, TrimSpaces) {
  EXPECT_EQ(trim_spaces(L"  a  b  "), L"a  b");
  EXPECT_EQ(trim_spaces(L"\ta\t "), L"\ta\t");
  EXPECT_EQ(trim_spaces(L"    "), L"");
}

TEST(Errors, VbNumbersMapToTheirHresultsAndTextsOthersStayAsTheyAre) {
  const Error wake(5001, L"Wake-up failed \u00FC", L"Host.Computer");
  EXPECT_EQ(wake.hresult(), static_cast<int32_t>(0x800A1389));
  EXPECT_STREQ(wake.what(), "Wake-up failed \xC3\xBC");
  EXPECT_EQ(Error::vb(438).description(), L"Object doesn't support this property or method");
  EXPECT_EQ(Error::vb(438).hresult(), static_cast<int32_t>(0x800A01B6));
  EXPECT_EQ(Error::vb(94).description(), L"Invalid use of Null");
  const auto denied = static_cast<int32_t>(0x80070005);
  EXPECT_EQ(Error(denied, L"Access is denied.").hresult(), denied);
  EXPECT_EQ(Error(65536, L"x").hresult(), 65536);
}

// Simple case folding: the same natively and on Windows, whatever the locale.
TEST(CaseFolding, EqualWithoutRegardToCaseBeyondAToZ) {
  struct Case { const wchar_t *a, *b; bool equal; } cases[] = {
      {L"SALES\\J\u00dcRGEN", L"sales\\j\u00fcrgen", true}, {L"\u03a3\u039f\u03a3", L"\u03c3\u03bf\u03c2", true},
      {L"\u1e9e", L"\u00df", true}, {L"\U00010400", L"\U00010428", true},  // a surrogate pair on Windows
      {L"STRASSE", L"stra\u00dfe", false}, {L"\u0130", L"i", false},
      {L"GetServerInformation", L"getserverINFORMATION", true}, {L"Name", L"Names", false}, {L"[", L"{", false}, {L"@", L"`", false}};  // the last two differ by the case bit
  for (const Case& c : cases) {
    EXPECT_EQ(equal_no_case(c.a, c.b), c.equal) << testing::PrintToString(std::wstring(c.a));
    EXPECT_EQ(case_folded(c.a) == case_folded(c.b), c.equal) << testing::PrintToString(std::wstring(c.a));
  }
}

// RawTavisk against fake entry points: what reaches the library and what
// comes back from its buffers.
struct Recorded {
  std::string server;  // what the library received
  bool buffers_were_nul = false;
  std::string user_bytes;     // copied into buffer 2 as they are, NULs included
  std::string account_bytes;  // copied into buffer 3
  int32_t status = 0;
};
Recorded recorded;

bool all_nul(const char* buffer) {
  return std::all_of(buffer, buffer + kTaviskBufferSize, [](char c) { return c == '\0'; });
}

int32_t fake_user(const char* server, char* user, char* account) {
  recorded.server = server;
  recorded.buffers_were_nul = all_nul(user) && all_nul(account);
  std::memcpy(user, recorded.user_bytes.data(), recorded.user_bytes.size());
  std::memcpy(account, recorded.account_bytes.data(), recorded.account_bytes.size());
  return recorded.status;
}
int32_t fake_load(const char*, int32_t, const char*, const char*) { return 0; }
int32_t fake_unload(const char*, int32_t, const char*) { return 0; }

class RawTaviskTest : public ::testing::Test {
 protected:
  void SetUp() override { recorded = Recorded{}; }
  RawTavisk tavisk{{&fake_user, &fake_load, &fake_unload}};
};

TEST_F(RawTaviskTest, ConsoleUserBuffersKeepTheTextBeforeTheirFirstNul) {
  recorded.user_bytes = std::string("bob\0left over", 14);
  recorded.account_bytes = std::string("CORP\\bob\0\xff\xff", 11);
  std::wstring user, account;
  EXPECT_EQ(tavisk.NetGetInteractiveUser(L"\\\\PC\u00e9", user, account), 0);
  EXPECT_EQ(recorded.server, "\\\\PC\xe9");
  EXPECT_EQ(user + L"|" + account, L"bob|CORP\\bob");

  // A library that fills a buffer to its end leaves no NUL: all 50 count.
  recorded.user_bytes = std::string(kTaviskBufferSize - 1, 'u') + "\xe9";
  recorded.account_bytes = std::string(kTaviskBufferSize, 'a');
  EXPECT_EQ(tavisk.NetGetInteractiveUser(L"\\\\PC", user, account), 0);
  EXPECT_EQ(user, std::wstring(kTaviskBufferSize - 1, L'u') + L"\u00e9");
  EXPECT_EQ(account, std::wstring(kTaviskBufferSize, L'a'));

  // A failed look-up that writes nothing gets freshly cleared buffers and
  // leaves nothing of the previous call.
  recorded.user_bytes.clear(), recorded.account_bytes.clear(), recorded.status = 53;
  EXPECT_EQ(tavisk.NetGetInteractiveUser(L"\\\\PC", user, account), 53);
  EXPECT_TRUE(recorded.buffers_were_nul);
  EXPECT_EQ(user + L"|" + account, L"|");
}

}  // namespace
}  // namespace pendrel

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
  const std::filesystem::path file = std::filesystem::temp_directory_path() / "core_tests.fixture";
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
