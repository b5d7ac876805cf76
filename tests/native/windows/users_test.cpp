#include "details/users.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "database/demo_db.h"
#include "database/management_database.h"
#include "details_fakes.h"
#include "forms/list_view.h"

namespace pendrel::details {
namespace {

// The Users tab over a fresh demo database, PC042 of SALES.
class UsersTest : public ::testing::Test {
 protected:
  void SetUp() override {
    db = {};
    computer->on(L"Name").get([this](auto) { return name; });
    computer->on(L"Domain").get([this](auto) { return domain; });
    window.set_Computer(computer);
    db.ManagementConnection = bed.odbc.CreateConnection();
    db.ManagementConnection->set_ConnectionString(demo.connection_string());
    db.ManagementConnection->Open();
  }
  void TearDown() override { db = {}; }
  // Every row as "key|text|name|description|tag|icon,small icon".
  std::vector<std::wstring> rows() {
    std::vector<std::wstring> lines;
    auto& items = window.form().get<forms::ListView>(L"ListView1", 2).list_items();
    for (int i = 1; i <= items.count(); ++i) {
      const forms::ListItem& r = items.item(i);
      lines.push_back(r.key() + L"|" + r.text() + L"|" + r.sub_item(1) + L"|" + r.sub_item(2) + L"|" + r.tag() + L"|" +
                      std::to_wstring(r.icon()) + L"," + std::to_wstring(r.small_icon()));
    }
    return lines;
  }
  // LoggedOnUsers answering Count, and entry i by position.
  void logged_on(std::vector<std::pair<std::wstring, std::wstring>> entries) {
    auto list = computer->sibling(L"LoggedOnUsers");
    list->on(L"Count").get(static_cast<int32_t>(entries.size()));
    computer->on(L"LoggedOnUsers").get([this, list, entries](std::span<Argument> args) -> Variant {
      if (args.empty()) return Variant(DispatchPtr(list));
      auto entry = computer->sibling(L"Entry");
      const auto& [domain, account] = entries.at(args[0].value.to_long() - 1);
      entry->on(L"Domain").get(domain), entry->on(L"Name").get(account);
      return Variant(DispatchPtr(entry));
    });
  }

