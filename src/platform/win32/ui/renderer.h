// The Windows side of the control model: real top-level windows with real
// common controls for forms::Form, the user-interface services the windows
// call (message and input boxes, DoEvents, the screen's mouse pointer) and the
// user32 calls of the component classes.
//
// A form gets its window through the peer factory:
//   form.set_peer_factory(ui::make_peer_factory());
// load() then builds the hidden window; show(), hide(), show(1) (a nested
// message loop), zorder(), refresh() and every property change are mirrored;
// user actions come back as the model's user_* calls. All on the thread that
// owns the form (apartment threaded).
//
// Keyboard handling of our windows (Tab in the model's tab order, Enter and Esc
// for the default and cancel buttons, Alt + access key, then IsDialogMessage)
// runs from a WH_GETMESSAGE hook the renderer keeps on each thread that has
// one of our windows, so that it works under any host's message loop: a host
// needs no call of ours in its loop.
//
// Pictures (Image::picture, ImageList images, a custom mouse icon) are ids of
// pictures the renderer draws at run time, see forms/pictures.h; an id it does not
// know still gets an icon of its own.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "component/window_system.h"
#include "forms/form.h"
#include "forms/host_control.h"
#include "forms/user_interface.h"

namespace pendrel::win32::ui {

// Gives a hosted control (Ping1, Kestrow1) its real object when the window is
// built; controls that already have one are left alone.
using HostControlFactory = std::function<void(forms::HostControl&)>;

// Creates a FormPeer per form that builds and mirrors its window.
forms::Form::PeerFactory make_peer_factory(HostControlFactory host_factory = {});

// Screen.MousePointer and the boxes. message_box and input_box are owned by
// the thread's active form (Form::active_form()), or by no window.
class Win32UserInterface : public forms::UserInterface {
 public:
  // `default_title` stands in for an empty title.
  explicit Win32UserInterface(std::wstring default_title = {});

  int message_box(std::wstring_view prompt, int style, std::wstring_view title) override;
  // A modal dialog built at run time: the prompt, an edit box holding the
  // default text, OK and Cancel; "" when cancelled.
  std::wstring input_box(std::wstring_view prompt, std::wstring_view title,
                         std::wstring_view default_text) override;
  void do_events() override;
  // 0 default, 11 the hourglass over all our windows.
  int mouse_pointer() const override;
  void set_mouse_pointer(int pointer) override;

 private:
  std::wstring default_title_;
};

// The real user32 calls.
class Win32WindowSystem : public component::WindowSystem {
 public:
  bool SetWindowPos(std::intptr_t hwnd, std::intptr_t insert_after, int x, int y, int cx, int cy,
                    uint32_t flags) override;
  bool SetForegroundWindow(std::intptr_t hwnd) override;
  std::intptr_t SetActiveWindow(std::intptr_t hwnd) override;
};

}  // namespace pendrel::win32::ui
