#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "forms/command_button.h"
#include "forms/list_view.h"
#include "logon/account_lists.h"
#include "logon/frm_logon_property.h"
#include "logon_fakes.h"
#include "window_test_support.h"

namespace pendrel {
namespace {

using forms::ListView;
using Lines = std::vector<std::wstring>;

class AccountListTest : public ::testing::Test {
 protected:
  void SetUp() override {
    bed.computer->on(L"GetRegistryValue").call([](std::span<Argument> args) { return args[3].value; });
    bed.computer->on(L"SetRegistryValue").call(int32_t{0});
    fakes::FakeDomain& sales = host.domain(L"SALES");
    sales.global_groups.stock_group(L"Admins", L"Domain admins");
    sales.local_groups.stock_group(L"Printers", L"Print operators");
    sales.users.stock_user(L"Admins", L"Admin user");
    sales.users.stock_user(L"jdoe", L"John Doe");
    host.users.stock_user(L"Guests", L"Guest account");
    host.local_local_groups.stock_group(L"Guests", L"Guests group");
    host.local_local_groups.stock_group(L"Backup", L"Backup operators");
    window.set_DomainObject(host.domain_object);
    window.set_Computer(bed.computer);
    bed.log->clear();
    bed.peer_trace->clear();
  }

  ListView& list(int index = 2) { return form.get<ListView>(L"ListView1", index); }
  void load(const std::wstring& data, int index = 2) { window.LoadListView(list(index), data); }
  // "text|description|icon" for each row in list order.
  Lines rows(int index = 2) {
    Lines lines;
    const auto& items = list(index).list_items();
    for (int i = 1; i <= items.count(); ++i) {
      const forms::ListItem& row = items.item(i);
      EXPECT_EQ(row.small_icon(), row.icon()) << row.text();
      EXPECT_EQ(row.key(), row.text());
      lines.push_back(row.text() + L"|" + row.sub_item(1) + L"|" + std::to_wstring(row.icon()));
    }
    return lines;
  }

