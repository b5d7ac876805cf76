// The three component classes over their window types. The product's classes
// are these templates over the real windows (properties.h,
// logon_properties.h, unavailable_properties.h); tests put stand-in windows
// of the same shape behind them.
#pragma once

#include <string>
#include <utility>

#include "component/window_class.h"
#include "database/management_database.h"

namespace pendrel::component {

// LogonProperties: the members every class has.
template <class Window>
class BasicLogonProperties : public WindowClassOf<Window> {
 public:
  explicit BasicLogonProperties(Environment& environment) : WindowClassOf<Window>(environment) {}
};

// UnavailableProperties: adds the window's OK (true once the user confirmed).
template <class Window>
class BasicUnavailableProperties : public WindowClassOf<Window> {
 public:
  explicit BasicUnavailableProperties(Environment& environment)
      : WindowClassOf<Window>(environment) {}

  bool OK() { return this->window().OK(); }
  void set_OK(bool ok) { this->window().set_OK(ok); }
};

// Properties: the details window with its IPC$ account, and the library's
// database connection string.
template <class Window>
class BasicProperties : public WindowClassOf<Window> {
 public:
  explicit BasicProperties(Environment& environment) : WindowClassOf<Window>(environment) {}

  // The details window has no OK: it reads false, a write is ignored.
  bool OK() { return false; }
  void set_OK(bool) {}

  std::wstring AdminAcct() { return this->window().AdminAcct(); }
  void set_AdminAcct(std::wstring account) { this->window().set_AdminAcct(std::move(account)); }
  std::wstring Password() { return this->window().Password(); }
  void set_Password(std::wstring password) { this->window().set_Password(std::move(password)); }

  // The details as the window would show them, in "json" or "csv".
  std::wstring Report(const std::wstring& format, bool with_apps) { return this->window().Report(format, with_apps); }

  // ConnectString; the window is not touched.
  std::wstring Database() { return database::connect_string(); }
  void set_Database(std::wstring connect) { database::set_connect_string(std::move(connect)); }
};

}  // namespace pendrel::component
