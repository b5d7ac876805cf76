// The inventory of 1,000 computers from a generated fixture with 20 ms of
// latency before every host member (tools/make-fixture --computers 1000
// --delay 20), 16 workers. Prints computers per second, the ratio of the
// wall time to the ideal (the sum of the single-computer loads / 16, at
// most 1.25) and the growth of the process's private bytes (its committed
// private pages) from computer 100 to the end of the run (under 20 MB);
// exits 1 when either is exceeded or a computer failed, whose first errors
// it prints.
//
//   inventory_bench <fixture (Windows path)> [database connection string]
//
// Needs the reference host and pendrel.dll registered.
#include <windows.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <mutex>
#include <string>
#include <vector>

#include "core/error.h"
#include "host/fixture/fixture.h"
#include "inventory/run.h"
#include "platform/win32/inventory/com_reporter.h"

namespace {

using namespace pendrel;
using Clock = std::chrono::steady_clock;

constexpr int kWorkers = 16;

std::atomic<int64_t> load_microseconds{0};

// The first few failures, printed after the figures: a failed computer
// means the figures are not the product's.
std::mutex failures_mutex;
std::vector<std::wstring> first_failures;

void note_failure(const std::wstring& computer, const std::wstring& text) {
  std::lock_guard lock(failures_mutex);
  if (first_failures.size() < 5) first_failures.push_back(computer + L": " + text);
}

class TimedReporter : public inventory::Reporter {
 public:
  explicit TimedReporter(const inventory::Options& options) : inner_(options) {}
  std::string report(const std::wstring& computer) override {
    const Clock::time_point start = Clock::now();
    std::string json;
    try {
      json = inner_.report(computer);
    } catch (const Error& e) {
      note_failure(computer, e.description() + L" (error " + std::to_wstring(e.number()) + L")");
      throw;
    }
    load_microseconds += std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - start).count();
    return json;
  }

 private:
  win32::ComReporter inner_;
};

class Computers : public inventory::WorkSource {
 public:
  explicit Computers(std::vector<std::wstring> names) : names_(std::move(names)) {}
  std::size_t total() override { return names_.size(); }
  std::optional<std::wstring> claim() override {
    if (next_ == names_.size()) return std::nullopt;
    return names_[next_++];
  }
  bool finish(const std::wstring&, const std::string&) override { return true; }

 private:
  std::vector<std::wstring> names_;
  std::size_t next_ = 0;
};

// The committed private pages of the process, by a walk over its address
// space: under Wine GetProcessMemoryInfo's PrivateUsage stays 0.
double private_megabytes() {
  SYSTEM_INFO system{};
  GetSystemInfo(&system);
  SIZE_T bytes = 0;
  MEMORY_BASIC_INFORMATION region{};
  for (auto* at = static_cast<const char*>(system.lpMinimumApplicationAddress);
       at < system.lpMaximumApplicationAddress && VirtualQuery(at, &region, sizeof region) == sizeof region;
       at = static_cast<const char*>(region.BaseAddress) + region.RegionSize) {
    if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE) bytes += region.RegionSize;
  }
  return static_cast<double>(bytes) / (1024.0 * 1024.0);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) {
    std::fwprintf(stderr, L"usage: inventory_bench <fixture> [database connection string]\n");
    return 2;
  }
  inventory::Options options;
  options.fixture = argv[1];
  if (argc > 2) options.database = argv[2];
  std::vector<std::wstring> names;
  for (const host::ComputerData& c : host::load_fixture(options.fixture).computers) names.push_back(c.name);
  Computers computers(names);
  const win32::ComApartment apartment;
  win32::load_servers();

  std::size_t written = 0;
  // Measured at computer 100 and at the last row written while every worker
  // still lives: once the run runs dry the workers' threads end, and what
  // they free (their stacks and apartments, some 40 MB for 16 under Wine)
  // would hide a leak of that size.
  const std::size_t last_full = names.size() - kWorkers;
  double at_100 = 0, at_last_full = 0, at_end = 0;
  std::string every_100;
  inventory::RunSettings settings;
  settings.parallel = kWorkers;
  settings.timeout = std::chrono::seconds(120);
  const Clock::time_point start = Clock::now();
  const inventory::Progress progress = inventory::run_workers(
      computers, [&options] { return std::make_unique<TimedReporter>(options); },
      [&](const std::string&) {
        ++written;
        if (written % 100 != 0 && written != last_full && written != names.size()) return;
        const double now = private_megabytes();
        if (written == 100) at_100 = now;
        if (written == last_full) at_last_full = now;
        if (written == names.size()) at_end = now;
        if (written % 100 == 0) every_100 += (every_100.empty() ? "" : " ") + std::to_string(std::lround(now));
      },
      settings);
  const double wall = std::chrono::duration<double>(Clock::now() - start).count();
  const double ideal = static_cast<double>(load_microseconds) / 1e6 / kWorkers;
  const double ratio = wall / ideal;
  const double growth = at_last_full - at_100;
  std::printf("inventory: %zu computers, %d workers, %zu failed\n", progress.done, kWorkers, progress.failed);
  std::printf("  %.1f computers/s; wall %.1f s, ideal (sum of loads / %d) %.1f s, ratio %.2f (at most 1.25)\n",
              static_cast<double>(progress.done) / wall, wall, kWorkers, ideal, ratio);
  std::printf("  private bytes from computer 100 to %zu: %.1f MB to %.1f MB, %+.1f MB (under 20 MB); %.1f MB at %zu\n",
              last_full, at_100, at_last_full, growth, at_end, names.size());
  std::printf("  private MB after every 100 computers: %s\n", every_100.c_str());
  for (const std::wstring& failure : first_failures) std::printf("  failed: %ls\n", failure.c_str());
  std::fflush(stdout);
  ExitProcess(ratio <= 1.25 && growth < 20 && progress.failed == 0 ? 0 : 1);
}