  fakes::WindowTestBed bed;
  fakes::FakeAccountHost host{bed.computer};
  logon::FrmLogonProperty window{bed.env};
  forms::Form& form = window.form();
};

TEST_F(AccountListTest, NamesEachAccountInTheLookupOrder) {
  load(L"SALES\\Admins;SALES\\Printers;SALES\\jdoe;SALES\\nobody;PC042\\Guests;PC042\\Backup;pc042\\Guests;NOSLASH");
  EXPECT_EQ(rows(), (Lines{
                        L"SALES\\Admins|Domain admins|5",  // global group over user
                        L"SALES\\Printers|Print operators|8",
                        L"SALES\\jdoe|John Doe|7",
                        L"SALES\\nobody||0",  // the user found before does not stand in
                        L"PC042\\Guests|Guest account|7",  // computer user over local group
                        L"PC042\\Backup|Backup operators|12",
                        L"pc042\\Guests||0",  // other letter case: a domain, which fails
                        L"NOSLASH||0",
                    }));
  EXPECT_EQ(host.count(L"get DomainObject.Domains(\"pc042\")"), 1);
  EXPECT_EQ(host.count(L"get DomainObject.Domains(\"SALES\")"), 4);
  EXPECT_EQ(host.count(L"get PC042.Users.Item(\"Guests\")"), 1);
  EXPECT_EQ(host.count(L"get Computer.Value"), 1);
  for (const fakes::Call& call : bed.log->calls()) {
    if (call.member == L"Domains") {
      EXPECT_NE(call.args[0].text(), L"NOSLASH");
    }
    if (call.member == L"GetUserInformation") {
      ASSERT_EQ(call.args.size(), 1u);
      EXPECT_EQ(call.args[0].kind(), Variant::Kind::Int16);
      EXPECT_EQ(call.args[0].to_long(), 3);
    }
  }
}

TEST_F(AccountListTest, FetchesEachCollectionOnlyWhileItIsEmpty) {
  std::wstring data;
  for (int i = 0; i < 200; ++i) {
    host.domain(L"SALES").users.stock_user(L"u" + std::to_wstring(i), L"User " + std::to_wstring(i));
    data += L"SALES\\u" + std::to_wstring(i) + L";";
  }
  data += L"PC042\\Guests;PC042\\Backup;PC042\\Nobody;EMPTY\\a;EMPTY\\b";
  host.domain(L"EMPTY");
  load(data);
  EXPECT_EQ(list().list_items().count(), 205);
  EXPECT_EQ(rows()[199], L"SALES\\u199|User 199|7");
  EXPECT_EQ(host.count(L"call SALES.GetItems"), 1);
  EXPECT_EQ(host.count(L"call SALES.GetGroups"), 1);
  EXPECT_EQ(host.count(L"call SALES.Users.GetItems"), 1);
  EXPECT_EQ(host.count(L"call Computer.GetUsers"), 1);
  EXPECT_EQ(host.count(L"call PC042.LocalLocalGroups.GetItems"), 1);
  // Still empty after its fetch: the next account that needs it fetches again.
  EXPECT_EQ(host.count(L"call EMPTY.GetItems"), 1);
  EXPECT_EQ(host.count(L"call EMPTY.GetGroups"), 2);
  EXPECT_EQ(host.count(L"call EMPTY.Users.GetItems"), 2);
  // The renderer hears of the rows once.
  EXPECT_EQ(fakes::starting_with(*bed.peer_trace, {L"control ListView1(2) Items"}),
            (Lines{L"control ListView1(2) Items Changed"}));
}

TEST_F(AccountListTest, RowsAreKeyedByTheEntryAndRefreshedNotDuplicated) {
  list().set_enabled(false);
  load(L";; ;   ");
  EXPECT_EQ(list().list_items().count(), 0);
  EXPECT_FALSE(list().enabled());

  forms::ListItem& gone = list().list_items().add(L"SALES\\gone", L"SALES\\gone", 8, 8);
  gone.set_sub_item(1, L"Kept");
  list().list_items().add(L"SALES\\jdoe", L"SALES\\jdoe").set_sub_item(1, L"stale");
  load(L"SALES\\jdoe;; ;SALES\\jdoe;SALES\\gone;sales\\jdoe; SALES\\jdoe");
  EXPECT_TRUE(list().enabled());
  // Keys compare exactly: other letter case or spaces make other rows.
  EXPECT_EQ(rows(), (Lines{L"SALES\\gone|Kept|8", L"SALES\\jdoe|John Doe|7", L"sales\\jdoe||0",
                           L" SALES\\jdoe||0"}));
  EXPECT_EQ(logon::account_list_value(list()), L"SALES\\gone;SALES\\jdoe;sales\\jdoe; SALES\\jdoe");
}

TEST_F(AccountListTest, BadInputKeepsEveryRowsTextAndOkWritesItBack) {
  // 10,000 accounts: one fetch per collection, every entry kept in order.
  std::wstring many;
  for (int i = 0; i < 10000; ++i) many += (i ? L";SALES\\x" : L"SALES\\x") + std::to_wstring(i);
  load(many, 1);
  EXPECT_EQ(list(1).list_items().count(), 10000);
  EXPECT_EQ(logon::account_list_value(list(1)), many);
  EXPECT_EQ(host.count(L"call SALES.Users.GetItems"), 1);

  const std::wstring long_domain(300, L'D');
  const std::wstring long_name = L"SALES\\" + std::wstring(294, L'n');
  host.domain(long_domain).users.stock_user(L"jdoe", L"Long domain user");
  host.domain(L"M\u00dcNCHEN").users.stock_user(L"J\u00fcrgen", L"J\u00fcrgen Gro\u00df");
  host.domain(L"\u6771\u4eac").local_groups.stock_group(L"\u30e6\u30fc\u30b6\u30fc", L"\u5229\u7528\u8005");
  host.domain(L"SALES").global_groups.broken = Error::vb(vb_error::kInvalidProcedureCall);
  host.local_local_groups.missing_gives_nothing = true;
  host.users.broken = Error(-2147023570, L"Access denied");

  load(L";");
  load(L"\\");
  load(L"\\jdoe;SALES\\;" + long_name + L";" + long_domain + L"\\jdoe");
  load(L"M\u00dcNCHEN\\J\u00fcrgen;\u6771\u4eac\\\u30e6\u30fc\u30b6\u30fc;SALES\\Admins;PC042\\Guests;PC042\\None");
  const Lines expected{
      L"\\||0",
      L"\\jdoe||0",
      L"SALES\\||0",
      long_name + L"||0",
      long_domain + L"\\jdoe|Long domain user|7",
      L"M\u00dcNCHEN\\J\u00fcrgen|J\u00fcrgen Gro\u00df|7",
      L"\u6771\u4eac\\\u30e6\u30fc\u30b6\u30fc|\u5229\u7528\u8005|8",
      L"SALES\\Admins|Admin user|7",  // the global groups fail: found as the user
      L"PC042\\Guests|Guests group|12",  // the users fail: found as the local group
      L"PC042\\None||0",
  };
  EXPECT_EQ(rows(), expected);

  // A computer whose name cannot be read: every authority is a domain.
  host.computer->on(L"Value").raise(Error::vb(vb_error::kObjectDoesNotSupportMember));
  load(L"PC042\\Backup", 3);
  EXPECT_EQ(rows(3), (Lines{L"PC042\\Backup||0"}));

  form.get<forms::CommandButton>(L"cmdButton", 0).set_value(true);
  std::wstring allow;
  for (const fakes::Call& call : bed.log->calls()) {
    if (call.member == L"SetRegistryValue" && call.args[2].text() == L"AllowOnlyInteractiveLogon") {
      allow = call.args[3].text();
    }
  }
  std::wstring joined;
  for (const auto& line : expected) joined += (joined.empty() ? L"" : L";") + line.substr(0, line.find(L'|'));
  EXPECT_EQ(allow, joined);
  EXPECT_FALSE(form.loaded());
}

}  // namespace
}  // namespace pendrel
