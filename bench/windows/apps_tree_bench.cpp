// The applications tree's load from a mounted product hive into the real tree
// control of a shown details window, against the floor measured in the same
// run: a loop that enumerates the same keys, opens each package key and reads
// the value the load reads ("Re-Install"), with no tree. Prints both, their
// factor for 10,000 packages (limit 1.25), the growth of the load from N to
// 2N packages for N = 1,000 ... 8,000 (limit 2.3) and the registry calls per
// package.
//
//   apps_tree_bench <reference host fixture> [floor]
//
// Needs the reference host registered (PendrelHost.DomainObject) and
// tavisk.dll beside the program. The shown computer is this machine under its
// own name, reached through a registry connection as any other computer.
#include <windows.h>
#include <objbase.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "apps/applications.h"
#include "component/environment.h"
#include "component/services.h"
#include "bench_support.h"
#include "core/error.h"
#include "database/odbc_connection.h"
#include "details/frm_computer_details.h"
#include "platform/win32/apps/registry_api.h"
#include "platform/win32/com_ptr.h"
#include "platform/win32/dispatch_client.h"
#include "platform/win32/handles.h"
#include "platform/win32/local_clock.h"
#include "platform/win32/tavisk_binding.h"
#include "platform/win32/ui/renderer.h"
#include "product_hive.h"

