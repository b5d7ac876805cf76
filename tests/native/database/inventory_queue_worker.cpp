// pendrel-inventory's run with a stand-in for the component: each report
// takes 100 ms. The queue test starts two of these against one database.
#include <chrono>
#include <cstdio>
#include <thread>

#include "inventory/options.h"
#include "inventory/run.h"
#include "report/computer_report.h"

namespace {

class SlowReporter : public pendrel::inventory::Reporter {
 public:
  std::string report(const std::wstring& computer) override {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    pendrel::report::ComputerReport r;
    r.computer = computer;
    r.domain = L"QUEUE";
    r.reachable = true;
    return pendrel::report::to_json(r);
  }
};

}  // namespace

int main(int argc, char** argv) {
  using namespace pendrel::inventory;
  const auto parsed = parse_options(std::vector<std::string>(argv + 1, argv + argc));
  if (const auto* usage = std::get_if<Usage>(&parsed)) {
    std::fputs(usage->text.c_str(), stderr);
    return usage->exit_code;
  }
  return run_inventory(std::get<Options>(parsed), [] { return std::make_unique<SlowReporter>(); }, stderr);
}
