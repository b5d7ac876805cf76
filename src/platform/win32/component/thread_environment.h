// The world the windows of one thread run in: real windows and common
// controls, real message and input boxes, the real user32 calls; and what the
// component objects of that thread share (their windows, the management
// database state).
//
// It is made for the thread's first object and ends, on that thread and never
// in DllMain, once the thread has no object and no window of ours left: at
// the release of its last object, or (for a window that outlived its objects)
// from the thread's message loop after the window went. While it lives the
// module cannot unload. A thread that ends with one still alive leaks it
// rather than run our code under the loader lock.
#pragma once

#include "component/environment.h"

namespace pendrel::win32 {

// A hold on the calling thread's environment, for one component object.
class ThreadEnvironmentHold {
 public:
  ThreadEnvironmentHold();
  ~ThreadEnvironmentHold();
  ThreadEnvironmentHold(const ThreadEnvironmentHold&) = delete;
  ThreadEnvironmentHold& operator=(const ThreadEnvironmentHold&) = delete;

  component::Environment& get() const { return environment_; }

 private:
  component::Environment& environment_;
};

// Removes the window classes our windows were made of, once nothing of ours
// is alive; true when none is left registered (DllCanUnloadNow).
bool unregister_window_classes() noexcept;

}  // namespace pendrel::win32