namespace pendrel {
namespace {

using bench::create;

constexpr double kFloorLimit = 1.25;
constexpr double kGrowthLimit = 2.3;
constexpr int kFloorPackages = 10000;
constexpr int kRuns = 5;
constexpr wchar_t kPackagesKey[] = L"QM\\LastRun\\APPIMAGE";

using Clock = std::chrono::steady_clock;

double ms_since(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// The real registry, counting every call the load makes.
class CountingRegistry : public win32::Win32RegistryApi {
 public:
  long calls = 0;
  int32_t RegOpenKeyExA(apps::RegHandle key, const char* subkey, uint32_t options, uint32_t access,
                        apps::RegHandle& result) override {
    ++calls;
    return Win32RegistryApi::RegOpenKeyExA(key, subkey, options, access, result);
  }
  int32_t RegQueryValueExA(apps::RegHandle key, const char* name, uint32_t& type, uint8_t* data,
                           uint32_t& size) override {
    ++calls;
    return Win32RegistryApi::RegQueryValueExA(key, name, type, data, size);
  }
  int32_t RegEnumKeyA(apps::RegHandle key, uint32_t index, char* name, uint32_t size) override {
    ++calls;
    return Win32RegistryApi::RegEnumKeyA(key, index, name, size);
  }
  int32_t RegCloseKey(apps::RegHandle key) override {
    ++calls;
    return Win32RegistryApi::RegCloseKey(key);
  }
  int32_t RegConnectRegistryA(const char* machine, apps::RegHandle key, apps::RegHandle& result) override {
    ++calls;
    return Win32RegistryApi::RegConnectRegistryA(machine, key, result);
  }
};

class LibraryTavisk : public Tavisk {
 public:
  int32_t NetGetInteractiveUser(std::wstring_view server, std::wstring& user, std::wstring& account) override {
    return win32::tavisk_library().NetGetInteractiveUser(server, user, account);
  }
  int32_t NetRegLoadKey(std::wstring_view machine, int32_t root, std::wstring_view key,
                        std::wstring_view hive) override {
    return win32::tavisk_library().NetRegLoadKey(machine, root, key, hive);
  }
  int32_t NetRegUnLoadKey(std::wstring_view machine, int32_t root, std::wstring_view key) override {
    return win32::tavisk_library().NetRegUnLoadKey(machine, root, key);
  }
};

std::wstring this_computer() {
  wchar_t name[MAX_COMPUTERNAME_LENGTH + 1];
  DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
  if (!GetComputerNameW(name, &size)) throw Error(static_cast<int32_t>(GetLastError()), L"GetComputerName failed");
  return std::wstring(name, size);
}

// The fixture with this machine as a computer of the console's domain.
std::wstring bench_fixture(const std::wstring& fixture, const std::wstring& computer) {
  std::ifstream in(fixture.c_str());
  std::stringstream text;
  text << in.rdbuf();
  wchar_t folder[MAX_PATH];
  GetTempPathW(MAX_PATH, folder);
  const std::wstring path = std::wstring(folder) + L"apps-tree-bench.fixture";
  std::ofstream(path.c_str(), std::ios::binary)
      << text.str() << "\n[computer " << std::string(computer.begin(), computer.end())
      << "]\ndomain SALES\nreachable yes\nip 127.0.0.1\n";
  return path;
}

std::wstring hive_file() {
  wchar_t folder[MAX_PATH];
  GetTempPathW(MAX_PATH, folder);
  return std::wstring(folder) + L"apps-tree-bench.dbx";
}

// The floor: what the load cannot do without, the same keys enumerated and
// opened and the same value read, through the same connection kind.
double floor_ms(const std::wstring& computer) {
  const auto start = Clock::now();
  win32::unique_hkey root;
  const std::string name(computer.begin(), computer.end());
  if (RegConnectRegistryA(name.c_str(), HKEY_LOCAL_MACHINE, root.put()) != ERROR_SUCCESS) {
    throw Error(53, L"The floor cannot connect to this machine's registry");
  }
  std::function<void(HKEY, const std::string&)> walk = [&](HKEY parent, const std::string& path) {
    win32::unique_hkey key;
    if (RegOpenKeyExA(parent, path.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS) return;
    char child[256];
    for (DWORD index = 0; RegEnumKeyA(key.get(), index, child, sizeof child) == ERROR_SUCCESS; ++index) {
      const std::string full = path + "\\" + child;
      if (full.find("MachInst") == std::string::npos || full.ends_with("MachInst")) {
        walk(parent, full);
        continue;
      }
      win32::unique_hkey package;
      if (RegOpenKeyExA(parent, full.c_str(), 0, KEY_READ, package.put()) != ERROR_SUCCESS) continue;
      BYTE data[1024];
      DWORD type = 0, size = sizeof data;
      RegQueryValueExA(package.get(), "Re-Install", nullptr, &type, data, &size);
    }
  };
  walk(root.get(), "QM\\LastRun\\APPIMAGE");
  return ms_since(start);
}

struct Bench {
  win32::ui::Win32WindowSystem window_system;
  win32::ui::Win32UserInterface user_interface{L"Pendrel"};
  database::OdbcObjects odbc;
  LibraryTavisk tavisk;
  win32::SystemClock clock;
  CountingRegistry registry;
  component::Services services{odbc, tavisk, clock, registry,
                               [](std::wstring_view prog_id) { return create(std::wstring(prog_id).c_str()); }};
  component::Environment env{window_system, user_interface, win32::ui::make_peer_factory({})};
  std::wstring computer_name = this_computer();
  DispatchPtr domain = create(L"PendrelHost.DomainObject");
  DispatchPtr computer;

  explicit Bench(const std::wstring& fixture) {
    env.services = &services;
    fixtures::SetMachineSettings(L"QM\\", L"");
    domain->call(L"OpenFixture", {bench_fixture(fixture, computer_name)});
    computer = domain->call(L"GetComputer", {computer_name}).to_object();
    // What the window's load would have found out.
    computer->let(L"Reachable", true);
  }

  // Writes count packages into the hive file and mounts it as the key QM.
  void mount(int count) {
    tavisk.NetRegUnLoadKey(computer_name, static_cast<int32_t>(apps::kLocalMachine), L"QM");
    fixtures::SaveProductHive(fixtures::GeneratedPackages(count), hive_file());
    const int32_t status =
        tavisk.NetRegLoadKey(computer_name, static_cast<int32_t>(apps::kLocalMachine), L"QM", hive_file());
    if (status != 0) throw Error(status, L"The product hive did not mount");
  }

  // One load of the shown window's tree, as a double-click on it runs it.
  double load(int expected_packages) {
    details::FrmComputerDetails window(env);
    window.form().load();
    window.set_DomainObject(domain);
    window.set_Computer(computer);
    window.LoadedOnce = true;
    window.form().show(0);
    forms::TreeView& tree = window.form().get<forms::TreeView>(L"tvwApps");
    tree.nodes().add(L"Root", apps::kUnloadedText);
    registry.calls = 0;
    const auto start = Clock::now();
    apps::tvwApps_DblClick(window.apps_window());
    const double ms = ms_since(start);

    int packages = 0;
    for (int i = 1; i <= tree.nodes().count(); ++i) packages += tree.nodes().item(i).tag() == L"Apps";
    if (packages != expected_packages) {
      throw Error(5, L"The tree holds " + std::to_wstring(packages) + L" packages, not " +
                         std::to_wstring(expected_packages));
    }
    window.form().unload();
    return ms;
  }
};

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

int run(int argc, wchar_t** argv) {
  if (argc < 2) {
    std::fwprintf(stderr, L"usage: apps_tree_bench <fixture>\n");
    return 2;
  }
  Bench bench(argv[1]);
  bool within = true;

  bench.mount(kFloorPackages);
  std::vector<double> loads, floors;
  for (int i = 0; i < kRuns; ++i) {
    floors.push_back(floor_ms(bench.computer_name));
    loads.push_back(bench.load(kFloorPackages));
  }
  const double factor = median(loads) / median(floors);
  std::printf("%d packages: load %.0f ms, floor %.0f ms (enumerate, open, read), factor %.2f (limit %.2f)\n",
              kFloorPackages, median(loads), median(floors), factor, kFloorLimit);
  std::printf("registry calls per package: %.2f\n",
              static_cast<double>(bench.registry.calls) / static_cast<double>(kFloorPackages));
  within = within && factor <= kFloorLimit;

  // "floor" as a second argument leaves the growth out.
  const bool growth = argc < 3 || std::wstring(argv[2]) != L"floor";
  double previous = 0;
  for (int count = 1000; growth && count <= 16000; count *= 2) {
    bench.mount(count);
    std::vector<double> times;
    for (int i = 0; i < kRuns; ++i) times.push_back(bench.load(count));
    const double ms = median(times);
    if (previous > 0) {
      const double growth = ms / previous;
      std::printf("%5d packages: %.0f ms, over %d: %.2f (limit %.1f)\n", count, ms, count / 2, growth, kGrowthLimit);
      within = within && growth <= kGrowthLimit;
    } else {
      std::printf("%5d packages: %.0f ms\n", count, ms);
    }
    previous = ms;
  }
  bench.tavisk.NetRegUnLoadKey(bench.computer_name, static_cast<int32_t>(apps::kLocalMachine), L"QM");
  std::printf("apps tree: %s\n", within ? "within" : "OVER");
  return within ? 0 : 1;
}

}  // namespace
}  // namespace pendrel

int wmain(int argc, wchar_t** argv) { return pendrel::bench::run_main(L"apps_tree_bench", argc, argv, pendrel::run); }
