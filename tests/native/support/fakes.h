// The outside world of the native window tests: a window system that answers
// everything, a renderer that writes what the model tells it into a trace, an
// in-memory registry with INI texts and files, a scripted clock and Tavisk,
// and the test beds that put them into an environment with a fake Computer
// whose calls land in one log. Built once into pendrel_test_support.
#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "apps/registry_access.h"
#include "component/environment.h"
#include "component/services.h"
#include "component/window_system.h"
#include "core/clock.h"
#include "database/odbc_connection.h"
#include "fake_dispatch.h"
#include "forms/form.h"
#include "forms/list_view.h"
#include "forms/scripted_ui.h"
#include "outside/tavisk.h"

namespace pendrel::fakes {

using Trace = std::vector<std::wstring>;

// Answers every call; given a trace, writes each call with its arguments.
class FakeWindowSystem : public component::WindowSystem {
 public:
  Trace* trace = nullptr;
  bool SetWindowPos(std::intptr_t hwnd, std::intptr_t after, int x, int y, int cx, int cy, uint32_t flags) override {
    return add(L"SetWindowPos", {hwnd, after, x, y, cx, cy, flags}), true;
  }
  bool SetForegroundWindow(std::intptr_t hwnd) override { return add(L"SetForegroundWindow", {hwnd}), true; }
  std::intptr_t SetActiveWindow(std::intptr_t hwnd) override { return add(L"SetActiveWindow", {hwnd}), 0; }

 private:
  void add(std::wstring line, std::initializer_list<std::intptr_t> args) {
    for (std::intptr_t a : args) line += L" " + std::to_wstring(a);
    if (trace) trace->push_back(std::move(line));
  }
};

// Writes what the model tells it into a shared trace ("create", "show",
// "control chkActive(1) Value", "control ListView1 Items Added k2" ...); its
// modal loop runs a scripted user action.
class RecordingPeer : public forms::FormPeer {
 public:
  RecordingPeer(std::shared_ptr<Trace> trace, std::function<void()> modal_action)
      : trace_(std::move(trace)), modal_action_(std::move(modal_action)) {}
  void create() override { add(L"create"); }
  void destroy() override { add(L"destroy"); }
  void show() override { add(L"show"); }
  void hide() override { add(L"hide"); }
  void run_modal() override {
    if (add(L"run_modal"), modal_action_) modal_action_();
    add(L"end_modal");
  }
  void zorder(int position) override { add(L"zorder " + std::to_wstring(position)); }
  void refresh(const forms::Control* c) override;
  std::intptr_t hwnd() const override { return 0x2A0B4; }
  void form_changed(forms::Property p) override;
  void control_changed(forms::Control& c, const forms::Change& change) override;

 private:
  void add(std::wstring line) { trace_->push_back(std::move(line)); }
  std::shared_ptr<Trace> trace_;
  std::function<void()> modal_action_;
};

// Writes each caption the window shows into the call log, so that the host
// calls fall into groups under the stage that made them.
class CaptionPeer : public RecordingPeer {
 public:
  CaptionPeer(forms::Form& form, std::shared_ptr<CallLog> log)
      : RecordingPeer(std::make_shared<Trace>(), nullptr), form_(form), log_(std::move(log)) {}
  void form_changed(forms::Property p) override {
    if (p == forms::Property::Caption) log_->add({L"", L"Caption", InvokeKind::PropertyPut, {Variant(form_.caption())}});
  }

 private:
  forms::Form& form_;
  std::shared_ptr<CallLog> log_;
};

// Every row of a list as "key|text|sub item 1|sub item 2|tag|icon,small icon".
std::vector<std::wstring> list_rows(forms::ListItems& items);

// An in-memory registry under HKEY_LOCAL_MACHINE, INI texts (one per section
// and key, else one for every read) and a few files, answering as the Windows
// functions do. Keys are full paths and, as in the real registry, compare
// without regard to case.
struct FakeRegistry : apps::RegistryApi {
  using Data = std::string;  // raw value data, NULs included
  struct NoCase {
    bool operator()(const std::string& a, const std::string& b) const;
  };
  std::map<std::string, std::map<std::string, std::pair<uint32_t, Data>, NoCase>, NoCase> keys;
  std::map<apps::RegHandle, std::string> open;  // handle -> path ("" for a machine root)
  std::vector<std::string> log;  // queries (buffer size or "-"), connections and INI calls, in order
  std::string ini;               // for a list: already ending in its two NULs
  std::map<std::string, std::string> ini_keys;  // "section/key" -> text, else ini
  std::map<std::string, uint32_t> files;        // path -> attributes
  apps::RegHandle next = 100;
  std::function<bool(std::string_view function)> fails;  // asked first by each call that can fail

