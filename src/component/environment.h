// What a window needs from the world it runs in, handed to each window when the
// component class creates it: user32 calls on handles, message and input boxes
// with DoEvents and the mouse pointer, and how forms get their real windows.
#pragma once

#include "forms/form.h"
#include "forms/user_interface.h"

namespace pendrel::component {

class WindowSystem;

struct Environment {
  WindowSystem& window_system;
  forms::UserInterface& ui;
  // Empty in native tests: forms then live without a window.
  forms::Form::PeerFactory peer_factory;
};

}  // namespace pendrel::component
