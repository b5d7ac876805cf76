// The inventory of 1,000 computers from a generated fixture with 20 ms of
// latency before every host member (tools/make-fixture --computers 1000
// --delay 20), 16 workers. Prints computers per second, the ratio of the
// wall time to the ideal (the sum of the single-computer loads / 16, at
// most 1.25) and the growth of the process's private bytes from computer
// 100 to computer 1,000 (under 20 MB); exits 1 when either is exceeded.
//
//   inventory_bench <fixture (Windows path)> [database connection string]
//
// Needs the reference host and pendrel.dll registered.
#include <windows.h>
#include <psapi.h>

#include <atomic>
#include <chrono>
#include <cstdio>

#include "host/fixture/fixture.h"
#include "inventory/run.h"
#include "platform/win32/inventory/com_reporter.h"

namespace {

using namespace pendrel;
using Clock = std::chrono::steady_clock;

constexpr int kWorkers = 16;

std::atomic<int64_t> load_microseconds{0};

class TimedReporter : public inventory::Reporter {
 public:
  explicit TimedReporter(const inventory::Options& options) : inner_(options) {}
  std::string report(const std::wstring& computer) override {
    const Clock::time_point start = Clock::now();
    std::string json = inner_.report(computer);
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

double private_megabytes() {
  PROCESS_MEMORY_COUNTERS_EX counters{};
  GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof counters);
  return static_cast<double>(counters.PrivateUsage) / (1024.0 * 1024.0);
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

  std::size_t written = 0;
  double at_100 = 0, at_end = 0;
  inventory::RunSettings settings;
  settings.parallel = kWorkers;
  settings.timeout = std::chrono::seconds(120);
  const Clock::time_point start = Clock::now();
  const inventory::Progress progress = inventory::run_workers(
      computers, [&options] { return std::make_unique<TimedReporter>(options); },
      [&](const std::string&) {
        ++written;
        if (written == 100) at_100 = private_megabytes();
        if (written == names.size()) at_end = private_megabytes();
      },
      settings);
  const double wall = std::chrono::duration<double>(Clock::now() - start).count();
  const double ideal = static_cast<double>(load_microseconds) / 1e6 / kWorkers;
  const double ratio = wall / ideal;
  const double growth = at_end - at_100;
  std::printf("inventory: %zu computers, %d workers, %zu failed\n", progress.done, kWorkers, progress.failed);
  std::printf("  %.1f computers/s; wall %.1f s, ideal (sum of loads / %d) %.1f s, ratio %.2f (at most 1.25)\n",
              static_cast<double>(progress.done) / wall, wall, kWorkers, ideal, ratio);
  std::printf("  private bytes from computer 100 to %zu: %+.1f MB (under 20 MB)\n", names.size(), growth);
  std::fflush(stdout);
  ExitProcess(ratio <= 1.25 && growth < 20 && progress.failed == 0 ? 0 : 1);
}