  // Adds a key with its parents, as RegCreateKey would.
  std::map<std::string, std::pair<uint32_t, Data>, NoCase>& key(const std::string& path);
  int32_t RegOpenKeyExA(apps::RegHandle root, const char* subkey, uint32_t, uint32_t access,
                        apps::RegHandle& key) override;
  int32_t RegQueryValueExA(apps::RegHandle key, const char* name, uint32_t& type, uint8_t* data,
                           uint32_t& size) override;
  int32_t RegEnumKeyA(apps::RegHandle key, uint32_t index, char* name, uint32_t size) override;
  int32_t RegCloseKey(apps::RegHandle key) override;
  int32_t RegConnectRegistryA(const char* machine, apps::RegHandle root, apps::RegHandle& key) override;
  uint32_t GetPrivateProfileStringA(const char* section, const char* key, const char* dflt, char* buffer,
                                    uint32_t size, const char* file) override;
  uint32_t GetFileAttributesA(const char* path) override;
  bool SetFileAttributesA(const char* path, uint32_t attributes) override;
};

// A fixed Now() and the time zone as the test sets it.
class FakeClock : public LocalClock {
 public:
  TimeZoneInformation zone;
  Date Now() override { return make_date({2026, 3, 14, 9, 30, 0}); }
  int32_t GetTimeZoneInformation(TimeZoneInformation& info) override {
    return info = zone, time_zone_id::kStandard;
  }
};

// Keeps each call as "<function> <args>" in `calls`; answers from the scripted
// results in order (then 0), writing the scripted texts.
class FakeTavisk : public Tavisk {
 public:
  struct Answer {
    int32_t status = 0;
    std::wstring user, account;
  };
  std::vector<Answer> answers;
  std::vector<std::wstring> calls;

  int32_t NetGetInteractiveUser(std::wstring_view server, std::wstring& user, std::wstring& account) override {
    const Answer a = next(L"NetGetInteractiveUser " + std::wstring(server));
    return user = a.user, account = a.account, a.status;
  }
  int32_t NetRegLoadKey(std::wstring_view machine, int32_t root, std::wstring_view key,
                        std::wstring_view hive) override {
    return next(L"NetRegLoadKey " + on(machine, root, key) + L" " + std::wstring(hive)).status;
  }
  int32_t NetRegUnLoadKey(std::wstring_view machine, int32_t root, std::wstring_view key) override {
    return next(L"NetRegUnLoadKey " + on(machine, root, key)).status;
  }

 private:
  static std::wstring on(std::wstring_view machine, int32_t root, std::wstring_view key) {
    return std::wstring(machine) + L" " + std::to_wstring(root) + L" " + std::wstring(key);
  }
  Answer next(std::wstring call) {
    calls.push_back(std::move(call));
    if (answers.empty()) return {};
    const Answer a = answers.front();
    return answers.erase(answers.begin()), a;
  }
};

// An environment with a scripted user interface, the answering window system,
// recording renderers, and a fake Computer whose calls land in one log.
struct WindowTestBed {
  FakeWindowSystem window_system;
  ScriptedUserInterface ui;
  component::Environment env{window_system, ui, [](forms::Form&) {
                               return std::make_unique<RecordingPeer>(std::make_shared<Trace>(), nullptr);
                             }};
  std::shared_ptr<CallLog> log = std::make_shared<CallLog>();
  std::shared_ptr<FakeDispatch> computer = std::make_shared<FakeDispatch>(L"Computer", log);
};

// The details window's services besides: the clock, Tavisk, the real ODBC
// objects, the registry and a class factory answering from `classes`.
struct DetailsTestBed : WindowTestBed {
  FakeClock clock;
  FakeTavisk tavisk;
  database::OdbcObjects odbc;
  std::shared_ptr<FakeDispatch> domain_object = computer->sibling(L"DomainObject");
  std::map<std::wstring, DispatchPtr> classes;  // what CreateObject returns, by ProgID; else 429
  FakeRegistry registry;
  component::Services services{odbc, tavisk, clock, registry, [this](std::wstring_view prog_id) -> DispatchPtr {
                                 auto it = classes.find(std::wstring(prog_id));
                                 if (it == classes.end()) throw Error::vb(vb_error::kCannotCreateObject);
                                 return it->second;
                               }};

  // With `captions`, every caption the window shows goes into the call log.
  explicit DetailsTestBed(bool captions = false) {
    env.services = &services;
    if (captions) env.peer_factory = [log = log](forms::Form& f) { return std::make_unique<CaptionPeer>(f, log); };
  }
  // PC042 seen from the console CONSOLE1, both of `domain`; RemNull drops NULs.
  void pc042(const wchar_t* domain = L"SALES") {
    computer->on(L"Name").get(L"PC042"), computer->on(L"Domain").get(domain);
    domain_object->on(L"ThisComputerName").get(L"CONSOLE1"), domain_object->on(L"ThisDomainName").get(domain);
    domain_object->on(L"RemNull").call([](std::span<Argument> args) {
      std::wstring text = args[0].value.to_text();
      return std::erase(text, L'\0'), text;
    });
  }
};

}  // namespace pendrel::fakes
