// The two closed controls of the windows, reached by dispatch id only: the
// ping control of the details window and the Kestrow account-browse control
// of the logon window.
#pragma once

#include <cstdint>
#include <string>

#include "core/dispatch.h"

namespace pendrel::outside {

namespace ping_id {
inline constexpr DispId kPingSetting = 2;
inline constexpr DispId kPingCount = 5;
inline constexpr DispId kPingHost = 6;
inline constexpr DispId kPingAddress = 7;
inline constexpr DispId kPingFullName = 8;
inline constexpr DispId kStartPing = 11;
inline constexpr DispId kResolveHost = 12;
}  // namespace ping_id

namespace kestrow_id {
inline constexpr DispId kOptions = 1;
inline constexpr DispId kTitle = 2;
inline constexpr DispId kOwnerWindow = 3;
inline constexpr DispId kSelection = 4;
inline constexpr DispId kTargetComputer = 5;
inline constexpr DispId kShowBrowse = 8;
}  // namespace kestrow_id

// The control raises ReplyReceived and StatusMessage while StartPing runs.
class PingControl {
 public:
  explicit PingControl(DispatchPtr control);

  // The numbers are written as VB writes a small literal, 16-bit.
  void set_ping_setting(int16_t setting) const;
  int32_t ping_count() const;
  void set_ping_count(int16_t count) const;
  std::wstring ping_host() const;
  void set_ping_host(const std::wstring& host) const;
  std::wstring ping_address() const;
  std::wstring ping_full_name() const;
  void start_ping() const;
  std::wstring resolve_host(const std::wstring& host) const;

 private:
  DispatchPtr control_;
};

class KestrowControl {
 public:
  explicit KestrowControl(DispatchPtr control);

  void set_options(int32_t options) const;
  void set_title(const std::wstring& title) const;
  void set_owner_window(int32_t window) const;
  // The chosen accounts, joined by ";".
  std::wstring selection() const;
  // "\\" followed by the computer name.
  void set_target_computer(const std::wstring& computer) const;
  // Shows the modal dialog; 0 when the user confirmed a selection.
  int32_t show_browse() const;

 private:
  DispatchPtr control_;
};

}  // namespace pendrel::outside
