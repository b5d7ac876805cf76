#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "forms/check_box.h"
#include "forms/command_button.h"
#include "forms/form.h"
#include "forms/list_view.h"
#include "raised.h"

namespace pendrel::forms {
namespace {

TEST(Failures, UserEventsReportThemAndCodeEventsRaiseThem) {
  Form form(L"frmComputerDetails", [](Form& f) {
    f.add<CommandButton>(L"Command1", 2).on_click = [] {
      throw Error(91, L"Object variable or With block variable not set");
    };
    f.add<CheckBox>(L"chkActive", 0).on_click = [] { throw Error::vb(vb_error::kInvalidProcedureCall); };
  });
  auto& wake = form.get<CommandButton>(L"Command1", 2);
  auto& active = form.get<CheckBox>(L"chkActive", 0);
  EXPECT_THROW(wake.user_click(), Error);  // without a reporter the renderer's guard gets it

  std::vector<int32_t> reported;
  form.set_error_reporter([&](const Error& e) { reported.push_back(e.number()); });
  wake.user_click(), active.user_set_value(1);
  EXPECT_EQ(error_number([&] { active.set_value(0); }), 5) << "the click handler's error reaches the code";
  EXPECT_EQ(active.value(), 0);
  EXPECT_EQ(reported, (std::vector<int32_t>{91, 5}));
}

using Texts = std::vector<std::wstring>;

Texts row_texts(const ListView& list, int column = 0) {
  Texts texts;
  for (int i = 1; i <= list.list_items().count(); ++i) {
    const ListItem& item = list.list_items().item(i);
    texts.push_back(column == 0 ? item.text() : item.sub_item(column));
  }
  return texts;
}

class ListViewTest : public ::testing::Test {
 protected:
  Form form_{L"frmLogonProperty", [](Form& f) {
               auto& list = f.add<ListView>(L"ListView1", 0);
               list.column_headers().add(L"Name", 2350), list.column_headers().add(L"Description");
             }};
  ListView& list_ = form_.get<ListView>(L"ListView1", 0);
  ListItems& items_ = list_.list_items();
};

TEST_F(ListViewTest, KeysAreUniqueAndExactAndFreedWithTheirRow) {
  items_.add(L"SALES\\jdoe", L"SALES\\jdoe");
  EXPECT_EQ(raised([&] { items_.add(L"SALES\\jdoe", L"again"); }), L"35602 Key is not unique in collection");
  items_.add(L"sales\\jdoe", L"sales\\jdoe").set_selected(true);
  items_.add(L"", L"no key");
  EXPECT_EQ(error_number([&] { items_.item(L"PC042\\Guests"); }), 35601);
  items_.remove(L"sales\\jdoe");
  EXPECT_EQ(list_.selected_item(), nullptr);
  items_.add(L"sales\\jdoe", L"back again");
  EXPECT_EQ(row_texts(list_), (Texts{L"SALES\\jdoe", L"no key", L"back again"}));
  EXPECT_EQ(error_number([&] { items_.remove(5); }), 35600);
  EXPECT_EQ(error_number([&] { items_.item(1).set_sub_item(2, L"no third column"); }), 380);
}

TEST_F(ListViewTest, SortsByColumnWithoutCaseKeepingEqualRowsInOrder) {
  for (const auto& [name, description] : std::vector<std::pair<const wchar_t*, const wchar_t*>>{
           {L"bravo", L"Zulu"}, {L"Alpha", L"yankee"}, {L"charlie", L"X-ray"}, {L"alpha", L"whiskey"}}) {
    items_.add(name, name).set_sub_item(1, description);
  }
  list_.set_sorted(true);
  EXPECT_EQ(row_texts(list_), (Texts{L"Alpha", L"alpha", L"bravo", L"charlie"}));
  list_.set_sort_order(list_view_style::kDescending);
  EXPECT_EQ(row_texts(list_), (Texts{L"charlie", L"bravo", L"Alpha", L"alpha"}));
  list_.set_sort_order(list_view_style::kAscending);
  list_.set_sort_key(1);
  EXPECT_EQ(row_texts(list_, 1), (Texts{L"whiskey", L"X-ray", L"yankee", L"Zulu"}));

  // New rows and changed sort texts take their sorted place; other texts do not move a row.
  items_.add(L"delta", L"delta").set_sub_item(1, L"A");
  EXPECT_EQ(items_.item(L"delta").index(), 1);
  items_.item(L"bravo").set_text(L"renamed");
  EXPECT_EQ(items_.item(L"bravo").index(), 5);
  EXPECT_EQ(error_number([&] { list_.set_sort_order(2); }), 380);
}

}  // namespace
}  // namespace pendrel::forms
