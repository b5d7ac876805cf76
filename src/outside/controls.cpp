#include "outside/controls.h"

#include <utility>

#include "core/error.h"

namespace pendrel::outside {
namespace {

DispatchPtr require_control(DispatchPtr control) {
  if (!control) throw Error::vb(vb_error::kObjectVariableNotSet);
  return control;
}

}  // namespace

PingControl::PingControl(DispatchPtr control) : control_(require_control(std::move(control))) {}

void PingControl::set_ping_setting(int16_t setting) const {
  control_->let(ping_id::kPingSetting, setting);
}
int32_t PingControl::ping_count() const { return control_->get(ping_id::kPingCount).to_long(); }
void PingControl::set_ping_count(int16_t count) const { control_->let(ping_id::kPingCount, count); }
std::wstring PingControl::ping_host() const { return control_->get(ping_id::kPingHost).to_text(); }
void PingControl::set_ping_host(const std::wstring& host) const {
  control_->let(ping_id::kPingHost, host);
}
std::wstring PingControl::ping_address() const {
  return control_->get(ping_id::kPingAddress).to_text();
}
std::wstring PingControl::ping_full_name() const {
  return control_->get(ping_id::kPingFullName).to_text();
}
void PingControl::start_ping() const { control_->call(ping_id::kStartPing); }
std::wstring PingControl::resolve_host(const std::wstring& host) const {
  return control_->call(ping_id::kResolveHost, {host}).to_text();
}

KestrowControl::KestrowControl(DispatchPtr control)
    : control_(require_control(std::move(control))) {}

void KestrowControl::set_options(int32_t options) const {
  control_->let(kestrow_id::kOptions, options);
}
void KestrowControl::set_title(const std::wstring& title) const {
  control_->let(kestrow_id::kTitle, title);
}
void KestrowControl::set_owner_window(int32_t window) const {
  control_->let(kestrow_id::kOwnerWindow, window);
}
std::wstring KestrowControl::selection() const {
  return control_->get(kestrow_id::kSelection).to_text();
}
void KestrowControl::set_target_computer(const std::wstring& computer) const {
  control_->let(kestrow_id::kTargetComputer, computer);
}
int32_t KestrowControl::show_browse() const {
  return control_->call(kestrow_id::kShowBrowse).to_long();
}

}  // namespace pendrel::outside
