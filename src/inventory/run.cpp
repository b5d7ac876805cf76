#include "inventory/run.h"

#include <cmath>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <random>
#include <set>
#include <thread>
#ifdef _WIN32
#include <process.h>
#else
#include <unistd.h>
#endif

#include "core/error.h"
#include "host/fixture/fixture.h"
#include "inventory/output.h"

namespace pendrel::inventory {
namespace {

using Clock = std::chrono::steady_clock;

int process_id() {
#ifdef _WIN32
  return _getpid();
#else
  return getpid();
#endif
}

std::wstring describe(const Error& e) {
  return e.description() + L" (error " + std::to_wstring(e.number()) + L")";
}

std::wstring describe_current() {
  try {
    throw;
  } catch (const Error& e) {
    return describe(e);
  } catch (const std::exception& e) {
    return report::from_utf8(e.what());
  }
}

struct Slot {
  std::optional<std::wstring> computer;  // being reported now
  Clock::time_point started;
  bool abandoned = false;  // timed out: its thread leaves without touching the run
  bool exited = false;
};

// What the workers share; every member is used under `mutex`. A worker that
// was given up holds this alive but touches nothing after it learns so.
struct Run {
  Run(WorkSource& source, const std::function<void(const std::string&)>& write_row)
      : source(source), write_row(write_row) {}

  std::mutex mutex;
  std::condition_variable changed;
  WorkSource& source;
  const std::function<void(const std::string&)>& write_row;
  Progress progress;
  std::wstring source_error;  // a claim that failed ends the run

  std::optional<std::wstring> claim() {
    if (!source_error.empty()) return std::nullopt;
    try {
      return source.claim();
    } catch (...) {
      source_error = describe_current();
      return std::nullopt;
    }
  }

  bool exhausted() {
    if (!source_error.empty()) return true;
    try {
      return source.exhausted();
    } catch (...) {
      source_error = describe_current();
      return true;
    }
  }

  void complete(const std::wstring& computer, const std::string& json, bool failed) {
    try {
      if (!source.finish(computer, json)) return;
      write_row(json);
    } catch (...) {
      write_row(failure_json(computer, L"The report could not be recorded: " + describe_current()));
      failed = true;
    }
    ++progress.done;
    if (failed) ++progress.failed;
  }
};

void work(std::shared_ptr<Run> run, std::shared_ptr<Slot> slot, ReporterFactory reporters) {
  std::unique_ptr<Reporter> reporter;
  std::wstring no_reporter;
  try {
    reporter = reporters();
  } catch (...) {
    no_reporter = describe_current();
  }
  for (;;) {
    std::wstring computer;
    bool wait = false;
    {
      std::lock_guard lock(run->mutex);
      if (slot->abandoned) break;
      std::optional<std::wstring> next = run->claim();
      if (next) {
        computer = *next;
        slot->computer = computer;
        slot->started = Clock::now();
      } else if (run->exhausted()) {
        break;
      } else {
        wait = true;
      }
    }
    if (wait) {
      std::this_thread::sleep_for(std::chrono::milliseconds(500));
      continue;
    }
    std::string json;
    bool failed = !reporter;
    if (reporter) {
      try {
        json = reporter->report(computer);
        report_of_json(json);  // a row must hold a report
      } catch (...) {
        json = failure_json(computer, describe_current());
        failed = true;
      }
    } else {
      json = failure_json(computer, no_reporter);
    }
    std::lock_guard lock(run->mutex);
    if (slot->abandoned) break;
    slot->computer.reset();
    run->complete(computer, json, failed);
  }
  {
    std::lock_guard lock(run->mutex);
    slot->exited = true;
  }
  run->changed.notify_all();
}

class ListSource : public WorkSource {
 public:
  ListSource(std::vector<std::wstring> computers, InventoryDatabase* database)
      : computers_(std::move(computers)), database_(database) {}
  std::size_t total() override { return computers_.size(); }
  std::optional<std::wstring> claim() override {
    if (next_ == computers_.size()) return std::nullopt;
    return computers_[next_++];
  }
  bool finish(const std::wstring&, const std::string& json) override {
    if (database_) database_->write_snapshot(json, utc_now_text());
    return true;
  }

 private:
  std::vector<std::wstring> computers_;
  std::size_t next_ = 0;
  InventoryDatabase* database_;
};

class QueueSource : public WorkSource {
 public:
  QueueSource(InventoryDatabase& database, std::wstring run, int claim_seconds)
      : database_(database), run_(std::move(run)), claim_seconds_(claim_seconds) {
    std::random_device random;
    owner_ = L"inventory-" + std::to_wstring(process_id()) + L"-" + std::to_wstring(random());
    database_.fill_queue(run_);
  }
  std::size_t total() override { return database_.queued(run_, false); }
  bool exhausted() override { return database_.queued(run_, true) == 0; }
  std::optional<std::wstring> claim() override {
    std::optional<EquipmentRow> row = database_.claim(run_, owner_, claim_seconds_);
    if (!row) return std::nullopt;
    claimed_.push_back(*row);
    return row->computer;
  }
  bool finish(const std::wstring& computer, const std::string& json) override {
    for (auto it = claimed_.begin(); it != claimed_.end(); ++it) {
      if (it->computer != computer) continue;
      const EquipmentRow row = *it;
      claimed_.erase(it);
      return database_.finish(run_, owner_, row, json, utc_now_text());
    }
    return false;
  }

