// TextBox: single- or multi-line text. Typed characters pass the KeyPress
// event first, which may change or discard them (KeyAscii 0); MaxLength limits
// what the user can type, not what code sets. Change runs whenever the text
// changes.
#pragma once

#include <functional>
#include <string>

#include "forms/control.h"

namespace pendrel::forms {

namespace key_ascii {
inline constexpr int kBackspace = 8;
inline constexpr int kReturn = 13;
}  // namespace key_ascii

class TextBox : public Control {
 public:
  explicit TextBox(const ControlSite& site) : Control(site, ControlKind::TextBox) {}

  const std::wstring& text() const { return text_; }
  void set_text(std::wstring text);

  bool multi_line() const { return multi_line_; }
  void set_multi_line(bool multi_line);
  // 0 none, 1 horizontal, 2 vertical, 3 both.
  int scroll_bars() const { return scroll_bars_; }
  void set_scroll_bars(int scroll_bars);
  // 0 for no limit.
  int max_length() const { return max_length_; }
  void set_max_length(int max_length);

  // KeyPress(KeyAscii): set KeyAscii to 0 to discard the character.
  std::function<void(int& key_ascii)> on_key_press;
  std::function<void()> on_change;

  // The renderer's two halves of typing: the character passes KeyPress
  // (returns the character to insert, 0 for none), then the edit control
  // reports its new text.
  int user_key_press(int key_ascii);
  void user_edited(std::wstring text);
  // Typing one character with the caret at the end: KeyPress, then the edit
  // (backspace removes the last character, Enter breaks the line of a
  // multi-line box, other control characters edit nothing); a character that
  // would pass MaxLength is refused. True when the text changed.
  bool user_typed(wchar_t character);

 private:
  std::wstring text_;
  bool multi_line_ = false;
  int scroll_bars_ = 0;
  int max_length_ = 0;
};

}  // namespace pendrel::forms
