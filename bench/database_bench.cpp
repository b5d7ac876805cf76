// The management database's recordsets against a bare ODBC fetch of the same
// rows, over the SQLite demo database with 10,000 extra users of whom 1,000 are
// assigned to PC042: qryUsers opened once and searched for 1,000 accounts, the
// details window's assigned-users stage over those assignments, and the
// equipment row fetched 1,000 times. At exit it prints how many times slower
// the layer is.
#include <benchmark/benchmark.h>
#include <sql.h>
#include <sqlext.h>
#include <time.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "database/database.h"
#include "database/management_database.h"
#include "database/odbc_connection.h"
#include "details/users.h"
#include "forms/list_view.h"
#include "support/fakes.h"

namespace {

using namespace pendrel::database;
// Thread CPU time: the driver runs in this thread, and the machine that runs
// the benchmark is often shared, which makes wall time vary run to run.
struct Clock {
  using duration = std::chrono::nanoseconds;
  using time_point = std::chrono::time_point<Clock, duration>;
  static time_point now() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return time_point(duration(std::chrono::seconds(t.tv_sec) + std::chrono::nanoseconds(t.tv_nsec)));
  }
};

const wchar_t kEquipmentPC042[] =
    L"Select * from vEquipment where EquipmentName='PC042' and DomainsName='SALES'";

struct Demo {
  std::string file = "/tmp/pendrel-bench-" + std::to_string(getpid()) + ".db";
  Demo() {
    std::string command = std::string(PENDREL_MAKE_DEMO_DB) + " " + file +
                          " && sqlite3 " + file +
                          " \"WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n "
                          "WHERE i < 10000) INSERT INTO Users SELECT 1000 + i, 'user' || i, 1, "
                          "'User ' || i, CASE WHEN i % 3 = 0 THEN NULL ELSE i END, 'Floor ' || "
                          "(i % 7) FROM n; INSERT INTO Assignments SELECT 100 + userID, 1, userID FROM Users "
                          "WHERE userID BETWEEN 1001 AND 9992 AND (userID - 1001) % 9 = 0\"";
    if (std::system(command.c_str()) != 0) std::abort();
  }
  ~Demo() { std::remove(file.c_str()); }
  std::string connection_string() const { return "Driver={SQLite3};Database=" + file; }
};

Demo& demo() {
  static Demo instance;
  return instance;
}

// Mean seconds per benchmark iteration, for the ratios printed at exit.
struct Ratios {
  double users_layer = 0, users_bare = 0, stage_layer = 0, stage_bare = 0, row_layer = 0, row_bare = 0;
  ~Ratios() {
    if (stage_bare > 0 && stage_layer > 0) {
      std::printf("assigned-users stage, 1,000 of 10,000 users: stage %.2f ms, bare fetch %.2f ms, ratio %.2f\n",
                  stage_layer * 1e3, stage_bare * 1e3, stage_layer / stage_bare);
    }
    if (users_bare > 0 && users_layer > 0) {
      std::printf("qryUsers open + 1,000 FindFirst: layer %.2f ms, bare fetch %.2f ms, ratio %.2f\n",
                  users_layer * 1e3, users_bare * 1e3, users_layer / users_bare);
    }
    if (row_bare > 0 && row_layer > 0) {
      std::printf("equipment row x 1,000: layer %.2f ms, bare fetch %.2f ms, ratio %.2f\n",
                  row_layer * 1e3, row_bare * 1e3, row_layer / row_bare);
    }
  }
} ratios;

void record(double& slot, const benchmark::State& state, Clock::time_point start) {
  if (state.iterations() == 0) return;
  slot = std::chrono::duration<double>(Clock::now() - start).count() / state.iterations();
}

std::shared_ptr<Connection> open_layer() {
  OdbcObjects objects;
  auto connection = objects.CreateConnection();
  std::string text = demo().connection_string();
  connection->set_ConnectionString(std::wstring(text.begin(), text.end()));
  connection->Open();
  return connection;
}

// The bare ODBC side: plain calls, every column read as text, no checks.
struct Bare {
  SQLHENV env = SQL_NULL_HANDLE;
  SQLHDBC dbc = SQL_NULL_HANDLE;
  Bare() {
    SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env);
    SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    SQLAllocHandle(SQL_HANDLE_DBC, env, &dbc);
    std::string text = demo().connection_string();
    if (!SQL_SUCCEEDED(SQLDriverConnect(dbc, nullptr, (SQLCHAR*)text.c_str(), SQL_NTS, nullptr, 0,
                                        nullptr, SQL_DRIVER_NOPROMPT))) {
      std::abort();
    }
  }
  ~Bare() {
    SQLDisconnect(dbc);
    SQLFreeHandle(SQL_HANDLE_DBC, dbc);
    SQLFreeHandle(SQL_HANDLE_ENV, env);
  }
  size_t fetch(const char* sql) {
    SQLHSTMT stmt;
    SQLAllocHandle(SQL_HANDLE_STMT, dbc, &stmt);
    SQLExecDirect(stmt, (SQLCHAR*)sql, SQL_NTS);
    SQLSMALLINT columns = 0;
    SQLNumResultCols(stmt, &columns);
    size_t bytes = 0;
    SQLWCHAR buffer[256];
    SQLLEN indicator;
    while (SQL_SUCCEEDED(SQLFetch(stmt))) {
      for (SQLUSMALLINT c = 1; c <= columns; ++c) {
        SQLGetData(stmt, c, SQL_C_WCHAR, buffer, sizeof(buffer), &indicator);
        if (indicator > 0) bytes += static_cast<size_t>(indicator);
      }
    }
    SQLFreeHandle(SQL_HANDLE_STMT, stmt);
    return bytes;
  }
};

