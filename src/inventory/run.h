// The inventory run: workers, each on its own thread with its own reporter
// (the host objects and the component it creates there), take computers
// from a work source and hand each report to the output as it finishes.
// A computer whose report fails or takes longer than the time-out gets a row
// with its error; its worker is given up (its call cannot be interrupted)
// and a new one takes its place, so nothing stops the run.
#pragma once

#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "inventory/inventory_database.h"
#include "inventory/options.h"
#include "inventory/progress.h"

namespace pendrel::inventory {

// One worker's way to a report, made on the worker's own thread and used
// only there.
class Reporter {
 public:
  virtual ~Reporter() = default;
  // The computer's report as JSON (UTF-8); raises Error when there is none.
  virtual std::string report(const std::wstring& computer) = 0;
};
using ReporterFactory = std::function<std::unique_ptr<Reporter>()>;

// Where the computers come from and where their reports are recorded
// besides the output file. Called by one thread at a time.
class WorkSource {
 public:
  virtual ~WorkSource() = default;
  virtual std::size_t total() = 0;
  virtual std::optional<std::wstring> claim() = 0;
  // After claim gave nothing: true when nothing is left, false when other
  // processes still hold claims that may run out and come back.
  virtual bool exhausted() { return true; }
  // Records the outcome; false when it is no longer this process's to
  // record (a shared claim that ran out), and then the row is dropped.
  virtual bool finish(const std::wstring& computer, const std::string& json) = 0;
};

struct RunSettings {
  int parallel = 8;
  std::chrono::milliseconds timeout{120000};
  // Called about once a second and at the end.
  std::function<void(const Progress&)> on_progress;
};

// Runs until the source has nothing left and every worker is done; rows go
// to write_row (the report's JSON) in the order they finish.
Progress run_workers(WorkSource& source, const ReporterFactory& reporters,
                     const std::function<void(const std::string&)>& write_row, const RunSettings& settings);

// The whole program below its command line: the computers of the options,
// the output file (resumed), the database, the progress on `progress` and
// the summary line. Returns the exit code: 0, or 1 when any computer failed.
int run_inventory(const Options& options, const ReporterFactory& reporters, std::FILE* progress);

}  // namespace pendrel::inventory
