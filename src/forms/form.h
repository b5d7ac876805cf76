// API OVERVIEW (the portable control model; no <windows.h>)
//
// A window is a Form plus a design function that builds its controls. The
// model is the single source of truth: window logic reads and writes it, a
// renderer mirrors it into real windows, and native tests drive it directly.
//
// What a window's code does
//   - Construct `Form form(L"frmUnavailable", [this](Form& f) { design(f); })`.
//     The design function sets the form's designed properties and adds the
//     controls in creation order, `f.add<CheckBox>(L"chkActive", 1)`,
//     `f.add_to<Label>(frame, L"Label1", 8)`, and wires their events
//     (`box.on_click = [this] { chkActive_Click(1); }`). It runs again on
//     every load, so each load starts from the designed state; window-level
//     values live in the window object, not in the form.
//   - Set the form's own events once: on_load, on_activate, on_query_unload,
//     on_unload, on_mouse_move.
//   - Reach controls by name and array index: `form.get<Label>(L"Label2", 9)`
//     (loads the form like any VB reference; 340 when there is no such
//     element), `find` (null when absent), `upper_bound(L"fraContainer")`.
//   - Life: load(), show(0 or 1), hide(), unload(), zorder(0 or 1), refresh();
//     setting a form property or calling show/hide/zorder/refresh loads an
//     unloaded form first, as VB does. show(1) returns when the form has been
//     hidden or unloaded (the renderer runs the nested loop). An owner that
//     lets go of a form inside one of its events destroys it through
//     after_events, never while the event runs.
//   - Controls: check_box.set_value(1) runs its Click; button.set_value(true)
//     clicks; list and tree keys are unique (35602); list_view sort state;
//     control.zorder(0); begin_update() around bulk loads of rows or nodes.
//   - Message and input boxes, DoEvents and Screen.MousePointer go through
//     UserInterface (user_interface.h), passed to the window by its owner.
//   - set_error_reporter: how a failure inside an event the user raised is
//     shown (a message box with the component's title); events raised by code
//     let failures reach the code that caused them.
//
// What a renderer does (src/platform/win32)
//   - set_peer_factory on the form: load() then asks it for a FormPeer and
//     calls create(), where the renderer builds the hidden window from the
//     model (controls(), stacking(container) front to back, tab_order(),
//     bounds in twips: twips_to_pixels at the window's DPI). unload() calls
//     destroy().
//   - FormPeer receives show/hide/run_modal/zorder/refresh and one
//     notification per changed property (form_changed, control_changed);
//     rows and nodes announce themselves one by one, or once per bulk load
//     with no item (reload the collection). It applies a change only when the
//     real control shows something else, and does not report back the changes
//     it makes itself.
//   - User actions come back as model calls: Form::user_activated,
//     user_close, user_moved, user_window_state, user_mouse_move,
//     user_access_key, user_enter_key, user_escape_key; Control::user_click,
//     user_dbl_click, user_mouse_move; CheckBox::user_set_value;
//     TextBox::user_key_press then user_edited; ComboBox::user_select;
//     TabStrip::user_select; ListView::user_column_click, user_select;
//     TreeView::user_select, user_expand; HostControl::fire_event. These
//     ignore controls that are disabled or hidden and hand failures to the
//     error reporter. After a call, check loaded(): the form may be gone.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/error.h"
#include "forms/control.h"
#include "forms/errors.h"
#include "forms/form_peer.h"
#include "forms/geometry.h"

namespace pendrel::forms {

class CommandButton;
class Frame;

// Why a form unloads (VB's vbFormControlMenu, vbFormCode).
namespace unload_mode {
inline constexpr int kFormControlMenu = 0;
inline constexpr int kFormCode = 1;
}  // namespace unload_mode

namespace border_style {
inline constexpr int kNone = 0;
inline constexpr int kFixedSingle = 1;
inline constexpr int kSizable = 2;
inline constexpr int kFixedDialog = 3;
}  // namespace border_style

// A form's Font: the face and the size in points that every caption of its
// window is drawn in, as a VB form's Font property. The twip layouts of our
// designs were made for VB's own form font, MS Sans Serif 8; a desktop's
// message font (9-point Segoe UI on Windows 10 and 11, and even 8-point
// Tahoma) is wider and clips their captions, so the windows do not take it.
// MS Sans Serif is on every Windows and comes with Wine's own fonts (Debian's
// fonts-wine: sserife.fon).
struct Font {
  std::wstring name = L"MS Sans Serif";
  float size = 8;
};

namespace start_up_position {
inline constexpr int kManual = 0;
inline constexpr int kCenterOwner = 1;
inline constexpr int kCenterScreen = 2;
inline constexpr int kWindowsDefault = 3;
}  // namespace start_up_position

class Form {
 public:
  using Design = std::function<void(Form&)>;
  using PeerFactory = std::function<std::unique_ptr<FormPeer>(Form&)>;
  using ErrorReporter = std::function<void(const Error&)>;

