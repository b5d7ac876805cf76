#include "forms/list_view.h"

#include <gtest/gtest.h>

#include "forms/form.h"
#include "raised.h"
#include "recording_peer.h"

namespace pendrel::forms {
namespace {

using fakes::Trace;

std::vector<std::wstring> row_texts(const ListView& list, int column = 0) {
  std::vector<std::wstring> texts;
  for (int i = 1; i <= list.list_items().count(); ++i) {
    const ListItem& item = list.list_items().item(i);
    texts.push_back(column == 0 ? item.text() : item.sub_item(column));
  }
  return texts;
}

class ListViewTest : public ::testing::Test {
 protected:
  ListViewTest() {
    fakes::record_peer(form_, trace_);
    list_ = &form_.get<ListView>(L"ListView1", 0);
    trace_->clear();
  }

  Form form_{L"frmLogonProperty", [](Form& f) {
               auto& list = f.add<ListView>(L"ListView1", 0);
               list.set_view(list_view_style::kReport);
               list.column_headers().add(L"Name", 2350);
               list.column_headers().add(L"Description");
             }};
  std::shared_ptr<Trace> trace_ = std::make_shared<Trace>();
  ListView* list_ = nullptr;
};

TEST_F(ListViewTest, KeysAreUniqueAndExact) {
  auto& items = list_->list_items();
  items.add(L"SALES\\jdoe", L"SALES\\jdoe");
  EXPECT_EQ(raised([&] { items.add(L"SALES\\jdoe", L"again"); }), L"35602 Key is not unique in collection");
  items.add(L"sales\\jdoe", L"sales\\jdoe");
  items.add(L"", L"no key");
  items.add(L"", L"no key either");
  EXPECT_EQ(items.count(), 4);
  EXPECT_EQ(items.item(L"sales\\jdoe").index(), 2);
  EXPECT_EQ(items.find(L"PC042\\Guests"), nullptr);
  EXPECT_EQ(error_number([&] { items.item(L"PC042\\Guests"); }), 35601);

  items.item(2).set_selected(true);
  items.remove(L"sales\\jdoe");
  EXPECT_EQ(list_->selected_item(), nullptr);
  EXPECT_EQ(items.find(L"sales\\jdoe"), nullptr);
  items.add(L"sales\\jdoe", L"back again");  // the key is free once the row is gone
  EXPECT_EQ(row_texts(*list_), (std::vector<std::wstring>{L"SALES\\jdoe", L"no key", L"no key either",
                                                         L"back again"}));
  EXPECT_THROW(items.remove(5), Error);
  EXPECT_THROW(items.item(1).set_sub_item(2, L"no third column"), Error);
}

TEST_F(ListViewTest, SortsByColumnWithoutCaseAndKeepsRowsInShownOrder) {
  auto& items = list_->list_items();
  const std::vector<std::pair<const wchar_t*, const wchar_t*>> rows{
      {L"bravo", L"Zulu"}, {L"Alpha", L"yankee"}, {L"charlie", L"X-ray"}, {L"alpha", L"whiskey"}};
  for (const auto& [name, description] : rows) items.add(name, name).set_sub_item(1, description);

  list_->set_sorted(true);
  EXPECT_EQ(row_texts(*list_), (std::vector<std::wstring>{L"Alpha", L"alpha", L"bravo", L"charlie"}));
  list_->set_sort_order(list_view_style::kDescending);
  EXPECT_EQ(row_texts(*list_), (std::vector<std::wstring>{L"charlie", L"bravo", L"Alpha", L"alpha"}));
  list_->set_sort_order(list_view_style::kAscending);
  list_->set_sort_key(1);
  EXPECT_EQ(row_texts(*list_, 1), (std::vector<std::wstring>{L"whiskey", L"X-ray", L"yankee", L"Zulu"}));

  // New rows and changed sort texts take their sorted place.
  items.add(L"delta", L"delta").set_sub_item(1, L"Zz");
  EXPECT_EQ(items.item(L"delta").index(), 5);
  items.item(L"delta").set_sub_item(1, L"A");
  EXPECT_EQ(items.item(L"delta").index(), 1);
  items.item(L"bravo").set_text(L"renamed");  // not the sort column
  EXPECT_EQ(items.item(L"bravo").index(), 5);

  // A list that is not sorted keeps the order of addition and position.
  list_->set_sorted(false);
  items.add(L"echo", L"echo", 0, 0, 1);
  EXPECT_EQ(items.item(1).key(), L"echo");
  EXPECT_THROW(list_->set_sort_order(2), Error);
}

TEST_F(ListViewTest, ColumnClickHandsTheHeaderAndBulkLoadsNotifyOnce) {
  std::vector<int> clicked;
  list_->on_column_click = [&](ColumnHeader& header) { clicked.push_back(header.index()); };
  list_->user_column_click(2);
  EXPECT_EQ(clicked, std::vector<int>{2});

  list_->list_items().add(L"k1", L"one");
  {
    auto batch = list_->begin_update();
    list_->list_items().add(L"k2", L"two");
    {
      auto inner = list_->begin_update();
      list_->list_items().add(L"k3", L"three");
    }
    list_->list_items().item(L"k1").set_icon(7);
  }
  {
    auto batch = list_->begin_update();
    list_->list_items().add(L"k4", L"four");
    form_.refresh();  // a long load shows its progress
    list_->list_items().remove(1);
  }
  { auto empty = list_->begin_update(); }
  EXPECT_EQ(*trace_, (Trace{L"control ListView1(0) Items Added k1", L"control ListView1(0) Items Changed",
                            L"control ListView1(0) Items Changed", L"refresh",
                            L"control ListView1(0) Items Changed"}));
}

}  // namespace
}  // namespace pendrel::forms
