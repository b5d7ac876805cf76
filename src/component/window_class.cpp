#include "component/window_class.h"

#include <limits>
#include <utility>
#include <vector>

#include "component/window_system.h"
#include "core/error.h"

namespace pendrel::component {
ClassWindows::ClassWindows() = default;
ClassWindows::~ClassWindows() = default;

namespace {

ComponentWindow* existing_window(ClassWindows& shared, std::type_index type) {
  const auto found = shared.windows.find(type);
  return found == shared.windows.end() ? nullptr : found->second.get();
}

// The window of a thread without objects, once its last event has returned;
// it stays when an object came meanwhile. The event may have loaded the form
// again by touching a control: nothing can reach it now, so it unloads
// quietly, as Class_Terminate would, and stays only if that was cancelled.
void release_after_events(ClassWindows& shared, std::type_index type) {
  if (shared.objects > 0 || !existing_window(shared, type)) return;
  try {
    existing_window(shared, type)->form().unload();
  } catch (...) {
  }
  const auto found = shared.windows.find(type);
  if (shared.objects > 0 || found == shared.windows.end() || found->second->form().loaded()) return;
  const std::unique_ptr<ComponentWindow> leaving = std::move(found->second);
  shared.windows.erase(found);
}

}  // namespace

WindowClass::ThreadObject::ThreadObject(ClassWindows& shared) : shared_(shared) { ++shared_.objects; }

WindowClass::ThreadObject::~ThreadObject() {
  if (--shared_.objects > 0) return;
  // A window still loaded (its unload was cancelled) stays for the next object.
  // One inside an event (the host let go of its last object from a nested
  // message loop) goes once that event has returned. The others are destroyed
  // outside the map: releasing what they hold may call into the host, which
  // may create objects again.
  std::vector<std::unique_ptr<ComponentWindow>> leaving;
  for (auto it = shared_.windows.begin(); it != shared_.windows.end();) {
    forms::Form& form = it->second->form();
    if (form.loaded()) {
      ++it;
    } else if (form.in_event()) {
      form.after_events([&shared = shared_, type = it->first] { release_after_events(shared, type); });
      ++it;
    } else {
      leaving.push_back(std::move(it->second));
      it = shared_.windows.erase(it);
    }
  }
}

WindowClass::WindowClass(Environment& environment, std::type_index window_type, WindowFactory factory)
    : environment_(environment),
      window_type_(window_type),
      factory_(factory),
      thread_object_(environment.class_windows) {
  window();
}

WindowClass::~WindowClass() {
  // Class_Terminate has no caller to report to: a failing unload ends quietly.
  try {
    if (ComponentWindow* existing = existing_window(environment_.class_windows, window_type_)) existing->form().unload();
  } catch (...) {
  }
}

ComponentWindow& WindowClass::window() {
  ComponentWindow* instance = existing_window(environment_.class_windows, window_type_);
  if (!instance) {
    auto made = factory_(environment_);
    instance = made.get();
    environment_.class_windows.windows.emplace(window_type_, std::move(made));
  }
  instance->form().load();
  return *instance;
}

DispatchPtr WindowClass::DomainObject() { return window().DomainObject(); }
void WindowClass::set_DomainObject(DispatchPtr domain_object) {
  window().set_DomainObject(std::move(domain_object));
}

DispatchPtr WindowClass::Computer() { return window().Computer(); }
void WindowClass::set_Computer(DispatchPtr computer) { window().set_Computer(std::move(computer)); }

void WindowClass::Show(const Variant& mode) {
  forms::Form& shown = form();
  if (mode.is_missing()) {
    shown.show();
    return;
  }
  // Showing a visible window modally fails; hiding it first avoids that.
  if (shown.visible()) shown.hide();
  shown.show(mode.to_integer());
}

void WindowClass::Hide() { form().hide(); }

std::wstring WindowClass::Caption() { return form().caption(); }
void WindowClass::set_Caption(std::wstring caption) { form().set_caption(std::move(caption)); }

int32_t WindowClass::hwnd() { return static_cast<int32_t>(form().hwnd()); }

Variant WindowClass::ZOrder(int32_t order) {
  // VB's Abs overflows on the one value without a positive twin.
  if (order == std::numeric_limits<int32_t>::min()) throw Error::vb(vb_error::kOverflow);
  const int position = order < 0 ? -order : order;
  forms::Form& ordered = form();
  ordered.zorder(position);
  if (position == 0) {
    WindowSystem& window_system = environment_.window_system;
    window_system.SetForegroundWindow(ordered.hwnd());
    window_system.SetActiveWindow(ordered.hwnd());
  }
  return {};
}

int32_t WindowClass::WindowState() { return form().window_state(); }
void WindowClass::set_WindowState(int32_t state) {
  const int16_t narrowed = narrow_to_integer(state);
  form().set_window_state(narrowed);
}

int32_t WindowClass::PosWidth() { return round_to_long(form().width()); }
void WindowClass::set_PosWidth(int32_t width) { form().set_width(static_cast<float>(width)); }
int32_t WindowClass::PosHeight() { return round_to_long(form().height()); }
void WindowClass::set_PosHeight(int32_t height) { form().set_height(static_cast<float>(height)); }
int32_t WindowClass::PosTop() { return round_to_long(form().top()); }
void WindowClass::set_PosTop(int32_t top) { form().set_top(static_cast<float>(top)); }
int32_t WindowClass::PosLeft() { return round_to_long(form().left()); }
void WindowClass::set_PosLeft(int32_t left) { form().set_left(static_cast<float>(left)); }

void WindowClass::Quit() {
  if (ComponentWindow* existing = existing_window(environment_.class_windows, window_type_)) existing->form().unload();
}

bool WindowClass::OnTop() { return window().OnTop(); }
void WindowClass::set_OnTop(bool on_top) { window().set_OnTop(on_top); }

bool WindowClass::Visible() { return form().visible(); }
void WindowClass::set_Visible(bool visible) { form().set_visible(visible); }

}  // namespace pendrel::component
