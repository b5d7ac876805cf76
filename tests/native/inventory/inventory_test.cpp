// The inventory's portable part: options, the run with its failures and
// time-outs, the output read back by Python's csv module and a JSON parser,
// resuming an interrupted file, and the snapshots in a real SQLite database
// with the README's queries run against them.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <iterator>
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
  return {std::istreambuf_iterator<char>(in), {}};
}

// The rows of an output file as JSON objects: read by Python's csv module
// (column: text, each row as long as the header) or by a JSON parser.
std::vector<json> rows_of(const fs::path& path) {
  std::vector<json> rows;
  std::istringstream in(read_text(path));
  if (path.extension() != ".csv") {
    for (std::string line; std::getline(in, line);) rows.push_back(json::parse(line));
    return rows;
  }
  const std::string command =
      "python3 -c 'import csv, json, sys; rows = list(csv.DictReader(open(sys.argv[1], newline=\"\", encoding=\"utf-8\")));"
      " assert all(None not in r and None not in r.values() for r in rows); print(json.dumps(rows))' " + path.string();
  std::FILE* pipe = popen(command.c_str(), "r");
  std::string out;
  for (char buffer[4096]; size_t n = std::fread(buffer, 1, sizeof buffer, pipe);) out.append(buffer, n);
  EXPECT_EQ(pclose(pipe), 0) << command;
  return json::parse(out);
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
  char* text = nullptr;
  size_t size = 0;
  std::FILE* progress = open_memstream(&text, &size);
  const int rc = run_inventory(options, [] { return std::make_unique<FakeReporter>(); }, progress);
  std::fclose(progress);
  const Ran ran{rc, std::string(text, size)};
  std::free(text);
  return ran;
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
  const Options all = std::get<Options>(parse({"--fixture", "f.fixture", "--all", "--out", "o.csv"}));
  EXPECT_EQ((std::tuple{all.all, all.parallel, all.fixture}), (std::tuple{true, 8, std::wstring(L"f.fixture")}));

  const Options o = std::get<Options>(parse({"--live", "--computers", "PC042,J\xC3\xBCRGEN", "--out", "o.jsonl",
                                              "--parallel", "16", "--timeout", "30", "--apps", "--resume",
                                              "--database", "Driver={SQLite3};Database=x"}));
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
  for (const auto& args : refused) EXPECT_EQ(std::get<Usage>(parse(args)).exit_code, 2) << args.size();
  EXPECT_EQ(std::get<Usage>(parse({"--help"})).exit_code, 0);
}

TEST(InventoryProgress, Lines) {
  EXPECT_EQ(progress_line({120, 1000, 3, 4.0}), "inventory: 120/1000 done, 30.0 computers/s, 3 errors, 30 s left");
  EXPECT_EQ(progress_line({0, 10, 1, 0.0}), "inventory: 0/10 done, 0.0 computers/s, 1 error");
  EXPECT_EQ(summary_line({1000, 1000, 0, 28.5}), "inventory: 1000 of 1000 computers in 28.5 s (35.1 computers/s), 0 failed");
}

// Every computer gets exactly one row, whatever its report did, in both
// formats, and each row reads back as the report said. A run cut off inside
// a row (its description's line breaks) leaves the rows before it, and
// --resume drops the unfinished one and reports only what is missing.
TEST_F(Inventory, EveryComputerOneRowThatReadsBackAndResumes) {
  std::vector<std::wstring> computers = {L"PC,\"Q\"", L"PCFAIL", L"PC\u00DCML", L"PCBAD", L"PCSLOW", L"PC042"};
  const report::ComputerReport hard = hard_report(L"");
  for (const char* name : {"out.csv", "out.jsonl"}) {
    const fs::path out = dir / name;
    const Ran ran = run(options_for(out, computers));
    EXPECT_EQ(ran.exit_code, 1) << "three computers failed";
    EXPECT_NE(ran.progress.find("\ninventory: 6 of 6 computers in "), std::string::npos) << ran.progress;
    EXPECT_TRUE(ran.progress.ends_with(" 3 failed\n")) << ran.progress;

    std::map<std::string, json> rows;  // computer: row
    for (json& row : rows_of(out)) rows[row["computer"]] = row;
    ASSERT_EQ(rows.size(), 6u) << name;
    const std::wstring user = hard.users[0].type + L": " + hard.users[0].name + L" (" + hard.users[0].description + L")";
    EXPECT_EQ(rows["PC042"]["users"], out.extension() == ".csv" ? json(report::to_utf8(user))
                                                                : json::parse(report::to_json(hard))["users"]);
    EXPECT_EQ(rows["PC042"]["clock_skew_seconds"].dump(), out.extension() == ".csv" ? "\"-3600\"" : "-3600") << name;
    EXPECT_EQ(rows["PC,\"Q\""]["description"], report::to_utf8(hard.description)) << name;
    EXPECT_EQ(rows[report::to_utf8(L"PC\u00DCML")]["console_account"], report::to_utf8(hard.console_account)) << name;
    for (const auto& [computer, error] : {std::pair{"PCFAIL", "The network path was not found. (error -2147024843)"},
                                          {"PCSLOW", "No report within 0.5 seconds"},
                                          {"PCBAD", "The report is no JSON object"}}) {
      EXPECT_NE(rows[computer]["errors"].dump().find(error), std::string::npos) << name << computer;
    }

    const std::string whole = read_text(out);
    const OutputFormat format = *output_format_of(out);
    EXPECT_EQ(read_done_rows(whole, format).complete_bytes, whole.size()) << name;
    const size_t cut = whole.rfind("second line") + 3;
    fs::resize_file(out, cut);
    const size_t kept = read_done_rows(whole.substr(0, cut), format).computers.size();
    EXPECT_LT(kept, 6u) << name;
    Options again = options_for(out, computers);
    again.computers.push_back(L"PC7");
    again.resume = true;
    const Ran resumed = run(again);
    EXPECT_NE(resumed.progress.find("inventory: " + std::to_string(7 - kept) + " of " + std::to_string(7 - kept)),
              std::string::npos) << resumed.progress;
    std::multiset<std::string> done;
    for (json& row : rows_of(out)) done.insert(row["computer"].get<std::string>());
    EXPECT_EQ(done, (std::multiset<std::string>{"PC,\"Q\"", "PCFAIL", report::to_utf8(L"PC\u00DCML"), "PCBAD",
                                                "PCSLOW", "PC042", "PC7"})) << name;
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
    EXPECT_EQ(json::parse(s[3]), json::parse(report::to_json(hard_report(report::from_utf8(equipment[i][0])))));
    EXPECT_EQ(s, (std::vector<std::string>{equipment[i][0], "SALES", "1", s[3], "Windows XP", "127.0.0.1",
                                           "00-1A-2B-3C-4D-5E", "SALES\\jmueller", "-3600", "1"}));
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
  std::vector<std::string> queries;
  for (size_t at = readme.find("```sql\n", section); at != std::string::npos && at < readme.find("\n## ", section + 1);
       at = readme.find("```sql\n", at + 1)) {
    queries.push_back(readme.substr(at + 7, readme.find("```", at + 7) - at - 7));
  }
  ASSERT_EQ(queries.size(), 2u);
  const auto computers = [&](const std::string& sql) {
    std::vector<std::string> names;
    for (const auto& row : rows(sql)) names.push_back(row[0]);
    return names;
  };
  EXPECT_EQ(computers(queries[0]), (std::vector<std::string>{"OLD", "PC042"}));
  EXPECT_EQ(computers(queries[1]), std::vector<std::string>{"PC043"});
}

}  // namespace
}  // namespace pendrel::inventory
