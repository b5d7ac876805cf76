#include "platform/win32/component/thread_environment.h"

#include <memory>
#include <string>

#include "logon/kestrow_browse.h"
#include "platform/win32/logon/browse_dialog.h"
#include "platform/win32/ui/renderer.h"
#include "windows/window_support.h"

namespace pendrel::win32 {
namespace {

// The hosted controls we provide ourselves; the logon window hands Kestrow1
// its host objects before it browses.
void make_host_control(forms::HostControl& control) {
  if (control.name() == L"Kestrow1")
    control.set_object(std::make_shared<logon::KestrowBrowse>(std::make_shared<Win32BrowseDialog>()));
}

struct ThreadEnvironment {
  ui::Win32WindowSystem window_system;
  ui::Win32UserInterface user_interface{std::wstring(windows::kComponentTitle)};
  component::Environment environment{window_system, user_interface, ui::make_peer_factory(make_host_control)};
};

}  // namespace

component::Environment& thread_environment() {
  thread_local ThreadEnvironment environment;
  return environment.environment;
}

}  // namespace pendrel::win32
