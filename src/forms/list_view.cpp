#include "forms/list_view.h"

#include <algorithm>

#include "forms/errors.h"
#include "forms/text_rules.h"

namespace pendrel::forms {

namespace {
const std::wstring kNoText;
}

// Column headers

int ColumnHeader::index() const {
  const auto& headers = view_.columns_.headers_;
  for (size_t i = 0; i < headers.size(); ++i) {
    if (headers[i].get() == this) return static_cast<int>(i) + 1;
  }
  return 0;
}

void ColumnHeader::set_text(std::wstring text) {
  if (text == text_) return;
  text_ = std::move(text);
  view_.changed(Property::Columns);
}

void ColumnHeader::set_width(float width) {
  if (width < 0) throw form_failure(form_error::kInvalidPropertyValue);
  if (width == width_) return;
  width_ = width;
  view_.changed(Property::Columns);
}

ColumnHeader& ColumnHeaders::add(std::wstring text, float width) {
  headers_.push_back(std::unique_ptr<ColumnHeader>(new ColumnHeader(view_, std::move(text), width)));
  view_.changed(Property::Columns);
  return *headers_.back();
}

ColumnHeader& ColumnHeaders::item(int index) const {
  if (index < 1 || index > count()) throw form_failure(form_error::kIndexOutOfBounds);
  return *headers_[index - 1];
}

void ColumnHeaders::clear() {
  headers_.clear();
  view_.changed(Property::Columns);
}

// Rows

void ListItem::set_text(std::wstring text) {
  if (text == text_) return;
  text_ = std::move(text);
  view_.announce(ItemChange::Changed, this);
  if (view_.sort_key_ == 0) view_.place(*this);
}

void ListItem::check_sub_item(int position) const {
  if (position < 1 || position >= view_.columns_.count()) {
    throw form_failure(form_error::kInvalidPropertyValue);
  }
}

const std::wstring& ListItem::sub_item(int position) const {
  check_sub_item(position);
  return static_cast<size_t>(position) <= sub_items_.size() ? sub_items_[position - 1] : kNoText;
}

void ListItem::set_sub_item(int position, std::wstring text) {
  check_sub_item(position);
  if (sub_item(position) == text) return;
  if (sub_items_.size() < static_cast<size_t>(position)) sub_items_.resize(position);
  sub_items_[position - 1] = std::move(text);
  view_.announce(ItemChange::Changed, this);
  if (view_.sort_key_ == position) view_.place(*this);
}

void ListItem::set_icon(int icon) {
  if (icon == icon_) return;
  icon_ = icon;
  view_.announce(ItemChange::Changed, this);
}

void ListItem::set_small_icon(int icon) {
  if (icon == small_icon_) return;
  small_icon_ = icon;
  view_.announce(ItemChange::Changed, this);
}

bool ListItem::selected() const { return view_.selected_ == this; }

void ListItem::set_selected(bool selected) {
  ListItem* previous = view_.selected_;
  if (selected == (previous == this)) return;
  view_.selected_ = selected ? this : nullptr;
  if (previous) view_.announce(ItemChange::Changed, previous);
  if (selected) view_.announce(ItemChange::Changed, this);
}

int ListItem::index() const { return static_cast<int>(view_.items_.row_of(*this)) + 1; }

ListItem& ListItems::add(std::wstring key, std::wstring text, int icon, int small_icon, int position) {
  if (position < 0 || position > count() + 1) throw form_failure(form_error::kIndexOutOfBounds);
  if (!key.empty() && keys_.count(key) != 0) throw form_failure(form_error::kKeyNotUnique);
  auto item = std::unique_ptr<ListItem>(new ListItem(view_, key, std::move(text), icon, small_icon));
  size_t row = position == 0 ? rows_.size() : static_cast<size_t>(position - 1);
  if (view_.sorted_) row = view_.sorted_row_for(*item);
  ListItem& added = **rows_.insert(rows_.begin() + static_cast<std::ptrdiff_t>(row), std::move(item));
  if (!key.empty()) keys_.emplace(std::move(key), &added);
  view_.announce(ItemChange::Added, &added);
  return added;
}

ListItem& ListItems::item(int index) const {
  if (index < 1 || index > count()) throw form_failure(form_error::kIndexOutOfBounds);
  return *rows_[index - 1];
}

ListItem& ListItems::item(std::wstring_view key) const {
  ListItem* found = find(key);
  if (!found) throw form_failure(form_error::kElementNotFound);
  return *found;
}

ListItem* ListItems::find(std::wstring_view key) const {
  const auto it = keys_.find(std::wstring(key));
  return it == keys_.end() ? nullptr : it->second;
}

size_t ListItems::row_of(const ListItem& item) const {
  for (size_t i = 0; i < rows_.size(); ++i) {
    if (rows_[i].get() == &item) return i;
  }
  return rows_.size();
}

void ListItems::remove_row(size_t row) {
  // The row is gone from the list when the removal is announced, and still
  // alive for whoever hears of it.
  const std::unique_ptr<ListItem> item = std::move(rows_[row]);
  rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(row));
  if (view_.selected_ == item.get()) view_.selected_ = nullptr;
  if (!item->key().empty()) keys_.erase(item->key());
  view_.announce(ItemChange::Removed, item.get());
}

