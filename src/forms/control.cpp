#include "forms/control.h"

#include "forms/errors.h"
#include "forms/form.h"
#include "forms/frame.h"

namespace pendrel::forms {

Control::Control(const ControlSite& site, ControlKind kind)
    : form_(site.form), kind_(kind), name_(site.name), index_(site.index) {
  // Host controls and image lists are never seen at run time.
  if (kind == ControlKind::Host || kind == ControlKind::ImageList) visible_ = false;
}

void Control::changed(const Change& change) {
  if (!retired_) form_.notify_control(*this, change);
}

void Control::set_left(float left) { move(left, bounds_.top, bounds_.width, bounds_.height); }
void Control::set_top(float top) { move(bounds_.left, top, bounds_.width, bounds_.height); }
void Control::set_width(float width) { move(bounds_.left, bounds_.top, width, bounds_.height); }
void Control::set_height(float height) { move(bounds_.left, bounds_.top, bounds_.width, height); }

void Control::move(float left, float top, float width, float height) {
  if (width < 0 || height < 0) throw form_failure(form_error::kInvalidPropertyValue);
  const Bounds next{left, top, width, height};
  if (next == bounds_) return;
  bounds_ = next;
  changed(Property::Bounds);
}

void Control::set_enabled(bool enabled) {
  if (enabled == enabled_) return;
  enabled_ = enabled;
  changed(Property::Enabled);
}

void Control::set_visible(bool visible) {
  if (visible == visible_) return;
  visible_ = visible;
  changed(Property::Visible);
}

bool Control::effectively_enabled() const {
  for (const Control* c = this; c; c = c->container_) {
    if (!c->enabled_) return false;
  }
  return true;
}

bool Control::effectively_visible() const {
  for (const Control* c = this; c; c = c->container_) {
    if (!c->visible_) return false;
  }
  return true;
}

void Control::set_tool_tip_text(std::wstring text) {
  if (text == tool_tip_text_) return;
  tool_tip_text_ = std::move(text);
  changed(Property::ToolTipText);
}

int Control::tab_index() const { return form_.tab_index_of(*this); }

void Control::set_tab_index(int tab_index) { form_.move_in_tab_order(*this, tab_index); }

void Control::set_font_underline(bool underline) {
  if (underline == font_underline_) return;
  font_underline_ = underline;
  changed(Property::Font);
}

void Control::set_mouse_pointer(int pointer) {
  if (pointer < 0 || (pointer > 15 && pointer != 99)) throw form_failure(form_error::kInvalidPropertyValue);
  if (pointer == mouse_pointer_) return;
  mouse_pointer_ = pointer;
  changed(Property::MousePointer);
}

void Control::set_mouse_icon(int picture) {
  if (picture == mouse_icon_) return;
  mouse_icon_ = picture;
  changed(Property::MousePointer);
}

void Control::zorder(int position) {
  if (position != 0 && position != 1) throw Error::vb(vb_error::kInvalidProcedureCall);
  if (retired_) return;
  form_.restack(*this, position);
  changed(Property::ZOrder);
}

int Control::z_position() const {
  const auto& stack = form_.stacking(container_);
  for (size_t i = 0; i < stack.size(); ++i) {
    if (stack[i] == this) return static_cast<int>(i);
  }
  return -1;
}

bool Control::windowless() const { return kind_ == ControlKind::Label || kind_ == ControlKind::Image; }

bool Control::can_receive_focus() const {
  switch (kind_) {
    case ControlKind::CheckBox:
    case ControlKind::CommandButton:
    case ControlKind::TextBox:
    case ControlKind::ComboBox:
    case ControlKind::TabStrip:
    case ControlKind::ListView:
    case ControlKind::TreeView: return accepts_input();
    default: return false;
  }
}

bool Control::accepts_input() const {
  return !retired_ && form_.loaded() && effectively_enabled() && effectively_visible();
}

void Control::refresh() {
  flush_updates();
  if (!retired_ && form_.peer()) form_.peer()->refresh(this);
}

void Control::user_action(const std::function<void()>& action) {
  if (accepts_input()) outside_action(action);
}

void Control::outside_action(const std::function<void()>& action) {
  if (!retired_) form_.run_user_action(action);
}

bool Control::held(std::function<void()> replay) { return !retired_ && form_.hold_input(std::move(replay)); }

void Control::user_click() {
  if (held([this] { user_click(); })) return;
  user_action([this] { raise(on_click); });
}

void Control::user_dbl_click() {
  if (held([this] { user_dbl_click(); })) return;
  user_action([this] { raise(on_dbl_click); });
}

void Control::user_mouse_move() {
  user_action([this] { raise(on_mouse_move); });
}

}  // namespace pendrel::forms
