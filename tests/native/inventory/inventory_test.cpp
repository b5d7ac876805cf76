// The inventory's portable part: options, the run with its failures and
// time-outs, the output read back by Python's csv module and a JSON parser,
// resuming an interrupted file, and the snapshots in a real SQLite database
// with the README's queries run against them.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <sstream>
#include <thread>

#include "core/error.h"
#include "inventory/options.h"
#include "inventory/output.h"
#include "inventory/progress.h"
#include "inventory/run.h"

namespace pendrel::inventory {
namespace {

using nlohmann::json;
namespace fs = std::filesystem;

std::string read_text(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// The records of a CSV file as Python's csv module reads them.
json csv_records(const fs::path& path) {
  const std::string command =
      "python3 -c 'import csv, json, sys; print(json.dumps(list(csv.reader(open(sys.argv[1], newline=\"\", "
      "encoding=\"utf-8\")))))' " + path.string();
  std::FILE* pipe = popen(command.c_str(), "r");
  std::string out;
  for (char buffer[4096]; size_t n = std::fread(buffer, 1, sizeof buffer, pipe);) out.append(buffer, n);
  EXPECT_EQ(pclose(pipe), 0) << command;
  return json::parse(out);
}

std::vector<json> json_lines(const fs::path& path) {
  std::vector<json> rows;
  std::istringstream in(read_text(path));
  for (std::string line; std::getline(in, line);) rows.push_back(json::parse(line));
  return rows;
}

// The hard facts of a report: quotes, commas, line breaks, 10,000
// characters, non-ASCII names.
report::ComputerReport hard_report(const std::wstring& computer) {
  report::ComputerReport r;
  r.computer = computer;
  r.domain = L"SALES";
  r.reachable = true;
  r.ip_address = L"127.0.0.1";
  r.mac_address = L"00-1A-2B-3C-4D-5E";
  r.os = L"Windows XP";
  r.description = L"Front desk, \"main\" entrance\r\nsecond line\n" + std::wstring(10000, L'x');
  r.clock_skew_seconds = -3600;
  r.users = {{L"Logged On", L"SALES\\j\u00FCrgen.m\u00FCller", L"J\u00FCrgen, \"Stra\u00DFe\"\n5"}};
  // ASCII: the SQLite driver under unixODBC is ANSI-only, so the columns
  // beside the JSON keep only ASCII intact.
  r.console_account = L"SALES\\jmueller";
  r.errors = {{L"Loading users", L"The network path was not found."}};
  return r;
}

// Reports as the component would: the hard one for every name, a raised
// error for PCFAIL, no JSON for PCBAD, and PCSLOW takes longer than the run
// waits.
class FakeReporter : public Reporter {
 public:
  std::string report(const std::wstring& computer) override {
    if (computer == L"PCFAIL") throw Error(static_cast<int32_t>(0x80070035), L"The network path was not found.");
    if (computer == L"PCBAD") return "not json";
    if (computer == L"PCSLOW") std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    return report::to_json(hard_report(computer));
  }
};

struct Ran {
  int exit_code;
  std::string progress;
};

Ran run(Options options) {
  std::FILE* progress = std::tmpfile();
  const int rc = run_inventory(options, [] { return std::make_unique<FakeReporter>(); }, progress);
  std::rewind(progress);
  std::string text;
  for (char buffer[4096]; size_t n = std::fread(buffer, 1, sizeof buffer, progress);) text.append(buffer, n);
  std::fclose(progress);
  return {rc, text};
}

Options options_for(const fs::path& out, std::vector<std::wstring> computers) {
  Options options;
  options.fixture = L"unused.fixture";
  options.computers = std::move(computers);
  options.out = out.wstring();
  options.parallel = 3;
  options.timeout_seconds = 0.5;
  return options;
}

class Inventory : public ::testing::Test {
 protected:
  fs::path dir = fs::temp_directory_path() / ("inventory_test_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                                              ::testing::UnitTest::GetInstance()->current_test_info()->name());
  void SetUp() override { fs::create_directories(dir); }
  void TearDown() override { fs::remove_all(dir); }
};

TEST(InventoryOptions, CommandLines) {
  const auto parse = [](std::vector<std::string> args) { return parse_options(args); };
  auto all = parse({"--fixture", "f.fixture", "--all", "--out", "o.csv"});
  ASSERT_TRUE(std::holds_alternative<Options>(all));
  EXPECT_TRUE(std::get<Options>(all).all);
  EXPECT_EQ(std::get<Options>(all).parallel, 8);
  EXPECT_EQ(std::get<Options>(all).fixture, L"f.fixture");

  auto full = parse({"--live", "--computers", "PC042,J\xC3\xBCRGEN", "--out", "o.jsonl", "--parallel", "16",
                     "--timeout", "30", "--apps", "--resume", "--database", "Driver={SQLite3};Database=x"});
  ASSERT_TRUE(std::holds_alternative<Options>(full));
  const Options& o = std::get<Options>(full);
  EXPECT_EQ(o.computers, (std::vector<std::wstring>{L"PC042", L"J\u00FCRGEN"}));
  EXPECT_EQ((std::tuple{o.live, o.parallel, o.timeout_seconds, o.apps, o.resume, o.database}),
            (std::tuple{true, 16, 30.0, true, true, std::wstring(L"Driver={SQLite3};Database=x")}));

  const std::vector<std::string> refused[] = {
      {"--fixture", "f", "--all"},                                        // no --out
      {"--fixture", "f", "--live", "--all", "--out", "o.csv"},           // both sources
      {"--all", "--out", "o.csv"},                                       // no source
      {"--fixture", "f", "--out", "o.csv"},                              // no computers
      {"--fixture", "f", "--computers", "A", "--all", "--out", "o.csv"},  // both lists
      {"--fixture", "f", "--all", "--out", "o.csv", "--parallel", "0"},
      {"--live", "--all", "--out", "o.csv"},  // --all of the live host needs the database
  };
  for (const auto& args : refused) {
    auto parsed = parse(args);
    ASSERT_TRUE(std::holds_alternative<Usage>(parsed)) << args.size();
    EXPECT_EQ(std::get<Usage>(parsed).exit_code, 2);
  }
  EXPECT_EQ(std::get<Usage>(parse({"--help"})).exit_code, 0);
}

TEST(InventoryProgress, Lines) {
  EXPECT_EQ(progress_line({120, 1000, 3, 4.0}), "inventory: 120/1000 done, 30.0 computers/s, 3 errors, 30 s left");
  EXPECT_EQ(progress_line({0, 10, 1, 0.0}), "inventory: 0/10 done, 0.0 computers/s, 1 error");
  EXPECT_EQ(summary_line({1000, 1000, 0, 28.5}), "inventory: 1000 of 1000 computers in 28.5 s (35.1 computers/s), 0 failed");
}

// Every computer gets exactly one row, whatever its report did, in both
// formats, and each row reads back as the report said.
TEST_F(Inventory, EveryComputerOneRowThatReadsBack) {
  const std::vector<std::wstring> computers = {L"PC,\"Q\"", L"PCFAIL", L"PC\u00DCML", L"PCBAD", L"PCSLOW", L"PC042"};
  const report::ComputerReport hard = hard_report(L"");
  for (const char* name : {"out.csv", "out.jsonl"}) {
    const Ran ran = run(options_for(dir / name, computers));
    EXPECT_EQ(ran.exit_code, 1) << "three computers failed";
    EXPECT_NE(ran.progress.find("\ninventory: 6 of 6 computers in "), std::string::npos) << ran.progress;
    EXPECT_TRUE(ran.progress.ends_with(" 3 failed\n")) << ran.progress;

    std::map<std::string, std::map<std::string, std::string>> rows;  // computer: column: text
    if (fs::path(name).extension() == ".csv") {
      const json records = csv_records(dir / name);
      ASSERT_EQ(records.size(), 7u);
      const json header = records[0];
      for (size_t r = 1; r < records.size(); ++r) {
        ASSERT_EQ(records[r].size(), header.size());
        for (size_t c = 0; c < header.size(); ++c) rows[records[r][0]][header[c]] = records[r][c];
      }
      EXPECT_EQ(rows["PC042"]["users"], report::to_utf8(L"Logged On: " + hard.users[0].name + L" (" +
                                                        hard.users[0].description + L")"));
      EXPECT_EQ(rows["PC042"]["clock_skew_seconds"], "-3600");
    } else {
      for (const json& row : json_lines(dir / name)) {
        for (const auto& [key, value] : row.items()) {
          rows[row["computer"]][key] = value.is_string() ? value.get<std::string>() : value.dump();
        }
        if (row["computer"] == "PC042") {
          EXPECT_EQ(row["users"][0]["description"], report::to_utf8(hard.users[0].description));
        }
      }
    }
    ASSERT_EQ(rows.size(), 6u) << name;
    EXPECT_EQ(rows["PC,\"Q\""]["description"], report::to_utf8(hard.description)) << name;
    EXPECT_EQ(rows[report::to_utf8(L"PC\u00DCML")]["console_account"], report::to_utf8(hard.console_account)) << name;
    EXPECT_NE(rows["PCFAIL"]["errors"].find("The network path was not found. (error -2147024843)"), std::string::npos)
        << name;
    EXPECT_NE(rows["PCSLOW"]["errors"].find("No report within 0.5 seconds"), std::string::npos) << name;
    EXPECT_NE(rows["PCBAD"]["errors"].find("The report is no JSON object"), std::string::npos) << name;
  }
}

// A run cut off in the middle of a row leaves the rows before it; --resume
// keeps those, drops the unfinished one and reports only what is missing.
TEST_F(Inventory, ResumeAfterAnInterruptedRow) {
  for (const char* name : {"out.csv", "out.jsonl"}) {
    const fs::path out = dir / name;
    ASSERT_EQ(run(options_for(out, {L"PC1", L"PC2"})).exit_code, 0);
    const std::string whole = read_text(out);
    const OutputFormat format = *output_format_of(out);
    const DoneRows both = read_done_rows(whole, format);
    EXPECT_EQ(both.computers, (std::set<std::wstring>{L"PC1", L"PC2"})) << name;
    EXPECT_EQ(both.complete_bytes, whole.size()) << name;
    // Cut inside the last row's quoted description (line breaks inside).
    const size_t cut = whole.rfind("second line") + 3;
    fs::resize_file(out, cut);
    EXPECT_EQ(read_done_rows(whole.substr(0, cut), format).computers.size(), 1u) << name;

    Options again = options_for(out, {L"PC1", L"PC2", L"PC3"});
    again.resume = true;
    const Ran ran = run(again);
    EXPECT_NE(ran.progress.find("inventory: 2 of 2 computers"), std::string::npos) << ran.progress;
    std::multiset<std::string> computers;
    if (format == OutputFormat::Csv) {
      const json records = csv_records(out);
      for (size_t r = 1; r < records.size(); ++r) computers.insert(records[r][0].get<std::string>());
    } else {
      for (const json& row : json_lines(out)) computers.insert(row["computer"].get<std::string>());
    }
    EXPECT_EQ(computers, (std::multiset<std::string>{"PC1", "PC2", "PC3"})) << name;
  }
}

// The snapshots hold exactly what each report said, and the README's two
// queries run against them.
TEST_F(Inventory, SnapshotsInSqliteAndTheReadmeQueries) {
  const fs::path db = dir / "pendrel.db";
  ASSERT_EQ(std::system((std::string(PENDREL_MAKE_DEMO_DB) + " " + db.string()).c_str()), 0);
  Options options = options_for(dir / "out.jsonl", {});
  options.all = true;
  options.database = L"Driver={SQLite3};Database=" + db.wstring() + L";NoCreat=1;Timeout=2000";
  EXPECT_EQ(run(options).exit_code, 0);

  sqlite3* raw = nullptr;
  ASSERT_EQ(sqlite3_open(db.string().c_str(), &raw), SQLITE_OK);
  std::unique_ptr<sqlite3, decltype(&sqlite3_close)> handle(raw, sqlite3_close);
  const auto rows = [&](const std::string& sql) {
    std::vector<std::vector<std::string>> out;
    sqlite3_stmt* statement = nullptr;
    EXPECT_EQ(sqlite3_prepare_v2(raw, sql.c_str(), -1, &statement, nullptr), SQLITE_OK) << sqlite3_errmsg(raw) << sql;
    while (sqlite3_step(statement) == SQLITE_ROW) {
      auto& row = out.emplace_back();
      for (int c = 0; c < sqlite3_column_count(statement); ++c) {
        const auto* text = sqlite3_column_text(statement, c);
        row.push_back(text ? reinterpret_cast<const char*>(text) : "NULL");
      }
    }
    sqlite3_finalize(statement);
    return out;
  };
  const auto snapshots = rows(
      "SELECT Computer, Domain, Reachable, Report, OS, IPAddress, MACAddress, ConsoleAccount, ClockSkewSeconds, "
      "TakenAt >= datetime('now', '-1 minute') FROM InventorySnapshot ORDER BY Computer");
  const auto equipment = rows("SELECT EquipmentName FROM vEquipment ORDER BY EquipmentName");
  ASSERT_EQ(snapshots.size(), equipment.size());
  for (size_t i = 0; i < snapshots.size(); ++i) {
    const auto& s = snapshots[i];
    const json expected = json::parse(report::to_json(hard_report(report::from_utf8(equipment[i][0]))));
    EXPECT_EQ(json::parse(s[3]), expected);
    EXPECT_EQ(s, (std::vector<std::string>{expected["computer"], "SALES", "1", s[3], "Windows XP", "127.0.0.1",
                                           "00-1A-2B-3C-4D-5E", expected["console_account"], "-3600", "1"}));
  }

  // History: PC042 reachable 10 days ago only, OLD never; PC043 marked a
  // package for re-install in its latest snapshot, not in an earlier one.
  const std::string marked = R"({"computer":"PC043","packages":[{"path":"Office\\Acrobat Reader","marked":true}]})";
  const std::string unmarked = R"({"computer":"PC043","packages":[{"path":"Office\\Acrobat Reader","marked":false}]})";
  rows("DELETE FROM InventorySnapshot");
  rows("INSERT INTO InventorySnapshot (Computer, Domain, TakenAt, Reachable, Report) VALUES "
       "('PC042', 'SALES', datetime('now', '-10 days'), 1, '{}'), ('PC042', 'SALES', datetime('now', '-1 day'), 0, '{}'),"
       "('OLD', 'SALES', datetime('now', '-1 day'), 0, '{}'), ('PC044', 'SALES', datetime('now', '-1 day'), 1, '{}'),"
       "('PC043', 'SALES', datetime('now', '-2 days'), 1, '" + unmarked + "'),"
       "('PC043', 'SALES', datetime('now', '-1 day'), 1, '" + marked + "'),"
       "('PC045', 'SALES', datetime('now', '-2 days'), 1, '" + marked + "'),"
       "('PC045', 'SALES', datetime('now', '-1 day'), 1, '" + unmarked + "')");
  const std::string readme = read_text(PENDREL_README);
  const size_t section = readme.find("\n## Inventory");
  ASSERT_NE(section, std::string::npos);
  std::vector<std::string> queries;
  for (size_t at = readme.find("```sql\n", section); at != std::string::npos && at < readme.find("\n## ", section + 1);
       at = readme.find("```sql\n", at + 1)) {
    queries.push_back(readme.substr(at + 7, readme.find("```", at + 7) - at - 7));
  }
  ASSERT_EQ(queries.size(), 2u);
  std::vector<std::string> unreachable, marked_at;
  for (const auto& row : rows(queries[0])) unreachable.push_back(row[0]);
  for (const auto& row : rows(queries[1])) marked_at.push_back(row[0]);
  EXPECT_EQ(unreachable, (std::vector<std::string>{"OLD", "PC042"}));
  EXPECT_EQ(marked_at, std::vector<std::string>{"PC043"});
}

}  // namespace
}  // namespace pendrel::inventory