  Form(std::wstring name, Design design);
  // Destroys the window without raising any event.
  ~Form();
  Form(const Form&) = delete;
  Form& operator=(const Form&) = delete;

  const std::wstring& name() const { return name_; }

  void set_peer_factory(PeerFactory factory) { peer_factory_ = std::move(factory); }
  FormPeer* peer() const { return peer_.get(); }
  void set_error_reporter(ErrorReporter reporter) { error_reporter_ = std::move(reporter); }
  // Shows a failure through the error reporter; false when there is none.
  bool report_error(const Error& error);

  // Building (from the design function). A name and index already on the
  // form raise 5.
  template <class T>
  T& add(std::wstring name, int index = kNoIndex) {
    return add_in<T>(nullptr, std::move(name), index);
  }
  template <class T>
  T& add_to(Frame& container, std::wstring name, int index = kNoIndex) {
    return add_in<T>(&container, std::move(name), index);
  }

  // Finding. Names compare exactly.
  const std::vector<Control*>& controls() const { return controls_; }
  Control* find(std::wstring_view name, int index = kNoIndex) const;
  template <class T>
  T& get(std::wstring_view name, int index = kNoIndex) {
    load();
    T* typed = dynamic_cast<T*>(find(name, index));
    if (!typed) {
      throw find(name, index) ? Error::vb(vb_error::kTypeMismatch)
                              : form_failure(form_error::kControlArrayElementMissing);
    }
    return *typed;
  }
  // The highest index of a control array; -1 when there is none.
  int upper_bound(std::wstring_view name) const;
  // The controls of a container (null: the form) from front to back.
  const std::vector<Control*>& stacking(const Frame* container) const;
  // Every control that has a TabIndex, in that order.
  const std::vector<Control*>& tab_order() const { return tab_order_; }
  // The next control after `from` (null: from the start) that can take the
  // focus, wrapping around; with `tab_key` only those with TabStop.
  Control* next_in_tab_order(const Control* from, bool tab_key) const;
  CommandButton* default_button() const;
  CommandButton* cancel_button() const;

  // Properties; setters load the form first.
  const std::wstring& caption() const { return caption_; }
  void set_caption(std::wstring caption);
  int border_style() const { return border_style_; }
  void set_border_style(int style);
  // The designed size of the client area, twips.
  float client_width() const { return client_width_; }
  float client_height() const { return client_height_; }
  void set_client_size(float width, float height);
  int start_up_position() const { return start_up_position_; }
  void set_start_up_position(int position);
  // Whether the user's commands (button and check box clicks, Enter and Esc,
  // double clicks, the close box) that arrive while Activate runs wait until
  // it has returned, then run in the order they came. For a window whose
  // Activate reads what OK writes back: a DoEvents there lets the window
  // repaint, but OK must not write values not yet read. When Activate fails,
  // the waiting commands are dropped.
  bool holds_input_during_activate() const { return holds_input_; }
  void set_holds_input_during_activate(bool hold) { holds_input_ = hold; }
  // The designed font; the same for every form of ours.
  const Font& font() const { return font_; }
  // The outer window, twips (the renderer reports the real size).
  const Bounds& bounds() const { return bounds_; }
  float left() const { return bounds_.left; }
  float top() const { return bounds_.top; }
  float width() const { return bounds_.width; }
  float height() const { return bounds_.height; }
  void set_left(float left);
  void set_top(float top);
  void set_width(float width);
  void set_height(float height);
  void move(float left, float top, float width, float height);
  // 0 normal, 1 minimised, 2 maximised; anything else raises 380.
  int window_state() const { return window_state_; }
  void set_window_state(int state);
  bool visible() const { return visible_; }
  // True shows the form modeless, false hides it.
  void set_visible(bool visible);
  // The window handle; 0 without a window.
  std::intptr_t hwnd() const;

  std::function<void()> on_load;
  std::function<void()> on_activate;
  std::function<void()> on_mouse_move;
  std::function<void(int& cancel, int unload_mode)> on_query_unload;
  std::function<void(int& cancel)> on_unload;

