// ListView: rows (ListItems) with a unique key, a text, sub-items for the
// further columns, icons and a tag, shown in one of four views. When Sorted,
// the rows are kept in the order the control shows them: by the text of the
// SortKey column (0 the item text, n sub-item n), without regard to case,
// ascending (SortOrder 0) or descending (1); rows with equal text keep their
// order. Item positions count from 1 in that order.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "forms/batched_control.h"

namespace pendrel::forms {

class ImageList;
class ListView;

namespace list_view_style {
inline constexpr int kIcon = 0;
inline constexpr int kSmallIcon = 1;
inline constexpr int kList = 2;
inline constexpr int kReport = 3;
inline constexpr int kAscending = 0;
inline constexpr int kDescending = 1;
}  // namespace list_view_style

class ColumnHeader {
 public:
  // 1-based.
  int index() const;
  const std::wstring& text() const { return text_; }
  void set_text(std::wstring text);
  // Twips.
  float width() const { return width_; }
  void set_width(float width);

 private:
  friend class ColumnHeaders;
  ColumnHeader(ListView& view, std::wstring text, float width)
      : view_(view), text_(std::move(text)), width_(width) {}
  ListView& view_;
  std::wstring text_;
  float width_;
};

class ColumnHeaders {
 public:
  ColumnHeader& add(std::wstring text, float width = 1440);
  int count() const { return static_cast<int>(headers_.size()); }
  // Raises 35600 outside 1..count.
  ColumnHeader& item(int index) const;
  void clear();

 private:
  friend class ListView;
  friend class ColumnHeader;
  explicit ColumnHeaders(ListView& view) : view_(view) {}
  ListView& view_;
  std::vector<std::unique_ptr<ColumnHeader>> headers_;
};

class ListItem {
 public:
  const std::wstring& key() const { return key_; }
  const std::wstring& text() const { return text_; }
  void set_text(std::wstring text);
  // Sub-items count from 1 and exist for the columns after the first; any
  // other position raises 380. One never set reads "".
  const std::wstring& sub_item(int position) const;
  void set_sub_item(int position, std::wstring text);
  // Image list positions; 0 for none.
  int icon() const { return icon_; }
  void set_icon(int icon);
  int small_icon() const { return small_icon_; }
  void set_small_icon(int icon);
  const std::wstring& tag() const { return tag_; }
  void set_tag(std::wstring tag) { tag_ = std::move(tag); }
  // One row at most is selected: selecting one clears the others.
  bool selected() const;
  void set_selected(bool selected);
  // The 1-based position in the order shown.
  int index() const;
  ListView& list_view() const { return view_; }

 private:
  friend class ListItems;
  friend class ListView;
  ListItem(ListView& view, std::wstring key, std::wstring text, int icon, int small_icon)
      : view_(view), key_(std::move(key)), text_(std::move(text)), icon_(icon), small_icon_(small_icon) {}
  void check_sub_item(int position) const;

  ListView& view_;
  std::wstring key_;
  std::wstring text_;
  std::vector<std::wstring> sub_items_;
  int icon_;
  int small_icon_;
  std::wstring tag_;
};

class ListItems {
 public:
  // Adds a row at a 1-based position (0 for the end; a sorted view puts it in
  // its sorted place instead). An empty key is no key; a key already in the
  // list raises 35602. Keys compare exactly.
  ListItem& add(std::wstring key, std::wstring text, int icon = 0, int small_icon = 0, int position = 0);
  int count() const { return static_cast<int>(rows_.size()); }
  // Raises 35600 outside 1..count.
  ListItem& item(int index) const;
  // Raises 35601 for a key not in the list.
  ListItem& item(std::wstring_view key) const;
  ListItem* find(std::wstring_view key) const;
  void remove(int index);
  void remove(std::wstring_view key);
  void clear();

 private:
  friend class ListView;
  friend class ListItem;
  explicit ListItems(ListView& view) : view_(view) {}
  void remove_row(size_t row);
  size_t row_of(const ListItem& item) const;

  ListView& view_;
  std::vector<std::unique_ptr<ListItem>> rows_;
  std::unordered_map<std::wstring, ListItem*> keys_;
};

class ListView : public BatchedControl {
 public:
  explicit ListView(const ControlSite& site);

  // list_view_style kIcon ... kReport.
  int view() const { return view_; }
  void set_view(int view);
  ImageList* icons() const { return icons_; }
  void set_icons(ImageList* images);
  ImageList* small_icons() const { return small_icons_; }
  void set_small_icons(ImageList* images);

  ColumnHeaders& column_headers() { return columns_; }
  const ColumnHeaders& column_headers() const { return columns_; }
  ListItems& list_items() { return items_; }
  const ListItems& list_items() const { return items_; }
  ListItem* selected_item() const { return selected_; }

  bool sorted() const { return sorted_; }
  void set_sorted(bool sorted);
  // 0-based column; a negative key raises 380.
  int sort_key() const { return sort_key_; }
  void set_sort_key(int key);
  // kAscending or kDescending; anything else raises 380.
  int sort_order() const { return sort_order_; }
  void set_sort_order(int order);

  std::function<void(ColumnHeader&)> on_column_click;
  std::function<void(ListItem&)> on_item_click;

  // A click on the header of the 1-based column.
  void user_column_click(int index);
  // The user selected a row (null: clicked where there is none).
  void user_select(ListItem* item);

 private:
  friend class ListItem;
  friend class ListItems;
  friend class ColumnHeader;
  friend class ColumnHeaders;

  void announce(ItemChange change, const ListItem* item);
  const std::wstring& sort_text(const ListItem& item) const;
  bool sorts_before(const ListItem& a, const ListItem& b) const;
  size_t sorted_row_for(const ListItem& item) const;
  void resort();
  // A row's text in the sort column changed: moves it to its sorted place.
  void place(ListItem& item);

  int view_ = list_view_style::kIcon;
  ImageList* icons_ = nullptr;
  ImageList* small_icons_ = nullptr;
  ColumnHeaders columns_;
  ListItems items_;
  ListItem* selected_ = nullptr;
  bool sorted_ = false;
  int sort_key_ = 0;
  int sort_order_ = list_view_style::kAscending;
};

}  // namespace pendrel::forms