  database::DemoDatabase demo;
  fakes::DetailsTestBed bed;
  std::shared_ptr<fakes::FakeDispatch>& computer = bed.computer;
  FrmComputerDetails window{bed.env};
  database::ManagementDatabase& db = database::management_database();
  LoadState state;
  std::wstring name = L"PC042", domain = L"SALES";
};

TEST_F(UsersTest, AssignedRowsOneAccountOneRowAndTheDescriptionRules) {
  demo.sql("INSERT INTO Users VALUES (105, 'plain', 1, ' Pat  ', '', NULL), (106, 'spaced', 1, 'Sam', ' 12 ', '  Lab ');"
           "INSERT INTO Users VALUES (107, 'gone', 1, 'Gina', '1', 'x');"
           "INSERT INTO Assignments VALUES (10, 1, 103), (11, 1, 103), (12, 1, 105), (13, 1, 106), (14, 1, 107);"
           "DROP VIEW qryUsers; CREATE VIEW qryUsers AS SELECT Account AS \"5x2\", userID, Name AS \"Users.Name\","
           " PhoneExt, Location, DomainID FROM Users WHERE userID <> 107");
  // Without assignments the region of ignored errors goes on past the stage.
  auto connection = std::exchange(db.ManagementConnection, nullptr);
  AssignedUsersStage(window, state);
  EXPECT_TRUE(state.ignoring_errors && rows().empty() && !db.AssignmentsRecordset);
  db.ManagementConnection = connection;
  AssignedUsersStage(window, state);
  EXPECT_FALSE(state.ignoring_errors);
  // The null account of assignment 3 adds nothing; kiosk twice is one row; an
  // account without a qryUsers row keeps no tag or description.
  EXPECT_EQ(rows(), (std::vector<std::wstring>{
                        L"SALES\\jdoe|Assigned|SALES\\jdoe|John Doe (4711) - Front desk|101|6,6",
                        L"SALES\\asmith|Assigned|SALES\\asmith|Anna Smith|102|6,6",
                        L"SALES\\kiosk|Assigned|SALES\\kiosk|Sales kiosk - Showroom|103|6,6",
                        L"SALES\\plain|Assigned|SALES\\plain|Pat|105|6,6",
                        L"SALES\\spaced|Assigned|SALES\\spaced|Sam (12) - Lab|106|6,6",
                        L"SALES\\gone|Assigned|SALES\\gone|||6,6"}));
}

TEST_F(UsersTest, QuotedLongAndNonAsciiNamesReachTheDatabaseIntact) {
  const std::wstring long_account(300, L'a');
  demo.sql("INSERT INTO Domains VALUES (3, 'O''Brien'); INSERT INTO Equipment VALUES (9, 'x'' OR ''1''=''1', 3, 1, NULL);"
           "INSERT INTO Users VALUES (110, 'O''Brien', 3, 'Pat O''Brien', NULL, NULL),"
           " (111, 'x'' OR ''1''=''1', 3, 'Eve', NULL, NULL), (112, '" + std::string(300, 'a') + "', 3, 'Long', NULL, NULL),"
           " (113, 'J\xc3\xbcrgen\xe6\x97\xa5', 3, 'J\xc3\xbcrgen', NULL, NULL);"
           "INSERT INTO Assignments VALUES (20, 9, 110), (21, 9, 111), (22, 9, 112), (23, 9, 113)");
  name = L"x' OR '1'='1", domain = L"O'Brien";
  AssignedUsersStage(window, state);
  EXPECT_EQ(rows(), (std::vector<std::wstring>{
                        L"O'Brien\\O'Brien|Assigned|O'Brien\\O'Brien|Pat O'Brien|110|6,6",
                        L"O'Brien\\x' OR '1'='1|Assigned|O'Brien\\x' OR '1'='1|Eve|111|6,6",
                        L"O'Brien\\" + long_account + L"|Assigned|O'Brien\\" + long_account + L"|Long|112|6,6",
                        L"O'Brien\\J\u00fcrgen\u65e5|Assigned|O'Brien\\J\u00fcrgen\u65e5|J\u00fcrgen|113|6,6"}));
  EXPECT_EQ(demo.sql("SELECT COUNT(*) FROM Users") * 100 + demo.sql("SELECT COUNT(*) FROM Assignments"), 808);
}

TEST_F(UsersTest, SessionsTakeOverAssignedRowsAndMarkTheConsoleWithoutRegardToCase) {
  computer->on(L"GetUsers").call(4);
  AssignedUsersStage(window, state);
  LoggedOnUsersStage(window, state);
  EXPECT_EQ(state.HostText + std::to_wstring(state.UsersStatus), L"\\\\PC0424");
  state.LoadStatus = 1, state.ConsoleAccount = L"sales\\JDOE";
  logged_on({{L"SALES", L"jdoe"}, {L"SALES", L"guest"}, {L"SALES", L"asmith"}});
  bed.log->clear();
  LogonSessionsStage(window, state);
  EXPECT_EQ(rows(), (std::vector<std::wstring>{
                        L"SALES\\jdoe|Interactive|SALES\\jdoe|John Doe (4711) - Front desk||11,11",
                        L"SALES\\asmith|Logon Session|SALES\\asmith|Anna Smith||9,9",
                        L"SALES\\guest|Logon Session|SALES\\guest|||9,9"}));
  EXPECT_EQ(window.form().caption(), L"SALES\\PC042 -> Getting Loggon Sessions ...");
  EXPECT_EQ(fakes::count_of(bed.log->trace(), L"get Computer.Domain"), 3);
  EXPECT_EQ(fakes::count_of(bed.log->trace(), L"get Computer.LoggedOnUsers(3)"), 1);
}

TEST_F(UsersTest, SessionsRunOnlyWhenTheStatusesAllowAndThereAreEntries) {
  struct Case { int32_t users_status, load_status; size_t entries; bool asked, caption; };
  for (const Case& c : {Case{5, 1, 1, true, true}, Case{5, 0, 1, false, false}, Case{0, 0, 0, true, false}}) {
    SCOPED_TRACE(c.users_status * 100 + c.load_status * 10 + static_cast<int>(c.entries));
    window.form().set_caption(L"before");
    logged_on(std::vector<std::pair<std::wstring, std::wstring>>(c.entries, {L"SALES", L"x"}));
    bed.log->clear(), state.UsersStatus = c.users_status, state.LoadStatus = c.load_status;
    LogonSessionsStage(window, state);
    EXPECT_EQ(fakes::count_of(bed.log->trace(), L"get Computer.LoggedOnUsers"), c.asked);
    EXPECT_EQ(window.form().caption() != L"before", c.caption);
  }
}

TEST_F(UsersTest, ConsoleAccountFromTheMruValueElseFromTavisk) {
  using Answers = std::vector<fakes::FakeTavisk::Answer>;
  struct Case { const wchar_t* mru; Answers answers; int calls; int32_t status; std::wstring console; };
  const std::wstring long_account(200, L'c');
  const Case cases[] = {
      {L"  SALES\\jdoe ", {}, 0, 53, L"SALES\\jdoe"},
      {L"", {{0, L"jdoe", std::wstring(L"SALES\\jdoe\0junk", 15)}}, 1, 0, L"SALES\\jdoe"},
      {L"   ", {{5, L"", L""}, {7, L"jdoe", L"SALES\\jdoe"}}, 2, 7, L"SALES\\jdoe"},
      {L"", {{5, L"", L""}, {6, L"", L""}, {8, L"jdoe", L"x"}}, 2, 6, L""},
      {L"", {{0, L"c", long_account}}, 1, 0, long_account.substr(0, 50)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.mru);
    computer->on(L"GetRegistryValue").call(c.mru);
    bed.tavisk.calls.clear(), bed.tavisk.answers = c.answers, bed.log->clear();
    state.LoadStatus = 53, state.HostText = L"\\\\PC042";
    InteractiveUserStage(window, state);
    EXPECT_EQ(bed.log->trace().at(0),
              L"call Computer.GetRegistryValue(-2147483646, \"SOFTWARE\\Vyx\\GINA\\MRU\", \"ConsoleUser\", \"\")");
    EXPECT_EQ(bed.tavisk.calls, std::vector<std::wstring>(c.calls, L"NetGetInteractiveUser \\\\PC042"));
    EXPECT_EQ(state.LoadStatus, c.status);
    EXPECT_EQ(state.ConsoleAccount, c.console);
  }
}

}  // namespace
}  // namespace pendrel::details
