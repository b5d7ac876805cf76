// The command line of pendrel-inventory.
#pragma once

#include <string>
#include <variant>
#include <vector>

namespace pendrel::inventory {

struct Options {
  std::wstring fixture;  // empty with --live
  bool live = false;
  std::vector<std::wstring> computers;  // empty with --all
  bool all = false;
  std::wstring out;
  int parallel = 8;
  double timeout_seconds = 120;
  bool apps = false;
  std::wstring database;  // ODBC connection string, empty without --database
  bool resume = false;
  // The shared run of several processes on a PostgreSQL database: by default
  // the day's (UTC), so that processes started the same day share one.
  std::wstring run;
};

// What to print instead of running: the help (exit code 0) or a usage error
// (exit code 2).
struct Usage {
  std::string text;
  int exit_code = 2;
};

// Arguments in UTF-8, without the program name.
std::variant<Options, Usage> parse_options(const std::vector<std::string>& args);

}  // namespace pendrel::inventory
