#include "forms/text_box.h"

#include "forms/errors.h"

namespace pendrel::forms {

void TextBox::set_text(std::wstring text) {
  if (text == text_) return;
  text_ = std::move(text);
  changed(Property::Text);
  raise(on_change);
}

void TextBox::set_multi_line(bool multi_line) {
  if (multi_line == multi_line_) return;
  multi_line_ = multi_line;
  changed(Property::Style);
}

void TextBox::set_scroll_bars(int scroll_bars) {
  if (scroll_bars < 0 || scroll_bars > 3) throw form_failure(form_error::kInvalidPropertyValue);
  if (scroll_bars == scroll_bars_) return;
  scroll_bars_ = scroll_bars;
  changed(Property::Style);
}

void TextBox::set_max_length(int max_length) {
  if (max_length < 0) throw form_failure(form_error::kInvalidPropertyValue);
  if (max_length == max_length_) return;
  max_length_ = max_length;
  changed(Property::MaxLength);
}

int TextBox::user_key_press(int key) {
  user_action([this, &key] { raise(on_key_press, key); });
  return accepts_input() ? key : 0;
}

void TextBox::user_edited(std::wstring text) {
  user_action([this, &text] { set_text(std::move(text)); });
}

bool TextBox::user_typed(wchar_t character) {
  const int key = user_key_press(character);
  if (key == 0) return false;
  std::wstring next = text_;
  if (key == key_ascii::kBackspace) {
    if (next.empty()) return false;
    const bool line_break = next.size() >= 2 && next.compare(next.size() - 2, 2, L"\r\n") == 0;
    next.resize(next.size() - (line_break ? 2 : 1));
  } else if (key == key_ascii::kReturn) {
    if (!multi_line_) return false;
    next += L"\r\n";
  } else if (key < 32) {
    return false;
  } else {
    next += static_cast<wchar_t>(key);
  }
  if (max_length_ > 0 && next.size() > text_.size() && next.size() > static_cast<size_t>(max_length_)) {
    return false;
  }
  if (next == text_) return false;
  user_edited(std::move(next));
  return true;
}

}  // namespace pendrel::forms
