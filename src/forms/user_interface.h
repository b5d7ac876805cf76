// The application-wide user-interface services the windows call: message and
// input boxes, letting pending window messages run, and the screen's mouse
// pointer. The Windows build implements them with real dialogs; native tests
// script them.
#pragma once

#include <string>
#include <string_view>

namespace pendrel::forms {

// Buttons a message box returns (VB's vbOK ... vbNo).
namespace msgbox_result {
inline constexpr int kOK = 1;
inline constexpr int kCancel = 2;
inline constexpr int kAbort = 3;
inline constexpr int kRetry = 4;
inline constexpr int kIgnore = 5;
inline constexpr int kYes = 6;
inline constexpr int kNo = 7;
}  // namespace msgbox_result

// Parts of a message box style number (VB's vbOKOnly ... vbInformation).
namespace msgbox_style {
inline constexpr int kOKOnly = 0;
inline constexpr int kOKCancel = 1;
inline constexpr int kAbortRetryIgnore = 2;
inline constexpr int kYesNoCancel = 3;
inline constexpr int kYesNo = 4;
inline constexpr int kRetryCancel = 5;
inline constexpr int kButtonsMask = 0x0F;
inline constexpr int kCritical = 16;
inline constexpr int kQuestion = 32;
inline constexpr int kExclamation = 48;
inline constexpr int kInformation = 64;
inline constexpr int kIconMask = 0x70;
inline constexpr int kDefaultButton2 = 256;
inline constexpr int kDefaultButton3 = 512;
inline constexpr int kDefaultButtonMask = 0x300;
}  // namespace msgbox_style

// Mouse pointer values (VB's vbDefault, vbHourglass, vbCustom).
namespace mouse_pointer {
inline constexpr int kDefault = 0;
inline constexpr int kHourglass = 11;
inline constexpr int kCustom = 99;
}  // namespace mouse_pointer

// The button that Enter chooses in a box of this style: the first one, or the
// second or third when the style says so.
int default_button(int style);

class UserInterface {
 public:
  virtual ~UserInterface() = default;

  // A modal message box; returns the chosen button (msgbox_result).
  virtual int message_box(std::wstring_view prompt, int style, std::wstring_view title) = 0;
  // A modal input box; returns the entered text, "" when the user cancels.
  virtual std::wstring input_box(std::wstring_view prompt, std::wstring_view title,
                                 std::wstring_view default_text) = 0;
  // Lets pending window messages run (VB's DoEvents).
  virtual void do_events() = 0;
  // Screen.MousePointer: the pointer of the whole application.
  virtual int mouse_pointer() const = 0;
  virtual void set_mouse_pointer(int pointer) = 0;
};

}  // namespace pendrel::forms