std::vector<std::wstring> searched_accounts() {
  std::vector<std::wstring> accounts;
  for (int i = 0; i < 1000; ++i) accounts.push_back(L"user" + std::to_wstring(1 + i * 9));
  return accounts;
}

void BM_UsersOpenAndFindFirst_Layer(benchmark::State& state) {
  auto connection = open_layer();
  auto accounts = searched_accounts();
  auto start = Clock::now();
  for (auto _ : state) {
    auto users = connection->OpenRecordset(L"qryUsers");
    int32_t found = 0;
    for (const std::wstring& account : accounts) {
      users->MoveFirst();
      users->FindFirst(L"[5x2]='" + quoted(account) + L"'");
      if (!users->NoMatch()) found += users->Fields(L"userID").Value().to_long() > 0;
    }
    benchmark::DoNotOptimize(found);
  }
  record(ratios.users_layer, state, start);
}
BENCHMARK(BM_UsersOpenAndFindFirst_Layer)->Unit(benchmark::kMillisecond);

void BM_UsersFetch_Bare(benchmark::State& state) {
  Bare bare;
  auto start = Clock::now();
  for (auto _ : state) benchmark::DoNotOptimize(bare.fetch("SELECT * FROM qryUsers"));
  record(ratios.users_bare, state, start);
}
BENCHMARK(BM_UsersFetch_Bare)->Unit(benchmark::kMillisecond);

// The whole stage on a details window: the Domains look-up, both recordsets,
// a FindFirst and the field reads per assignment, and the 1,000 rows added.
void BM_AssignedUsersStage_Layer(benchmark::State& state) {
  pendrel::fakes::DetailsTestBed bed;
  bed.computer->on(L"Name").get(L"PC042");
  bed.computer->on(L"Domain").get(L"SALES");
  bed.env.peer_factory = nullptr;  // a form without a window, as in the native tests
  pendrel::details::FrmComputerDetails window(bed.env);
  window.set_Computer(bed.computer);
  ManagementDatabase& db = management_database();
  db.ManagementConnection = open_layer();
  auto& rows = window.form().get<pendrel::forms::ListView>(L"ListView1", 2).list_items();
  auto start = Clock::now();
  for (auto _ : state) {
    rows.clear();
    pendrel::details::LoadState load;
    pendrel::details::AssignedUsersStage(window, load);
    if (rows.count() != 1002) std::abort();  // and the demo's own two
  }
  record(ratios.stage_layer, state, start);
  db = {};
}
BENCHMARK(BM_AssignedUsersStage_Layer)->Unit(benchmark::kMillisecond);

void BM_AssignedUsersFetch_Bare(benchmark::State& state) {
  Bare bare;
  auto start = Clock::now();
  for (auto _ : state) {
    benchmark::DoNotOptimize(bare.fetch("SELECT * FROM qryUsers"));
    benchmark::DoNotOptimize(bare.fetch(
        "SELECT * FROM qryEquipmentAssignments WHERE \"Equipment.Name\" = 'PC042' AND DomainID = 1"));
  }
  record(ratios.stage_bare, state, start);
}
BENCHMARK(BM_AssignedUsersFetch_Bare)->Unit(benchmark::kMillisecond);

void BM_EquipmentRow1000_Layer(benchmark::State& state) {
  auto connection = open_layer();
  auto start = Clock::now();
  for (auto _ : state) {
    for (int i = 0; i < 1000; ++i) {
      auto row = connection->OpenRecordset(kEquipmentPC042);
      benchmark::DoNotOptimize((*row)[L"Active"].to_bool());
    }
  }
  record(ratios.row_layer, state, start);
}
BENCHMARK(BM_EquipmentRow1000_Layer)->Unit(benchmark::kMillisecond);

void BM_EquipmentRow1000_Bare(benchmark::State& state) {
  Bare bare;
  auto start = Clock::now();
  for (auto _ : state) {
    for (int i = 0; i < 1000; ++i) {
      benchmark::DoNotOptimize(bare.fetch(
          "Select * from vEquipment where EquipmentName='PC042' and DomainsName='SALES'"));
    }
  }
  record(ratios.row_bare, state, start);
}
BENCHMARK(BM_EquipmentRow1000_Bare)->Unit(benchmark::kMillisecond);

}  // namespace
