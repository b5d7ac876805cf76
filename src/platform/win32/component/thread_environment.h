// The world the windows of one thread run in: real windows and common
// controls, real message and input boxes, the real user32 calls.
#pragma once

#include "component/environment.h"

namespace pendrel::win32 {

// The calling thread's environment, made on first use and kept for the
// thread's life (apartment threaded: each thread has its own windows).
component::Environment& thread_environment();

}  // namespace pendrel::win32
