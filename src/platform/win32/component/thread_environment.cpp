#include "platform/win32/component/thread_environment.h"

#include <windows.h>

#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <utility>

#include "component/component_window.h"
#include "database/management_database.h"
#include "details/ping_object.h"
#include "logon/kestrow_browse.h"
#include "platform/win32/com_object.h"
#include "platform/win32/details/echo_transport.h"
#include "platform/win32/logon/browse_dialog.h"
#include "platform/win32/ui/renderer.h"
#include "windows/window_support.h"

namespace pendrel::win32 {
namespace {

// The hosted controls we provide ourselves; the logon window hands Kestrow1
// its host objects before it browses. Ping1's events go to its control:
// Ping1 fires them only inside StartPing, which the window calls from a click,
// and a form unloaded during an event keeps its controls until it returns.
void make_host_control(forms::HostControl& control) {
  if (control.name() == L"Kestrow1") {
    control.set_object(std::make_shared<logon::KestrowBrowse>(std::make_shared<Win32BrowseDialog>()));
  } else if (control.name() == L"Ping1") {
    auto ping = std::make_shared<details::PingObject>(std::make_shared<Win32EchoTransport>());
    ping->set_event_sink([host = &control](std::wstring_view event, std::span<Variant> args) {
      host->fire_event(event, args);
    });
    control.set_object(std::move(ping));
  }
}

// The window classes of this module that our windows were made of. Windows
// does not unregister a DLL's classes when it unloads; a class left behind
// would call into the unloaded code.
struct WindowClasses {
  std::mutex mutex;
  std::set<ATOM> atoms;
};

WindowClasses& window_classes() {
  static WindowClasses classes;
  return classes;
}

void note_classes_below(HWND window, std::set<ATOM>& atoms) {
  if (reinterpret_cast<HMODULE>(GetClassLongPtrW(window, GCLP_HMODULE)) == Module::handle()) {
    if (const auto atom = static_cast<ATOM>(GetClassLongW(window, GCW_ATOM))) atoms.insert(atom);
  }
  for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    note_classes_below(child, atoms);
  }
}

void note_window_classes(HWND form) {
  if (!form) return;
  WindowClasses& classes = window_classes();
  std::lock_guard lock(classes.mutex);
  note_classes_below(form, classes.atoms);
}

// Keeps the module loaded while the environment lives, up to the end of its
// last member's destructor.
struct ModuleHold {
  ModuleHold() { Module::lock(); }
  ModuleHold(const ModuleHold&) = delete;
  ModuleHold& operator=(const ModuleHold&) = delete;
  ~ModuleHold() { Module::unlock(); }
};

forms::Form::PeerFactory counted(forms::Form::PeerFactory inner);

struct ThreadEnvironment {
  ~ThreadEnvironment() {
    if (end_timer) KillTimer(nullptr, end_timer);
    // The windows before the database state they may still use; out of the
    // map first, since what they release may call into the host, which may
    // create objects again (they get an environment of their own).
    {
      auto leaving = std::move(environment.class_windows.windows);
    }
    database::release_management_database();
  }

  ModuleHold module_hold;
  // Component objects and windows of ours on the thread.
  int holds = 0;
  UINT_PTR end_timer = 0;
  ui::Win32WindowSystem window_system;
  ui::Win32UserInterface user_interface{std::wstring(windows::kComponentTitle)};
  component::Environment environment{window_system, user_interface, counted(ui::make_peer_factory(make_host_control))};
};

// Only a plain pointer is thread_local: nothing of ours runs at thread exit.
thread_local ThreadEnvironment* current = nullptr;

ThreadEnvironment& acquire() {
  if (!current) current = new ThreadEnvironment();
  ++current->holds;
  return *current;
}

void end_environment() { delete std::exchange(current, nullptr); }

void CALLBACK end_idle_environment(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  if (!current || current->end_timer != timer) return;
  current->end_timer = 0;
  if (current->holds == 0) end_environment();
}

// An object's release ends an idle environment at once. A window may go while
// one of its own events still runs: the environment that owns it then ends
// from the thread's message loop.
void release(bool window) {
  if (!current || --current->holds > 0) return;
  if (!window) {
    end_environment();
  } else if (!current->end_timer) {
    current->end_timer = SetTimer(nullptr, 0, 0, &end_idle_environment);
  }
}

// The renderer's peer, holding the environment while its window exists.
class CountedPeer final : public forms::FormPeer {
 public:
  explicit CountedPeer(std::unique_ptr<forms::FormPeer> inner) : inner_(std::move(inner)) {}
  ~CountedPeer() override {
    inner_.reset();
    let_go();
  }

  void create() override {
    if (!holding_) {
      acquire();
      holding_ = true;
    }
    inner_->create();
    note_window_classes(reinterpret_cast<HWND>(inner_->hwnd()));
  }
  void destroy() override {
    inner_->destroy();
    let_go();
  }
  void show() override { inner_->show(); }
  void hide() override { inner_->hide(); }
  void run_modal() override { inner_->run_modal(); }
  void zorder(int position) override { inner_->zorder(position); }
  void refresh(const forms::Control* control) override { inner_->refresh(control); }
  std::intptr_t hwnd() const override { return inner_->hwnd(); }
  void form_changed(forms::Property property) override { inner_->form_changed(property); }
  void control_changed(forms::Control& control, const forms::Change& change) override {
    inner_->control_changed(control, change);
  }

 private:
  void let_go() {
    if (std::exchange(holding_, false)) release(true);
  }

  std::unique_ptr<forms::FormPeer> inner_;
  bool holding_ = false;
};

forms::Form::PeerFactory counted(forms::Form::PeerFactory inner) {
  return [inner = std::move(inner)](forms::Form& form) -> std::unique_ptr<forms::FormPeer> {
    std::unique_ptr<forms::FormPeer> made = inner(form);
    if (!made) return made;
    return std::make_unique<CountedPeer>(std::move(made));
  };
}

}  // namespace

ThreadEnvironmentHold::ThreadEnvironmentHold() : environment_(acquire().environment) {}

ThreadEnvironmentHold::~ThreadEnvironmentHold() { release(false); }

bool unregister_window_classes() noexcept {
  WindowClasses& classes = window_classes();
  std::lock_guard lock(classes.mutex);
  for (auto it = classes.atoms.begin(); it != classes.atoms.end();) {
    // A class that still has windows stays.
    if (UnregisterClassW(MAKEINTATOM(*it), Module::handle()) || GetLastError() == ERROR_CLASS_DOES_NOT_EXIST) {
      it = classes.atoms.erase(it);
    } else {
      ++it;
    }
  }
  return classes.atoms.empty();
}

}  // namespace pendrel::win32
