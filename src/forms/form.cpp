#include "forms/form.h"

#include <algorithm>
#include <utility>

#include "forms/check_box.h"
#include "forms/command_button.h"
#include "forms/frame.h"
#include "forms/tab_strip.h"
#include "forms/text_rules.h"

namespace pendrel::forms {

namespace {

// The windows of a thread and the one the user works in (apartment threaded:
// each thread has its own).
thread_local std::vector<Form*> live_forms;
thread_local Form* active = nullptr;

bool is_live(const Form* form) {
  return form && std::find(live_forms.begin(), live_forms.end(), form) != live_forms.end();
}

void check_size(float size) {
  if (size < 0) throw form_failure(form_error::kInvalidPropertyValue);
}

void check_zorder(int position) {
  if (position != 0 && position != 1) throw Error::vb(vb_error::kInvalidProcedureCall);
}

}  // namespace

EventScope::EventScope(Form& form) : form_(form) { ++form_.busy_; }

EventScope::~EventScope() { form_.end_event(); }

Form::Form(std::wstring name, Design design) : name_(std::move(name)), design_(std::move(design)) {
  live_forms.push_back(this);
}

Form::~Form() {
  std::erase(live_forms, this);
  if (active == this) active = nullptr;
  if (peer_) peer_->destroy();
}

Form* Form::active_form() { return active; }

// Controls

void Form::adopt(std::unique_ptr<Control> control, Frame* container) {
  if (find(control->name(), control->index()) ||
      (container && std::find(controls_.begin(), controls_.end(), container) == controls_.end())) {
    throw Error::vb(vb_error::kInvalidProcedureCall);
  }
  Control& added = *control;
  added.container_ = container;
  owned_.push_back(std::move(control));
  controls_.push_back(&added);
  // A new control lies in front of the ones of its layer made before it.
  auto& stack = stack_of(container);
  const auto front = added.windowless()
                         ? std::find_if(stack.begin(), stack.end(), [](Control* c) { return c->windowless(); })
                         : stack.begin();
  stack.insert(front, &added);
  const ControlKind kind = added.kind();
  if (kind != ControlKind::Image && kind != ControlKind::ImageList && kind != ControlKind::Host) {
    tab_order_.push_back(&added);
  }
}

Control* Form::find(std::wstring_view name, int index) const {
  for (Control* c : controls_) {
    if (c->index() == index && c->name() == name) return c;
  }
  return nullptr;
}

int Form::upper_bound(std::wstring_view name) const {
  int highest = -1;
  for (const Control* c : controls_) {
    if (c->name() == name) highest = std::max(highest, c->index());
  }
  return highest;
}

const std::vector<Control*>& Form::stacking(const Frame* container) const {
  static const std::vector<Control*> kNone;
  const auto it = stacks_.find(container);
  return it == stacks_.end() ? kNone : it->second;
}

void Form::restack(Control& control, int position) {
  auto& stack = stack_of(control.container());
  std::erase(stack, &control);
  const auto first_windowless =
      std::find_if(stack.begin(), stack.end(), [](Control* c) { return c->windowless(); });
  if (control.windowless()) {
    stack.insert(position == 0 ? first_windowless : stack.end(), &control);
  } else {
    stack.insert(position == 0 ? stack.begin() : first_windowless, &control);
  }
}

int Form::tab_index_of(const Control& control) const {
  const auto it = std::find(tab_order_.begin(), tab_order_.end(), &control);
  return it == tab_order_.end() ? -1 : static_cast<int>(it - tab_order_.begin());
}

void Form::move_in_tab_order(Control& control, int tab_index) {
  if (tab_index < 0) throw form_failure(form_error::kInvalidPropertyValue);
  if (tab_index_of(control) < 0) throw Error::vb(vb_error::kObjectDoesNotSupportMember);
  std::erase(tab_order_, &control);
  const size_t at = std::min(static_cast<size_t>(tab_index), tab_order_.size());
  tab_order_.insert(tab_order_.begin() + static_cast<std::ptrdiff_t>(at), &control);
}

Control* Form::next_in_tab_order(const Control* from, bool tab_key) const {
  if (tab_order_.empty()) return nullptr;
  const int at = from ? tab_index_of(*from) : -1;
  const size_t start = static_cast<size_t>(at + 1);
  for (size_t n = 0; n < tab_order_.size(); ++n) {
    Control* c = tab_order_[(start + n) % tab_order_.size()];
    if (c != from && c->can_receive_focus() && (!tab_key || c->tab_stop())) return c;
  }
  return nullptr;
}

CommandButton* Form::default_button() const {
  for (Control* c : controls_) {
    if (c->kind() == ControlKind::CommandButton && static_cast<CommandButton*>(c)->is_default()) {
      return static_cast<CommandButton*>(c);
    }
  }
  return nullptr;
}

CommandButton* Form::cancel_button() const {
  for (Control* c : controls_) {
    if (c->kind() == ControlKind::CommandButton && static_cast<CommandButton*>(c)->cancel()) {
      return static_cast<CommandButton*>(c);
    }
  }
  return nullptr;
}

// Properties

void Form::set_caption(std::wstring caption) {
  load();
  if (caption == caption_) return;
  caption_ = std::move(caption);
  notify_form(Property::Caption);
}

void Form::set_border_style(int style) {
  if (style < border_style::kNone || style > 5) throw form_failure(form_error::kInvalidPropertyValue);
  load();
  if (style == border_style_) return;
  border_style_ = style;
  notify_form(Property::Style);
}

void Form::set_client_size(float width, float height) {
  check_size(width);
  check_size(height);
  load();
  client_width_ = width;
  client_height_ = height;
  notify_form(Property::Bounds);
}

void Form::set_start_up_position(int position) {
  if (position < start_up_position::kManual || position > start_up_position::kWindowsDefault) {
    throw form_failure(form_error::kInvalidPropertyValue);
  }
  load();
  start_up_position_ = position;
}

void Form::set_left(float left) { move(left, bounds_.top, bounds_.width, bounds_.height); }
void Form::set_top(float top) { move(bounds_.left, top, bounds_.width, bounds_.height); }
void Form::set_width(float width) { move(bounds_.left, bounds_.top, width, bounds_.height); }
void Form::set_height(float height) { move(bounds_.left, bounds_.top, bounds_.width, height); }

void Form::move(float left, float top, float width, float height) {
  check_size(width);
  check_size(height);
  load();
  const Bounds next{left, top, width, height};
  if (next == bounds_) return;
  bounds_ = next;
  notify_form(Property::Bounds);
}

void Form::set_window_state(int state) {
  if (state < 0 || state > 2) throw form_failure(form_error::kInvalidPropertyValue);
  load();
  if (state == window_state_) return;
  window_state_ = state;
  notify_form(Property::WindowState);
}

void Form::set_visible(bool visible) {
  if (visible) {
    show(0);
  } else {
    hide();
  }
}

std::intptr_t Form::hwnd() const { return peer_ ? peer_->hwnd() : 0; }

// Life

void Form::reset_design_state() {
  caption_.clear();
  border_style_ = border_style::kSizable;
  client_width_ = client_height_ = 0;
  start_up_position_ = start_up_position::kWindowsDefault;
  holds_input_ = false;
  bounds_ = Bounds{};
  window_state_ = 0;
  visible_ = false;
}

void Form::load() {
  if (loaded_) return;
  EventScope scope(*this);
  loaded_ = true;
  reset_design_state();
  if (design_) design_(*this);
  if (peer_factory_) {
    peer_ = peer_factory_(*this);
    if (peer_) peer_->create();
  }
  raise(on_load);
}

void Form::activate() {
  if (!loaded_ || !visible_ || active == this) return;
  active = this;
  if (!holds_input_) {
    raise(on_activate);
    return;
  }
  ++input_held_;
  try {
    raise(on_activate);
  } catch (...) {
    if (--input_held_ == 0) held_input_.clear();
    throw;
  }
  if (--input_held_ == 0) run_held_input();
}

bool Form::hold_input(std::function<void()> replay) {
  if (input_held_ == 0) return false;
  held_input_.push_back(std::move(replay));
  return true;
}

void Form::run_held_input() {
  EventScope scope(*this);
  std::vector<std::function<void()>> held;
  held.swap(held_input_);
  for (const auto& replay : held) {
    // A command before this one may have closed the window.
    if (!loaded_) break;
    replay();
  }
}

void Form::show(int modal) {
  if (modal != 0 && modal != 1) throw Error::vb(vb_error::kInvalidProcedureCall);
  load();
  if (modal == 1 && visible_) throw form_failure(form_error::kFormAlreadyDisplayed);
  EventScope scope(*this);
  Form* previous = active;
  if (!visible_) {
    visible_ = true;
    if (peer_) peer_->show();
  }
  activate();
  if (modal == 0) return;
  if (FormPeer* peer = peer_.get(); peer && loaded_ && visible_) peer->run_modal();
  if (!(loaded_ && visible_) && previous != this && is_live(previous)) previous->activate();
}

void Form::hide() {
  load();
  if (!visible_) return;
  visible_ = false;
  if (active == this) active = nullptr;
  if (peer_) peer_->hide();
}

bool Form::unload(int mode) {
  if (!loaded_ || unloading_) return !loaded_;
  EventScope scope(*this);
  unloading_ = true;
  int cancel = 0;
  try {
    raise(on_query_unload, cancel, mode);
    if (cancel == 0) raise(on_unload, cancel);
  } catch (...) {
    unloading_ = false;
    throw;
  }
  if (cancel != 0) {
    unloading_ = false;
    return false;
  }
  visible_ = false;
  if (active == this) active = nullptr;
  if (peer_) {
    peer_->destroy();
    retired_peers_.push_back(std::move(peer_));
  }
  for (auto& control : owned_) {
    control->retired_ = true;
    retired_controls_.push_back(std::move(control));
  }
  owned_.clear();
  controls_.clear();
  stacks_.clear();
  tab_order_.clear();
  loaded_ = false;
  unloading_ = false;
  return true;
}

void Form::zorder(int position) {
  check_zorder(position);
  load();
  if (peer_) peer_->zorder(position);
}

void Form::refresh() {
  load();
  for (Control* c : controls_) c->flush_updates();
  if (peer_) peer_->refresh(nullptr);
}

void Form::end_event() {
  if (--busy_ > 0) return;
  // Freed from locals: destroying a control may run code that opens a new
  // scope on this form.
  std::vector<std::unique_ptr<Control>> controls;
  std::vector<std::unique_ptr<FormPeer>> peers;
  controls.swap(retired_controls_);
  peers.swap(retired_peers_);
  const std::function<void()> after = std::exchange(after_events_, nullptr);
  controls.clear();
  peers.clear();
  // Last, since it may destroy this form.
  if (after) after();
}

// Announcements

void Form::notify_form(Property property) {
  if (peer_) peer_->form_changed(property);
}

void Form::notify_control(Control& control, const Change& change) {
  if (peer_) peer_->control_changed(control, change);
}

// User actions

void Form::run_user_action(const std::function<void()>& action) {
  EventScope scope(*this);
  try {
    action();
  } catch (const Error& error) {
    if (!report_error(error)) throw;
  }
}

bool Form::report_error(const Error& error) {
  if (!error_reporter_) return false;
  auto report = error_reporter_;
  report(error);
  return true;
}

void Form::user_activated() {
  run_user_action([this] { activate(); });
}

bool Form::user_close() {
  if (hold_input([this] { user_close(); })) return false;
  bool closed = false;
  run_user_action([this, &closed] { closed = unload(unload_mode::kFormControlMenu); });
  return closed;
}

void Form::user_moved(const Bounds& bounds) {
  run_user_action([this, &bounds] { move(bounds.left, bounds.top, bounds.width, bounds.height); });
}

void Form::user_window_state(int state) {
  run_user_action([this, state] { set_window_state(state); });
}

void Form::user_mouse_move() {
  run_user_action([this] { raise(on_mouse_move); });
}

bool Form::click_button(CommandButton* button) {
  if (!button || !button->can_receive_focus()) return false;
  button->user_click();
  return true;
}

bool Form::user_enter_key() { return click_button(default_button()); }

bool Form::user_escape_key() { return click_button(cancel_button()); }

Control* Form::user_access_key(wchar_t key, const Control* focused) {
  const wchar_t wanted = fold_case(key);
  if (wanted == 0 || tab_order_.empty()) return nullptr;
  // The target is checked below while the form surely still exists.
  EventScope scope(*this);
  Control* target = nullptr;
  run_user_action([&] {
    const int at = focused ? tab_index_of(*focused) : -1;
    const size_t start = static_cast<size_t>(at + 1);
    const std::vector<Control*> order = tab_order_;
    for (size_t n = 0; n < order.size(); ++n) {
      Control* c = order[(start + n) % order.size()];
      if (!c->effectively_enabled() || !c->effectively_visible()) continue;
      if (c->kind() == ControlKind::TabStrip) {
        auto* strip = static_cast<TabStrip*>(c);
        if (const int tab = strip->tab_for_access_key(wanted)) {
          target = strip;
          strip->select(tab);
          return;
        }
        continue;
      }
      if (c->access_key() != wanted) continue;
      switch (c->kind()) {
        case ControlKind::Label:
        case ControlKind::Frame: target = next_in_tab_order(c, false); return;
        case ControlKind::CheckBox:
        case ControlKind::CommandButton:
          target = c;
          c->user_click();
          return;
        default: target = c; return;
      }
    }
  });
  return target && !target->retired_ ? target : nullptr;
}

}  // namespace pendrel::forms
