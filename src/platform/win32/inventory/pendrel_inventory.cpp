// pendrel-inventory: the details window's load for many computers, into a
// CSV or JSON-lines file and the management database. Run without
// arguments (or with --help) for its usage.
#include <windows.h>

#include <cstdio>
#include <string>
#include <variant>
#include <vector>

#include "inventory/options.h"
#include "inventory/run.h"
#include "platform/win32/inventory/com_reporter.h"
#include "report/computer_report.h"

int wmain(int argc, wchar_t** argv) {
  using namespace pendrel;
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) args.push_back(report::to_utf8(argv[i]));
  const auto parsed = inventory::parse_options(args);
  if (const auto* usage = std::get_if<inventory::Usage>(&parsed)) {
    std::fputs(usage->text.c_str(), usage->exit_code == 0 ? stdout : stderr);
    return usage->exit_code;
  }
  const inventory::Options& options = std::get<inventory::Options>(parsed);
  const win32::ComApartment apartment;
  win32::load_servers();
  const int rc = inventory::run_inventory(
      options, [&options] { return std::make_unique<win32::ComReporter>(options); }, stderr);
  std::fflush(stdout);
  std::fflush(stderr);
  // A worker given up after a time-out may still be inside a call that
  // never returns: the process ends without waiting for it.
  ExitProcess(static_cast<UINT>(rc));
}
