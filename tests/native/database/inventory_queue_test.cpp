// Two inventory processes share one run of 200 computers through the
// PostgreSQL queue: each computer is done exactly once, and the computers
// a process held when it was killed go to the other once its claims run out.
// Started with the inventory's arguments, this program is such a process,
// whose reports each take 100 ms.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <set>
#include <thread>

#include "database/odbc_connection.h"
#include "inventory/run.h"
#include "report/computer_report.h"

extern char** environ;

namespace pendrel::database {
namespace {

class SlowReporter : public inventory::Reporter {
 public:
  std::string report(const std::wstring& computer) override {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    ::pendrel::report::ComputerReport r;
    r.computer = computer;
    r.domain = L"QUEUE";
    r.reachable = true;
    return ::pendrel::report::to_json(r);
  }
};

namespace fs = std::filesystem;

const std::wstring kConnect = L"Driver={PostgreSQL Unicode};Server=127.0.0.1;Port=" +
                              std::to_wstring(PENDREL_POSTGRES_PORT) + L";Database=postgres;UID=pendrel;BoolsAsChar=0";

std::set<std::string> column(Connection& connection, const std::wstring& sql, const wchar_t* name) {
  std::set<std::string> values;
  for (auto rs = connection.OpenRecordset(sql); !rs->EOF(); rs->MoveNext()) {
    const std::wstring text = (*rs)[name].to_text();
    values.emplace(text.begin(), text.end());
  }
  return values;
}

// The computers of the complete lines of a JSON-lines file, each once.
std::multiset<std::string> rows_of(const fs::path& path) {
  std::multiset<std::string> computers;
  std::ifstream in(path);
  for (std::string line; std::getline(in, line) && !in.eof();) {
    computers.insert(nlohmann::json::parse(line)["computer"].get<std::string>());
  }
  return computers;
}

pid_t start_worker(const fs::path& out) {
  const std::string connect(kConnect.begin(), kConnect.end());
  std::vector<std::string> args = {"/proc/self/exe", "--fixture", "unused", "--all", "--database", connect,
                                   "--run", "queue-test", "--out", out.string(), "--parallel", "2", "--timeout", "1"};
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  EXPECT_EQ(posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ), 0);
  return pid;
}

TEST(InventoryQueue, TwoProcessesShareARunAndOneIsKilled) {
  OdbcObjects objects;
  auto connection = std::static_pointer_cast<odbc::OdbcConnection>(objects.CreateConnection());
  connection->set_CursorLocation(kAdUseClient);
  connection->set_ConnectionString(kConnect);
  connection->Open();
  connection->Execute(L"DELETE FROM InventoryQueue");
  connection->Execute(L"DELETE FROM InventorySnapshot");
  connection->Execute(L"INSERT INTO Domains (DomainID, Name) VALUES (900, 'QUEUE') ON CONFLICT DO NOTHING");
  connection->Execute(L"INSERT INTO Equipment (EquipmentID, Name, DomainID) SELECT 9000 + n, 'Q' || lpad(n::text, 3, '0'), 900 "
                      L"FROM generate_series(1, 200) AS n ON CONFLICT DO NOTHING");
  const std::set<std::string> equipment = column(*connection, L"SELECT EquipmentName FROM vEquipment", L"EquipmentName");
  ASSERT_GE(equipment.size(), 200u);

  const fs::path dir = fs::temp_directory_path() / ("inventory_queue_" + std::to_string(getpid()));
  fs::create_directories(dir);
  const pid_t a = start_worker(dir / "a.jsonl");
  const pid_t b = start_worker(dir / "b.jsonl");
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (rows_of(dir / "a.jsonl").size() < 30 && std::chrono::steady_clock::now() < until) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  kill(a, SIGKILL);
  waitpid(a, nullptr, 0);
  const std::set<std::string> held = column(
      *connection, L"SELECT Computer FROM InventoryQueue WHERE DoneAt IS NULL AND ClaimedBy LIKE 'inventory-" +
                       std::to_wstring(a) + L"-%'",
      L"Computer");
  EXPECT_FALSE(held.empty()) << "the killed process held claims";

  int status = -1;
  waitpid(b, &status, 0);
  EXPECT_EQ(status, 0);

  // Each computer has exactly one snapshot; no row is in both files; the
  // computers the killed process held are in the other's.
  EXPECT_EQ(column(*connection, L"SELECT Computer FROM InventorySnapshot", L"Computer"), equipment);
  EXPECT_EQ(column(*connection, L"SELECT Computer FROM InventorySnapshot GROUP BY Computer HAVING count(*) > 1",
                   L"Computer"),
            std::set<std::string>{});
  const std::multiset<std::string> rows_a = rows_of(dir / "a.jsonl"), rows_b = rows_of(dir / "b.jsonl");
  std::multiset<std::string> rows = rows_a;
  rows.insert(rows_b.begin(), rows_b.end());
  EXPECT_EQ(std::set<std::string>(rows.begin(), rows.end()).size(), rows.size()) << "a computer with two rows";
  for (const std::string& computer : held) EXPECT_EQ(rows_b.count(computer), 1u) << computer;
  EXPECT_GE(rows_a.size() + rows_b.size() + 2, equipment.size()) << "at most the killed process's two in flight";
  fs::remove_all(dir);
}

}  // namespace
}  // namespace pendrel::database

int main(int argc, char** argv) {
  using namespace pendrel::inventory;
  if (argc > 1 && argv[1] == std::string("--fixture")) {
    const Options options = std::get<Options>(parse_options(std::vector<std::string>(argv + 1, argv + argc)));
    return run_inventory(options, [] { return std::make_unique<pendrel::database::SlowReporter>(); }, stderr);
  }
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
