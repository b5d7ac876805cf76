// A control of another maker that a form carries invisibly (the ping control
// Ping1, the account browser Kestrow1): the window reaches the real object
// through its dispatch interface, and the object's events come back through
// fire_event.
#pragma once

#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "core/dispatch.h"
#include "forms/control.h"

namespace pendrel::forms {

class HostControl : public Control {
 public:
  explicit HostControl(const ControlSite& site) : Control(site, ControlKind::Host) {}

  // Tells the renderer which object to create ("Ping", "Kestrow").
  const std::wstring& class_name() const { return class_name_; }
  void set_class_name(std::wstring name) { class_name_ = std::move(name); }

  // The real control; null until the renderer (or a test) provides it.
  const DispatchPtr& object() const { return object_; }
  void set_object(DispatchPtr object) { object_ = std::move(object); }

  using EventSink = std::function<void(std::wstring_view event, std::span<Variant> args)>;
  EventSink on_event;

  // An event of the real control (ReplyReceived, StatusMessage ...). Runs on
  // the window's thread; a failure goes to the form's error reporter.
  void fire_event(std::wstring_view event, std::span<Variant> args);
  // Where the real control sends its events: fire_event of this control while
  // it exists; afterwards they are dropped, as they are once its form unloaded.
  EventSink event_sink();

 private:
  std::wstring class_name_;
  DispatchPtr object_;
  // Tells the sinks whether this control still exists.
  std::shared_ptr<HostControl*> self_ = std::make_shared<HostControl*>(this);
};

}  // namespace pendrel::forms
