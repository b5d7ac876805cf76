#include "inventory/options.h"

#include <CLI/CLI.hpp>

#include "report/computer_report.h"

namespace pendrel::inventory {

std::variant<Options, Usage> parse_options(const std::vector<std::string>& args) {
  CLI::App app{"Reports many computers as the details window loads them, into CSV or JSON lines.",
               "pendrel-inventory"};
  std::string fixture, out, database, run;
  std::vector<std::string> computers;
  Options options;
  CLI::Option* fixture_option = app.add_option("--fixture", fixture, "the reference host's fixture file");
  CLI::Option* live_option = app.add_flag("--live", options.live, "the live host (this network)");
  CLI::Option* computers_option =
      app.add_option("--computers", computers, "the computers to report, separated by commas")->delimiter(',');
  CLI::Option* all_option =
      app.add_flag("--all", options.all, "every equipment row of the database, or every computer of the fixture");
  app.add_option("--out", out, "FILE.csv or FILE.jsonl: one row per computer, written as it finishes")->required();
  app.add_option("--parallel", options.parallel, "workers, each with its own thread and host objects")
      ->capture_default_str()
      ->check(CLI::Range(1, 64));
  app.add_option("--timeout", options.timeout_seconds, "seconds one computer may take")
      ->capture_default_str()
      ->check(CLI::Range(1.0, 86400.0));
  app.add_flag("--apps", options.apps, "also the applications, work groups, make and model");
  app.add_option("--database", database, "ODBC connection string of the management database");
  app.add_flag("--resume", options.resume, "keep the rows of --out and report only the computers without one");
  app.add_option("--run", run, "name of a run shared on a PostgreSQL database (default: today's date)");
  fixture_option->excludes(live_option);
  computers_option->excludes(all_option);
  try {
    std::vector<std::string> reversed(args.rbegin(), args.rend());
    app.parse(reversed);
    if (fixture.empty() && !options.live) throw CLI::ValidationError("give --fixture FILE or --live");
    if (computers.empty() && !options.all) throw CLI::ValidationError("give --computers NAME,... or --all");
    if (options.live && options.all && database.empty())
      throw CLI::ValidationError("--all with --live takes the equipment rows of --database");
  } catch (const CLI::CallForHelp&) {
    return Usage{app.help(), 0};
  } catch (const CLI::ParseError& e) {
    return Usage{std::string(e.what()) + "\n" + app.help(), 2};
  }
  options.fixture = report::from_utf8(fixture);
  options.out = report::from_utf8(out);
  options.database = report::from_utf8(database);
  options.run = report::from_utf8(run);
  for (const std::string& name : computers) options.computers.push_back(report::from_utf8(name));
  return options;
}

}  // namespace pendrel::inventory
