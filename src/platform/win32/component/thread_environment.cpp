#include "platform/win32/component/thread_environment.h"

#include <string>

#include "platform/win32/ui/renderer.h"
#include "windows/window_support.h"

namespace pendrel::win32 {
namespace {

struct ThreadEnvironment {
  ui::Win32WindowSystem window_system;
  ui::Win32UserInterface user_interface{std::wstring(windows::kComponentTitle)};
  component::Environment environment{window_system, user_interface, ui::make_peer_factory()};
};

}  // namespace

component::Environment& thread_environment() {
  thread_local ThreadEnvironment environment;
  return environment.environment;
}

}  // namespace pendrel::win32
