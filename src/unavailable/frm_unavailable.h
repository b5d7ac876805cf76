// frmUnavailable: edits the logon extension's "System Unavailable" dialog of
// one computer (title, message, time-out, unlocks) and, with its buttons,
// whether logons to it stay permitted. Every value goes through the host's
// Computer object.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "component/component_window.h"
#include "component/environment.h"
#include "forms/form.h"
#include "outside/computer.h"

namespace pendrel::unavailable {

inline constexpr wchar_t kRestrictionsKey[] = L"SOFTWARE\\Vyx\\Gina\\Restrictions";
inline constexpr wchar_t kTimeOutValue[] = L"UnAvailableTimeOut";
inline constexpr int16_t kDefaultTimeOut = 60;
inline constexpr int kMessageMaxLength = 8192;

// The message shown instead of saving when the time-out box does not hold a
// whole number of seconds that fits a 32-bit integer.
inline constexpr wchar_t kBadTimeOutMessage[] =
    L"The time-out must be a whole number of seconds from 0 to 2147483647.\r\n"
    L"Please correct it; nothing has been saved.";

// The time-out box as a number: digits only, at most 10 of them, at most
// 2147483647; nothing otherwise (an empty box included).
std::optional<int32_t> parse_time_out(std::wstring_view text);

class FrmUnavailable : public component::ComponentWindow {
 public:
  explicit FrmUnavailable(component::Environment& env);

  forms::Form& form() override { return form_; }

  // True only after the user confirmed with OK since the last activation.
  bool OK() const { return ok_; }
  void set_OK(bool ok) { ok_ = ok; }

 private:
  void design(forms::Form& f);
  void Form_Load();
  void Form_Activate();
  void txtData_KeyPress(int index, int& key_ascii);
  void OKButton_Click();
  void CancelButton_Click();

  outside::Computer computer() const { return outside::Computer(Computer()); }

  component::Environment& env_;
  bool ok_ = false;
  forms::Form form_;
};

}  // namespace pendrel::unavailable
