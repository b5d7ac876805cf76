// A fresh copy of the demo database in a directory of its own, and what
// another program reading or writing the file would see.
#pragma once

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace pendrel::database {

class DemoDatabase {
 public:
  DemoDatabase() {
    dir = std::filesystem::temp_directory_path() / ("pendrel-demo-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    file = dir / "demo.db";
    const std::string command = std::string(PENDREL_MAKE_DEMO_DB) + " " + file.string();
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
  }
  ~DemoDatabase() { std::filesystem::remove_all(dir); }
  DemoDatabase(const DemoDatabase&) = delete;
  DemoDatabase& operator=(const DemoDatabase&) = delete;

  // NoCreat=1: a missing file is an error and is not made.
  static std::wstring connection_string(const std::filesystem::path& of) {
    return L"Driver={SQLite3};Database=" + of.wstring() + L";NoCreat=1;Timeout=200";
  }
  std::wstring connection_string() const { return connection_string(file); }

  void sql(const char* text) const {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(file.c_str(), &db), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(db, text, nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
    sqlite3_close(db);
  }

  // Active of that equipment, or -1 when there is no such row.
  int active_in_file(const char* name) const {
    sqlite3* db = nullptr;
    sqlite3_stmt* stmt = nullptr;
    sqlite3_open(file.c_str(), &db);
    sqlite3_prepare_v2(db, "SELECT Active FROM Equipment WHERE Name = ?", -1, &stmt, nullptr);
    sqlite3_bind_text(stmt, 1, name, -1, SQLITE_STATIC);
    const int active = sqlite3_step(stmt) == SQLITE_ROW ? sqlite3_column_int(stmt, 0) : -1;
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    return active;
  }

  std::filesystem::path dir, file;
};

}  // namespace pendrel::database
