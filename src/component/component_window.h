// What every window behind a component class offers the class: its form and
// the window-level values the classes forward (OnTop, DomainObject, Computer).
// frmComputerDetails, frmLogonProperty and frmUnavailable derive from it.
#pragma once

#include "core/variant.h"
#include "forms/form.h"

namespace pendrel::component {

class WindowSystem;

class ComponentWindow {
 public:
  virtual ~ComponentWindow() = default;

  virtual forms::Form& form() = 0;

  // OnTop Let calls SetWindowOnTop with the window and then stores the flag;
  // Get returns the stored flag, not the real window style.
  bool OnTop() const { return on_top_; }
  void set_OnTop(bool on_top);

  const DispatchPtr& DomainObject() const { return domain_object_; }
  // Storing only; no window reacts to its DomainObject being set.
  void set_DomainObject(DispatchPtr domain_object) { domain_object_ = std::move(domain_object); }

  const DispatchPtr& Computer() const { return computer_; }
  // Stores the reference, then lets the window react (the details and logon
  // windows do).
  void set_Computer(DispatchPtr computer);

 protected:
  explicit ComponentWindow(WindowSystem& window_system) : window_system_(window_system) {}
  virtual void computer_set() {}

 private:
  WindowSystem& window_system_;
  bool on_top_ = false;
  DispatchPtr domain_object_;
  DispatchPtr computer_;
};

// SetWindowPos on the window's handle: HWND_TOPMOST or HWND_NOTOPMOST, no
// move, no size, no activation (flags 0x13); the result is ignored.
void SetWindowOnTop(WindowSystem& window_system, forms::Form& window, bool on_top);

}  // namespace pendrel::component
