// The details window's whole load against the reference host's demo fixture
// with a latency of 20 ms injected before every host member, as over a slow
// network. The load waits for nothing of its own, so its span from the first
// host access to the answer of the last stays within 1.10 × accesses × 20 ms.
// Prints, per load, the host accesses (and the members entered more than
// once), the database statements the SQLite driver prepared, the Tavisk
// calls, the span and the bound.
//
//   details_load_bench <fixture> <SQLite database file (Unix path)> <trace file (Unix path)>
//
// Needs the reference host registered (PendrelHost.DomainObject).
#include <windows.h>
#include <objbase.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "component/environment.h"
#include "component/services.h"
#include "bench_support.h"
#include "core/error.h"
#include "database/management_database.h"
#include "database/odbc_connection.h"
#include "details/frm_computer_details.h"
#include "details/ping_object.h"
#include "forms/host_control.h"
#include "platform/win32/apps/registry_api.h"
#include "platform/win32/com_ptr.h"
#include "platform/win32/details/echo_transport.h"
#include "platform/win32/dispatch_client.h"
#include "platform/win32/local_clock.h"
#include "platform/win32/tavisk_binding.h"
#include "platform/win32/ui/renderer.h"

namespace pendrel {
namespace {

using bench::create;

constexpr int kLatencyMs = 20;
constexpr int kTimedLoads = 3;

class CountingTavisk : public Tavisk {
 public:
  int calls = 0;
  int32_t NetGetInteractiveUser(std::wstring_view server, std::wstring& user, std::wstring& account) override {
    ++calls;
    return win32::tavisk_library().NetGetInteractiveUser(server, user, account);
  }
  int32_t NetRegLoadKey(std::wstring_view machine, int32_t root, std::wstring_view key,
                        std::wstring_view hive) override {
    ++calls;
    return win32::tavisk_library().NetRegLoadKey(machine, root, key, hive);
  }
  int32_t NetRegUnLoadKey(std::wstring_view machine, int32_t root, std::wstring_view key) override {
    ++calls;
    return win32::tavisk_library().NetRegUnLoadKey(machine, root, key);
  }
};

void pump_messages() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

// The fixture with the latency before every member of the console's and the
// demo computer's objects.
std::wstring slow_fixture(const std::wstring& fixture) {
  std::ifstream in(fixture.c_str());
  std::stringstream text;
  text << in.rdbuf();
  std::string slow = text.str();
  for (const std::string section : {"[console]\n", "[computer PC042]\n"}) {
    const size_t at = slow.find(section);
    if (at == std::string::npos) throw Error(5, L"The fixture has no " + std::wstring(section.begin(), section.end() - 1));
    slow.insert(at + section.size(), "delay " + std::to_string(kLatencyMs) + "\n");
  }
  wchar_t folder[MAX_PATH];
  GetTempPathW(MAX_PATH, folder);
  const std::wstring path = std::wstring(folder) + L"details-load-bench.fixture";
  std::ofstream(path.c_str(), std::ios::binary) << slow;
  return path;
}

std::vector<std::wstring> lines_of(const std::wstring& text) {
  std::vector<std::wstring> lines;
  std::wstringstream in(text);
  for (std::wstring line; std::getline(in, line);) {
    if (!line.empty() && line.back() == L'\r') line.pop_back();
    if (!line.empty()) lines.push_back(line);
  }
  return lines;
}

// The statements the SQLite driver prepared, from its trace file.
std::vector<std::string> prepared_statements(const std::string& trace) {
  std::ifstream in(trace);
  std::vector<std::string> statements;
  const std::string mark = "-- sqlite3_prepare_v2: ";
  for (std::string line; std::getline(in, line);) {
    if (line.starts_with(mark)) statements.push_back(line.substr(mark.size()));
  }
  return statements;
}

struct Load {
  size_t accesses = 0;
  double span_ms = 0;
  std::map<std::wstring, int> entered;
  int tavisk_calls = 0;
  bool loaded = false;
};

Load run_load(const std::wstring& fixture, const std::wstring& connect) {
  win32::ui::Win32WindowSystem window_system;
  win32::ui::Win32UserInterface user_interface{L"Pendrel"};
  const auto host_controls = [](forms::HostControl& control) {
    if (control.name() != L"Ping1") return;
    auto ping = std::make_shared<details::PingObject>(std::make_shared<win32::Win32EchoTransport>());
    ping->set_event_sink([host = &control](std::wstring_view event, std::span<Variant> args) {
      host->fire_event(event, args);
    });
    control.set_object(std::move(ping));
  };
  database::OdbcObjects odbc;
  CountingTavisk tavisk;
  win32::SystemClock clock;
  win32::Win32RegistryApi registry;
  component::Services services{odbc, tavisk, clock, registry, [](std::wstring_view prog_id) -> DispatchPtr {
                                 return create(std::wstring(prog_id).c_str());
                               }};
  component::Environment env{window_system, user_interface, win32::ui::make_peer_factory(host_controls)};
  env.services = &services;
  database::management_database().ConnectString = connect;

  DispatchPtr domain = create(L"PendrelHost.DomainObject");
  domain->call(L"OpenFixture", {fixture});
  DispatchPtr computer = domain->call(L"GetComputer", {std::wstring(L"PC042")}).to_object();

  Load load;
  {
    details::FrmComputerDetails window(env);
    window.form().load();
    window.set_DomainObject(domain);
    window.set_Computer(computer);
    domain->call(L"ClearCallLog");
    window.form().show(0);
    const ULONGLONG until = GetTickCount64() + 60000;
    while (!window.LoadedOnce && GetTickCount64() < until) {
      pump_messages();
      Sleep(5);
    }
    load.loaded = window.LoadedOnce;
    load.span_ms = domain->get(L"CallSpan").to_double();
    const std::vector<std::wstring> calls = lines_of(domain->get(L"CallLog").to_text());
    load.accesses = calls.size();
    for (const std::wstring& call : calls) ++load.entered[call];
    window.form().unload();
  }
  load.tavisk_calls = tavisk.calls;
  database::release_management_database();
  return load;
}

int run(int argc, wchar_t** argv) {
  if (argc < 4) {
    std::fwprintf(stderr, L"usage: details_load_bench <fixture> <database file> <trace file>\n");
    return 2;
  }
  const std::wstring fixture = slow_fixture(argv[1]);
  const std::wstring database = argv[2];
  const std::wstring trace = argv[3];
  const std::wstring connect = L"Driver={SQLite3};Database=" + database + L";NoCreat=1;Timeout=2000";
  const std::string trace_file(trace.begin(), trace.end());

  // One load with the driver's trace, counting statements; then timed loads
  // without it.
  DeleteFileW((L"Z:" + trace).c_str());
  const Load counted = run_load(fixture, connect + L";Tracefile=" + trace);
  const std::vector<std::string> statements = prepared_statements(trace_file);
  std::printf("database statements per load: %zu\n", statements.size());
  for (const std::string& statement : statements) std::printf("  %s\n", statement.c_str());
  std::printf("Tavisk calls per load: %d\n", counted.tavisk_calls);
  std::printf("host accesses per load: %zu\n", counted.accesses);
  for (const auto& [member, times] : counted.entered) {
    if (times > 1) std::printf("  %ls x%d\n", member.c_str(), times);
  }

  bool within = counted.loaded;
  std::vector<double> ratios;
  for (int i = 0; i < kTimedLoads; ++i) {
    const Load load = run_load(fixture, connect);
    const double bound = 1.10 * static_cast<double>(load.accesses) * kLatencyMs;
    const double ratio = load.span_ms / (static_cast<double>(load.accesses) * kLatencyMs);
    ratios.push_back(ratio);
    std::printf("load %d: %zu host accesses, span %.0f ms, bound %.0f ms (1.10 x %zu x %d ms), span/(accesses x %d ms) %.3f%s\n",
                i + 1, load.accesses, load.span_ms, bound, load.accesses, kLatencyMs, kLatencyMs, ratio,
                load.loaded ? "" : " NOT LOADED");
    within = within && load.loaded && load.span_ms <= bound;
  }
  std::sort(ratios.begin(), ratios.end());
  std::printf("median span/(accesses x %d ms): %.3f (limit 1.10): %s\n", kLatencyMs, ratios[ratios.size() / 2],
              within ? "within" : "OVER");
  return within ? 0 : 1;
}

}  // namespace
}  // namespace pendrel

int wmain(int argc, wchar_t** argv) { return pendrel::bench::run_main(L"details_load_bench", argc, argv, pendrel::run); }
