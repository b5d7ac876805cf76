// What every control of a form has: its name and place in a control array,
// its container, position, state, stacking and tab order, and the events a
// user raises on any control.
#pragma once

#include <functional>
#include <string>
#include <utility>

#include "forms/form_peer.h"
#include "forms/geometry.h"

namespace pendrel::forms {

class Form;
class Frame;

enum class ControlKind {
  Label, CheckBox, CommandButton, TextBox, ComboBox, TabStrip, Frame, Image, ImageList,
  ListView, TreeView, Host,
};

// The index of a control that is not part of a control array.
inline constexpr int kNoIndex = -1;

// Keeps the form busy while an event runs: a form unloaded meanwhile keeps its
// old controls and peer alive until the outermost event has returned.
class EventScope {
 public:
  explicit EventScope(Form& form);
  ~EventScope();
  EventScope(const EventScope&) = delete;
  EventScope& operator=(const EventScope&) = delete;

 private:
  Form& form_;
};

// What a form hands to a control it creates; only a form makes one.
class ControlSite {
 private:
  friend class Form;
  friend class Control;
  ControlSite(Form& form, std::wstring name, int index) : form(form), name(std::move(name)), index(index) {}
  Form& form;
  std::wstring name;
  int index;
};

class Control {
 public:
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;
  virtual ~Control() = default;

  ControlKind kind() const { return kind_; }
  const std::wstring& name() const { return name_; }
  int index() const { return index_; }
  Form& form() const { return form_; }
  // The frame the control sits in; null for the form itself.
  Frame* container() const { return container_; }

  // Twips, relative to the container. A negative size raises 380.
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

  bool enabled() const { return enabled_; }
  void set_enabled(bool enabled);
  bool visible() const { return visible_; }
  void set_visible(bool visible);
  // A disabled or hidden frame leaves its controls' own Enabled and Visible
  // alone, as VB does; these say whether the control is usable and seen.
  bool effectively_enabled() const;
  bool effectively_visible() const;

  const std::wstring& tool_tip_text() const { return tool_tip_text_; }
  void set_tool_tip_text(std::wstring text);

  // Tab order is form-wide: setting one control's TabIndex renumbers the
  // others. -1 for kinds without one (image, image list, host controls).
  int tab_index() const;
  void set_tab_index(int tab_index);
  bool tab_stop() const { return tab_stop_; }
  void set_tab_stop(bool tab_stop) { tab_stop_ = tab_stop; }

  bool font_underline() const { return font_underline_; }
  void set_font_underline(bool underline);
  // mouse_pointer values; kCustom shows the picture `mouse_icon`.
  int mouse_pointer() const { return mouse_pointer_; }
  void set_mouse_pointer(int pointer);
  int mouse_icon() const { return mouse_icon_; }
  void set_mouse_icon(int picture);

  // 0 brings the control to the front of its container, 1 sends it to the
  // back; anything else raises 5. Labels and images are drawn on their
  // container and stay behind every windowed control, so they move only among
  // themselves.
  void zorder(int position = 0);
  // The place in the container's stacking, 0 at the front.
  int z_position() const;

  bool windowless() const;
  // A kind that can hold the focus, enabled and visible.
  bool can_receive_focus() const;
  // The access key of the caption, upper-cased; 0 when none.
  virtual wchar_t access_key() const { return 0; }

  // Repaints the control now (after flushing a bulk load in progress).
  void refresh();

  std::function<void()> on_click;
  std::function<void()> on_dbl_click;
  std::function<void()> on_mouse_move;

  // From the renderer. Ignored while the control is disabled or hidden.
  virtual void user_click();
  void user_dbl_click();
  void user_mouse_move();

 protected:
  Control(const ControlSite& site, ControlKind kind);

  void changed(Property property) { changed(Change{property}); }
  void changed(const Change& change);

  template <class... Params, class... Args>
  void raise(const std::function<void(Params...)>& handler, Args&&... args) {
    if (!handler || retired_) return;
    EventScope scope(form_);
    auto run = handler;  // the handler may unload the form, and this control with it
    run(std::forward<Args>(args)...);
  }

  // Runs an action the user took: nothing on a control that cannot take
  // input; a failure goes to the form's error reporter.
  void user_action(const std::function<void()>& action);
  // Runs an action that came from outside the window's code (the user, a
  // hosted control's event): a failure goes to the form's error reporter.
  void outside_action(const std::function<void()>& action);
  // Loaded, enabled and visible, with its frames.
  bool accepts_input() const;
  // True when the form holds the user's commands while it activates
  // (Form::holds_input_during_activate): `replay` then runs afterwards.
  bool held(std::function<void()> replay);

  // Sends what a bulk load of rows or nodes has held back.
  virtual void flush_updates() {}

 private:
  friend class Form;

  Form& form_;
  ControlKind kind_;
  std::wstring name_;
  int index_;
  Frame* container_ = nullptr;
  bool retired_ = false;
  Bounds bounds_;
  bool enabled_ = true;
  bool visible_ = true;
  std::wstring tool_tip_text_;
  bool tab_stop_ = true;
  bool font_underline_ = false;
  int mouse_pointer_ = 0;
  int mouse_icon_ = 0;
};

}  // namespace pendrel::forms
