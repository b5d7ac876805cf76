// The management database's recordsets against a bare ODBC fetch of the same
// rows, over the SQLite demo database with 10,000 extra users: qryUsers
// opened once and searched for 1,000 accounts, and the equipment row fetched
// 1,000 times. At exit it prints how many times slower the layer is.
#include <benchmark/benchmark.h>
#include <sql.h>
#include <sqlext.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "database/database.h"
#include "database/odbc_connection.h"

namespace {

using namespace pendrel::database;
using Clock = std::chrono::steady_clock;

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
                          "(i % 7) FROM n\"";
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
  double users_layer = 0, users_bare = 0, row_layer = 0, row_bare = 0;
  ~Ratios() {
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
