#include "platform/win32/component/thread_environment.h"

#include <windows.h>

#include <cstring>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <utility>

#include "component/component_window.h"
#include "component/services.h"
#include "database/management_database.h"
#include "database/odbc_connection.h"
#include "details/ping_object.h"
#include "logon/kestrow_browse.h"
#include "outside/tavisk.h"
#include "platform/win32/apps/registry_api.h"
#include "platform/win32/com_object.h"
#include "platform/win32/com_ptr.h"
#include "platform/win32/details/echo_transport.h"
#include "platform/win32/dispatch_client.h"
#include "platform/win32/handles.h"
#include "platform/win32/local_clock.h"
#include "platform/win32/logon/browse_dialog.h"
#include "platform/win32/ui/renderer.h"
#include "windows/window_support.h"

namespace pendrel::win32 {
namespace {

// The hosted controls we provide ourselves; the logon window hands Kestrow1
// its host objects before it browses. Ping1's events go to its control while
// that exists: a form unloaded during an event keeps its controls, which drop
// the events, until the event returns.
void make_host_control(forms::HostControl& control) {
  if (control.name() == L"Kestrow1") {
    control.set_object(std::make_shared<logon::KestrowBrowse>(std::make_shared<Win32BrowseDialog>()));
  } else if (control.name() == L"Ping1") {
    auto ping = std::make_shared<details::PingObject>(std::make_shared<Win32EchoTransport>());
    ping->set_event_sink(control.event_sink());
    control.set_object(std::move(ping));
  }
}

// CreateObject of a class by its ProgID, in this process: the details window
// opens the logon and unavailable windows this way, as a console would.
DispatchPtr create_object(std::wstring_view prog_id) {
  const std::wstring name(prog_id);
  CLSID clsid{};
  HRESULT hr = CLSIDFromProgID(name.c_str(), &clsid);
  if (FAILED(hr)) throw Error(hr, L"Cannot find the class " + name);
  com_ptr<IDispatch> object;
  hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, object.put_void());
  if (FAILED(hr)) throw Error(hr, L"Cannot create " + name);
  return wrap_dispatch(object.get());
}

// Tavisk.dll bound at its first call, as a Declare of VB binds it: a machine
// without it still loads and registers pendrel.dll, and only the calls fail
// (53, as VB reports a missing DLL). It is looked for beside pendrel.dll
// first, then where Windows looks for any DLL.
class TaviskOnDemand final : public Tavisk {
 public:
  int32_t NetGetInteractiveUser(std::wstring_view server, std::wstring& user, std::wstring& account) override {
    return library().NetGetInteractiveUser(server, user, account);
  }
  int32_t NetRegLoadKey(std::wstring_view machine, int32_t root, std::wstring_view key,
                        std::wstring_view hive) override {
    return library().NetRegLoadKey(machine, root, key, hive);
  }
  int32_t NetRegUnLoadKey(std::wstring_view machine, int32_t root, std::wstring_view key) override {
    return library().NetRegUnLoadKey(machine, root, key);
  }

 private:
  Tavisk& library() {
    if (raw_) return *raw_;
    unique_hmodule module(LoadLibraryW(beside_this_module(L"tavisk.dll").c_str()));
    if (!module) module = unique_hmodule(LoadLibraryW(L"tavisk.dll"));
    if (!module) throw Error(53, L"File not found: Tavisk.dll");
    TaviskEntryPoints entry{};
    entry.NetGetInteractiveUser = entry_point<decltype(entry.NetGetInteractiveUser)>(module, "NetGetInteractiveUser");
    entry.NetRegLoadKey = entry_point<decltype(entry.NetRegLoadKey)>(module, "NetRegLoadKey");
    entry.NetRegUnLoadKey = entry_point<decltype(entry.NetRegUnLoadKey)>(module, "NetRegUnLoadKey");
    raw_ = std::make_unique<RawTavisk>(entry);
    module_ = std::move(module);
    return *raw_;
  }

  static std::wstring beside_this_module(const wchar_t* file) {
    std::wstring path(MAX_PATH, L'\0');
    const DWORD length = GetModuleFileNameW(Module::handle(), path.data(), static_cast<DWORD>(path.size()));
    path.resize(length);
    return path.substr(0, path.find_last_of(L"\\/") + 1) + file;
  }

  template <class Function>
  static Function entry_point(const unique_hmodule& module, const char* name) {
    FARPROC found = GetProcAddress(module.get(), name);
    // VB's "Can't find DLL entry point".
    if (!found) {
      throw Error(453, L"Can't find DLL entry point " + std::wstring(name, name + std::strlen(name)) + L" in Tavisk.dll");
    }
    return reinterpret_cast<Function>(reinterpret_cast<void*>(found));
  }

  unique_hmodule module_;
  std::unique_ptr<RawTavisk> raw_;
};

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
  database::OdbcObjects database_objects;
  SystemClock clock;
  TaviskOnDemand tavisk;
  Win32RegistryApi registry;
  component::Services services{database_objects, tavisk, clock, registry, &create_object};
  component::Environment environment{window_system, user_interface, counted(ui::make_peer_factory(make_host_control)),
                                     &services, &make_host_control};
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

// The renderer's peer, holding the environment while it lives: a form
// unloaded inside one of its events keeps its peer until the event returns,
// so that the environment (and the window object, which goes then) outlives
// the frames of that event even when the host let go of its last object.
class CountedPeer final : public forms::FormPeer {
 public:
  explicit CountedPeer(std::unique_ptr<forms::FormPeer> inner) : inner_(std::move(inner)) {}
  ~CountedPeer() override {
    inner_.reset();
    if (std::exchange(holding_, false)) release(true);
  }

  void create() override {
    if (!holding_) {
      acquire();
      holding_ = true;
    }
    inner_->create();
    note_window_classes(reinterpret_cast<HWND>(inner_->hwnd()));
  }
  void destroy() override { inner_->destroy(); }
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
