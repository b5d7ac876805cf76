// What a window needs from the world it runs in, handed to each window when the
// component class creates it: user32 calls on handles, message and input boxes
// with DoEvents and the mouse pointer, and how forms get their real windows.
// It also holds what the component objects of its thread share: their windows.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <typeindex>

#include "forms/form.h"
#include "forms/user_interface.h"

namespace pendrel::forms {
class HostControl;
}

namespace pendrel::component {

class ComponentWindow;
class WindowSystem;
struct Services;

// The one instance of each window type that the component objects of a thread
// share, and how many of those objects are alive (see WindowClass).
struct ClassWindows {
  ClassWindows();
  ClassWindows(const ClassWindows&) = delete;
  ClassWindows& operator=(const ClassWindows&) = delete;
  ~ClassWindows();

  int objects = 0;
  std::map<std::type_index, std::unique_ptr<ComponentWindow>> windows;
};

struct Environment {
  WindowSystem& window_system;
  forms::UserInterface& ui;
  // Empty in native tests: forms then live without a window.
  forms::Form::PeerFactory peer_factory;
  // What the details window needs beyond the user interface; null where a
  // test gives no such window its services.
  Services* services = nullptr;
  // Gives a hosted control (Ping1) its object where no renderer does: in the
  // hidden window of a report. Empty where nobody provides them.
  std::function<void(forms::HostControl&)> host_controls{};
  // Ends with the environment, and the windows with it.
  ClassWindows class_windows{};
};

}  // namespace pendrel::component