 private:
  InventoryDatabase& database_;
  std::wstring run_;
  int claim_seconds_;
  std::wstring owner_;
  std::vector<EquipmentRow> claimed_;
};

std::wstring today_utc() { return utc_now_text().substr(0, 10); }

std::vector<std::wstring> fixture_computers(const std::wstring& path) {
  std::vector<std::wstring> names;
  for (const host::ComputerData& computer : host::load_fixture(path).computers) names.push_back(computer.name);
  return names;
}

}  // namespace

Progress run_workers(WorkSource& source, const ReporterFactory& reporters,
                     const std::function<void(const std::string&)>& write_row, const RunSettings& settings) {
  auto run = std::make_shared<Run>(source, write_row);
  const Clock::time_point start = Clock::now();
  std::vector<std::pair<std::shared_ptr<Slot>, std::thread>> workers;
  std::unique_lock lock(run->mutex);
  run->progress.total = source.total();
  const auto start_worker = [&] {
    auto slot = std::make_shared<Slot>();
    workers.emplace_back(slot, std::thread(work, run, slot, reporters));
  };
  for (int i = 0; i < settings.parallel; ++i) start_worker();
  Clock::time_point shown = start;
  for (;;) {
    run->changed.wait_for(lock, std::chrono::milliseconds(100));
    const Clock::time_point now = Clock::now();
    run->progress.seconds = std::chrono::duration<double>(now - start).count();
    bool running = false;
    for (std::size_t i = 0; i < workers.size(); ++i) {
      Slot& slot = *workers[i].first;
      if (slot.exited || slot.abandoned) continue;
      if (slot.computer && now - slot.started > settings.timeout) {
        slot.abandoned = true;
        workers[i].second.detach();
        const auto seconds = std::chrono::duration<double>(settings.timeout).count();
        wchar_t text[64];
        std::swprintf(text, std::size(text), L"No report within %g seconds", seconds);
        run->complete(*slot.computer, failure_json(*slot.computer, text), true);
        start_worker();
      }
      running = true;
    }
    if (!running) break;
    if (settings.on_progress && now - shown >= std::chrono::seconds(1)) {
      shown = now;
      settings.on_progress(run->progress);
    }
  }
  Progress progress = run->progress;
  if (!run->source_error.empty()) {
    progress.failed += progress.total > progress.done ? progress.total - progress.done : 0;
  }
  lock.unlock();
  // Every worker has left its loop; what is left of each is its reporter's
  // teardown (releasing its objects, leaving its apartment). A worker given
  // up after a time-out was detached then.
  for (auto& [slot, thread] : workers) {
    if (thread.joinable()) thread.join();
  }
  if (!run->source_error.empty()) {
    throw Error(5, L"The run could not take its next computer: " + run->source_error);
  }
  if (settings.on_progress) settings.on_progress(progress);
  return progress;
}

int run_inventory(const Options& options, const ReporterFactory& reporters, std::FILE* err) {
  const std::optional<OutputFormat> format = output_format_of(options.out);
  if (!format) {
    std::fprintf(err, "pendrel-inventory: --out must name a .csv or a .jsonl file\n");
    return 2;
  }
  try {
    std::unique_ptr<InventoryDatabase> database;
    if (!options.database.empty()) database = std::make_unique<InventoryDatabase>(options.database);
    RowFile file(options.out, *format, options.resume);

    std::unique_ptr<WorkSource> source;
    if (options.all && database && database->shared_queue()) {
      const int claim_seconds = static_cast<int>(std::ceil(options.timeout_seconds)) * 2;
      source = std::make_unique<QueueSource>(*database, options.run.empty() ? today_utc() : options.run,
                                             claim_seconds);
    } else {
      std::vector<std::wstring> computers = options.computers;
      if (options.all && database) {
        for (const EquipmentRow& row : database->equipment()) computers.push_back(row.computer);
      } else if (options.all) {
        computers = fixture_computers(options.fixture);
      }
      std::erase_if(computers, [&](const std::wstring& name) { return file.done().contains(name); });
      source = std::make_unique<ListSource>(std::move(computers), database.get());
    }

    RunSettings settings;
    settings.parallel = options.parallel;
    settings.timeout = std::chrono::milliseconds(static_cast<int64_t>(options.timeout_seconds * 1000));
    settings.on_progress = [err](const Progress& progress) {
      std::fprintf(err, "\r%s   ", progress_line(progress).c_str());
      std::fflush(err);
    };
    const Progress progress =
        run_workers(*source, reporters, [&](const std::string& json) { file.write(json); }, settings);
    std::fprintf(err, "\n%s\n", summary_line(progress).c_str());
    return progress.failed > 0 ? 1 : 0;
  } catch (...) {
    std::fprintf(err, "\npendrel-inventory: %s\n", report::to_utf8(describe_current()).c_str());
    return 1;
  }
}

}  // namespace pendrel::inventory
