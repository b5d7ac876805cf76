#include "forms/combo_box.h"

#include "forms/errors.h"

namespace pendrel::forms {

void ComboBox::set_style(int style) {
  if (style != combo_style::kDropdownCombo && style != combo_style::kDropdownList) {
    throw form_failure(form_error::kInvalidPropertyValue);
  }
  if (style == style_) return;
  style_ = style;
  changed(Property::Style);
}

void ComboBox::add_item(std::wstring item, int position) {
  if (position < -1 || position > list_count()) throw Error::vb(vb_error::kInvalidProcedureCall);
  const int at = position == -1 ? list_count() : position;
  items_.insert(items_.begin() + at, std::move(item));
  if (list_index_ >= at) ++list_index_;
  changed(Property::List);
}

void ComboBox::remove_item(int position) {
  if (position < 0 || position >= list_count()) throw Error::vb(vb_error::kInvalidProcedureCall);
  items_.erase(items_.begin() + position);
  changed(Property::List);
  if (position == list_index_) {
    list_index_ = -1;
    changed(Property::ListIndex);
  } else if (position < list_index_) {
    --list_index_;
  }
}

void ComboBox::clear() {
  items_.clear();
  list_index_ = -1;
  changed(Property::List);
  if (!text_.empty()) {
    text_.clear();
    changed(Property::Text);
  }
}

const std::wstring& ComboBox::list(int position) const {
  if (position < 0 || position >= list_count()) throw Error::vb(vb_error::kInvalidProcedureCall);
  return items_[position];
}

void ComboBox::set_list_index(int position) {
  if (position < -1 || position >= list_count()) throw form_failure(form_error::kInvalidPropertyValue);
  if (position == list_index_) return;
  list_index_ = position;
  changed(Property::ListIndex);
  const std::wstring text = position == -1 ? std::wstring() : items_[position];
  if (text != text_) {
    text_ = text;
    changed(Property::Text);
  }
  raise(on_click);
}

void ComboBox::set_text(std::wstring text) {
  if (text == text_) return;
  text_ = std::move(text);
  changed(Property::Text);
  raise(on_change);
}

void ComboBox::user_select(int position) {
  user_action([this, position] { set_list_index(position); });
}

void ComboBox::user_edited(std::wstring text) {
  user_action([this, &text] { set_text(std::move(text)); });
}

}  // namespace pendrel::forms
