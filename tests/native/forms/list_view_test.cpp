#include "forms/list_view.h"

#include <gtest/gtest.h>

#include "forms/form.h"
#include "raised.h"
#include "recording_peer.h"

namespace pendrel::forms {
namespace {

using fakes::Trace;
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
  ListViewTest() { trace_->clear(); }
  std::shared_ptr<Trace> trace_ = std::make_shared<Trace>();
  Form form_{L"frmLogonProperty", [](Form& f) {
               auto& list = f.add<ListView>(L"ListView1", 0);
               list.column_headers().add(L"Name", 2350);
               list.column_headers().add(L"Description");
             }};
  ListView& list_ = [this]() -> ListView& {
    fakes::record_peer(form_, trace_);
    return form_.get<ListView>(L"ListView1", 0);
  }();
  ListItems& items_ = list_.list_items();
};

TEST_F(ListViewTest, KeysAreUniqueAndExactAndFreedWithTheirRow) {
  items_.add(L"SALES\\jdoe", L"SALES\\jdoe");
  EXPECT_EQ(raised([&] { items_.add(L"SALES\\jdoe", L"again"); }), L"35602 Key is not unique in collection");
  items_.add(L"sales\\jdoe", L"sales\\jdoe").set_selected(true);
  items_.add(L"", L"no key");
  items_.add(L"", L"no key either");
  EXPECT_EQ(error_number([&] { items_.item(L"PC042\\Guests"); }), 35601);
  items_.remove(L"sales\\jdoe");
  EXPECT_EQ(list_.selected_item(), nullptr);
  items_.add(L"sales\\jdoe", L"back again");
  EXPECT_EQ(row_texts(list_), (Texts{L"SALES\\jdoe", L"no key", L"no key either", L"back again"}));
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
  list_.set_sorted(false);
  items_.add(L"echo", L"echo", 0, 0, 1);
  EXPECT_EQ(items_.item(1).key(), L"echo");
  EXPECT_EQ(error_number([&] { list_.set_sort_order(2); }), 380);
}

TEST_F(ListViewTest, ColumnClickHandsTheHeaderAndBulkLoadsNotifyOnce) {
  std::vector<int> clicked;
  list_.on_column_click = [&](ColumnHeader& header) { clicked.push_back(header.index()); };
  list_.user_column_click(2);
  EXPECT_EQ(clicked, std::vector<int>{2});

  items_.add(L"k1", L"one");
  {
    auto batch = list_.begin_update();
    items_.add(L"k2", L"two");
    { auto inner = list_.begin_update(); }
    items_.item(L"k1").set_icon(7);
    form_.refresh();  // a long load shows its progress
    items_.remove(1);
  }
  { auto empty = list_.begin_update(); }
  EXPECT_EQ(*trace_, (Trace{L"control ListView1(0) Items Added k1", L"control ListView1(0) Items Changed",
                            L"refresh", L"control ListView1(0) Items Changed"}));
}

}  // namespace
}  // namespace pendrel::forms
