// What the three component classes share: each object forwards its members
// to the one instance of its window type that belongs to the calling thread.
// The instance is made on first reference and shared by every object of the
// class on that thread; a member call after Quit loads it again (designed
// controls, load handler again) while its window-level values stay. The
// windows live in the thread's Environment (class_windows); when the last
// component object of the thread goes, its unloaded windows go with it,
// releasing what they hold; one whose event is still running (the host let
// go from a nested message loop) goes when that event has returned.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <typeindex>

#include "component/component_window.h"
#include "component/environment.h"
#include "core/variant.h"

namespace pendrel::component {

class WindowClass {
 public:
  using WindowFactory = std::unique_ptr<ComponentWindow> (*)(Environment&);

  WindowClass(const WindowClass&) = delete;
  WindowClass& operator=(const WindowClass&) = delete;

  DispatchPtr DomainObject();
  void set_DomainObject(DispatchPtr domain_object);
  DispatchPtr Computer();
  void set_Computer(DispatchPtr computer);

  // Missing: modeless. Given: a visible window is hidden first, then shown
  // with the mode (1 returns once the window is hidden or unloaded).
  void Show(const Variant& mode = Variant::missing());
  void Hide();
  std::wstring Caption();
  void set_Caption(std::wstring caption);
  int32_t hwnd();
  // Accepted and ignored: the handle belongs to the window.
  void set_hwnd(int32_t) {}
  // The window's ZOrder with the absolute value; 0 also brings the window to
  // the foreground and activates it. Always Empty.
  Variant ZOrder(int32_t order);
  // Let narrows to 16 bits (overflow, 6) before the window is touched.
  int32_t WindowState();
  void set_WindowState(int32_t state);
  // Twips; Let goes through single precision, Get rounds halves to even.
  int32_t PosWidth();
  void set_PosWidth(int32_t width);
  int32_t PosHeight();
  void set_PosHeight(int32_t height);
  int32_t PosTop();
  void set_PosTop(int32_t top);
  int32_t PosLeft();
  void set_PosLeft(int32_t left);
  // Unloads the window; nothing when it is not loaded.
  void Quit();
  bool OnTop();
  void set_OnTop(bool on_top);
  bool Visible();
  void set_Visible(bool visible);

 protected:
  // Class_Initialize: loads the window, which stays hidden.
  WindowClass(Environment& environment, std::type_index window_type, WindowFactory factory);
  // Class_Terminate: unloads the window.
  ~WindowClass();

  // The thread's instance, loaded.
  ComponentWindow& window();

 private:
  // Counts the component objects of the environment's thread.
  class ThreadObject {
   public:
    explicit ThreadObject(ClassWindows& shared);
    ~ThreadObject();
    ThreadObject(const ThreadObject&) = delete;
    ThreadObject& operator=(const ThreadObject&) = delete;

   private:
    ClassWindows& shared_;
  };

  forms::Form& form() { return window().form(); }

  Environment& environment_;
  std::type_index window_type_;
  WindowFactory factory_;
  ThreadObject thread_object_;
};

// A component class for one window type; Window is constructed from the
// Environment.
template <class Window>
class WindowClassOf : public WindowClass {
 protected:
  explicit WindowClassOf(Environment& environment)
      : WindowClass(environment, typeid(Window), &make_window) {}

  Window& window() { return static_cast<Window&>(WindowClass::window()); }

 private:
  static std::unique_ptr<ComponentWindow> make_window(Environment& environment) {
    return std::make_unique<Window>(environment);
  }
};

}  // namespace pendrel::component