  bool loaded() const { return loaded_; }
  // True while an event of the form runs, or a call that may raise one.
  bool in_event() const { return busy_ > 0; }
  // Runs `action` once the outermost event of the form has returned, in
  // place of any action given before; the action may destroy the form. For
  // an owner that lets go of the form while one of its events still runs.
  void after_events(std::function<void()> action) { after_events_ = std::move(action); }
  // Builds the designed controls, creates the window (hidden) and runs Load.
  // Nothing when loaded.
  void load();
  // 0 modeless, 1 modal (returns when the form is hidden or unloaded; without
  // a peer at once); 400 when showing a visible form modally, 5 for another
  // mode. Activate runs once the form is visible, unless it already is the
  // active form; after a modal show the form that was active before is
  // activated again.
  void show(int modal = 0);
  void hide();
  // QueryUnload, then Unload; either may cancel (false). Then the window goes
  // and the form returns to its unloaded state. Nothing when not loaded.
  bool unload(int unload_mode = unload_mode::kFormCode);
  // 0 front, 1 back; 5 otherwise.
  void zorder(int position = 0);
  // Sends what bulk loads hold back, then repaints.
  void refresh();

  // The thread's active form (VB's Screen.ActiveForm); null when none.
  static Form* active_form();

  // From the renderer. Activation raises Activate only when the form was not
  // the thread's active form: like VB's, it tells the windows of this
  // component apart, not this application from others.
  void user_activated();
  bool user_close();
  void user_moved(const Bounds& bounds);
  void user_window_state(int state);
  void user_mouse_move();
  // Alt + key: acts on the control with that access key, searching in tab
  // order after the focused one: a label or frame passes the focus to the
  // next control that can take it, a button clicks, a check box toggles, a
  // tab strip selects the tab. Returns the control to focus, or null.
  Control* user_access_key(wchar_t key, const Control* focused);
  // Enter and Esc click the default and the cancel button; false when none.
  bool user_enter_key();
  bool user_escape_key();

 private:
  friend class Control;
  friend class EventScope;

  template <class T>
  T& add_in(Frame* container, std::wstring name, int index) {
    auto control = std::make_unique<T>(ControlSite(*this, std::move(name), index));
    T& added = *control;
    adopt(std::move(control), container);
    return added;
  }
  void adopt(std::unique_ptr<Control> control, Frame* container);

  template <class... Params, class... Args>
  void raise(const std::function<void(Params...)>& handler, Args&&... args) {
    if (!handler) return;
    EventScope scope(*this);
    auto run = handler;
    run(std::forward<Args>(args)...);
  }

  void activate();
  // Keeps a user's command for later while Activate holds input (true), to
  // run again through the same entry point.
  bool hold_input(std::function<void()> replay);
  void run_held_input();
  void reset_design_state();
  void notify_form(Property property);
  void notify_control(Control& control, const Change& change);
  void run_user_action(const std::function<void()>& action);
  void end_event();
  bool click_button(CommandButton* button);

  // Control bookkeeping.
  std::vector<Control*>& stack_of(const Frame* container) { return stacks_[container]; }
  void restack(Control& control, int position);
  int tab_index_of(const Control& control) const;
  void move_in_tab_order(Control& control, int tab_index);

  std::wstring name_;
  Design design_;
  PeerFactory peer_factory_;
  ErrorReporter error_reporter_;
  std::unique_ptr<FormPeer> peer_;

  bool loaded_ = false;
  bool unloading_ = false;
  int input_held_ = 0;
  std::vector<std::function<void()>> held_input_;
  int busy_ = 0;
  std::vector<std::unique_ptr<Control>> owned_;
  std::vector<Control*> controls_;
  std::map<const Frame*, std::vector<Control*>> stacks_;
  std::vector<Control*> tab_order_;
  // What an unload inside a running event leaves behind until it returns.
  std::vector<std::unique_ptr<Control>> retired_controls_;
  std::vector<std::unique_ptr<FormPeer>> retired_peers_;
  std::function<void()> after_events_;

  std::wstring caption_;
  int border_style_ = border_style::kSizable;
  float client_width_ = 0;
  float client_height_ = 0;
  int start_up_position_ = start_up_position::kWindowsDefault;
  const Font font_;
  bool holds_input_ = false;
  Bounds bounds_;
  int window_state_ = 0;
  bool visible_ = false;
};

}  // namespace pendrel::forms