void ListItems::remove(int index) {
  if (index < 1 || index > count()) throw form_failure(form_error::kIndexOutOfBounds);
  remove_row(static_cast<size_t>(index - 1));
}

void ListItems::remove(std::wstring_view key) { remove_row(row_of(item(key))); }

void ListItems::clear() {
  view_.selected_ = nullptr;
  keys_.clear();
  rows_.clear();
  view_.announce(ItemChange::Changed, nullptr);
}

// The view

ListView::ListView(const ControlSite& site)
    : BatchedControl(site, ControlKind::ListView, Property::Items), columns_(*this), items_(*this) {}

void ListView::set_view(int view) {
  if (view < list_view_style::kIcon || view > list_view_style::kReport) {
    throw form_failure(form_error::kInvalidPropertyValue);
  }
  if (view == view_) return;
  view_ = view;
  changed(Property::Style);
}

void ListView::set_icons(ImageList* images) {
  if (images == icons_) return;
  icons_ = images;
  changed(Property::ImageLists);
}

void ListView::set_small_icons(ImageList* images) {
  if (images == small_icons_) return;
  small_icons_ = images;
  changed(Property::ImageLists);
}

void ListView::set_sorted(bool sorted) {
  if (sorted == sorted_) return;
  sorted_ = sorted;
  changed(Property::Sort);
  resort();
}

void ListView::set_sort_key(int key) {
  if (key < 0) throw form_failure(form_error::kInvalidPropertyValue);
  if (key == sort_key_) return;
  sort_key_ = key;
  changed(Property::Sort);
  resort();
}

void ListView::set_sort_order(int order) {
  if (order != list_view_style::kAscending && order != list_view_style::kDescending) {
    throw form_failure(form_error::kInvalidPropertyValue);
  }
  if (order == sort_order_) return;
  sort_order_ = order;
  changed(Property::Sort);
  resort();
}

void ListView::announce(ItemChange change, const ListItem* item) {
  item_changed(Change{Property::Items, change, item});
}

const std::wstring& ListView::sort_text(const ListItem& item) const {
  if (sort_key_ == 0) return item.text_;
  const size_t position = static_cast<size_t>(sort_key_);
  return position <= item.sub_items_.size() ? item.sub_items_[position - 1] : kNoText;
}

bool ListView::sorts_before(const ListItem& a, const ListItem& b) const {
  const int order = compare_text(sort_text(a), sort_text(b));
  return sort_order_ == list_view_style::kAscending ? order < 0 : order > 0;
}

size_t ListView::sorted_row_for(const ListItem& item) const {
  const auto& rows = items_.rows_;
  const auto at = std::upper_bound(rows.begin(), rows.end(), &item,
                                   [this](const ListItem* a, const std::unique_ptr<ListItem>& b) {
                                     return sorts_before(*a, *b);
                                   });
  return static_cast<size_t>(at - rows.begin());
}

void ListView::resort() {
  if (!sorted_) return;
  auto& rows = items_.rows_;
  const bool in_order = std::is_sorted(rows.begin(), rows.end(), [this](const auto& a, const auto& b) {
    return sorts_before(*a, *b);
  });
  if (in_order) return;
  std::stable_sort(rows.begin(), rows.end(),
                   [this](const auto& a, const auto& b) { return sorts_before(*a, *b); });
  announce(ItemChange::Changed, nullptr);
}

void ListView::place(ListItem& item) {
  if (!sorted_) return;
  auto& rows = items_.rows_;
  const size_t from = items_.row_of(item);
  std::unique_ptr<ListItem> taken = std::move(rows[from]);
  rows.erase(rows.begin() + static_cast<std::ptrdiff_t>(from));
  const size_t to = sorted_row_for(item);
  rows.insert(rows.begin() + static_cast<std::ptrdiff_t>(to), std::move(taken));
  if (to != from) announce(ItemChange::Moved, &item);
}

void ListView::user_column_click(int index) {
  user_action([this, index] { raise(on_column_click, columns_.item(index)); });
}

void ListView::user_select(ListItem* item) {
  user_action([this, item] {
    if (!item) {
      if (selected_) selected_->set_selected(false);
      return;
    }
    item->set_selected(true);
    raise(on_item_click, *item);
  });
}

}  // namespace pendrel::forms
