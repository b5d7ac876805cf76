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
    std::filesystem::create_directories(dir);
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

  // Runs `text`; the first column of the last row it gives, or -1 without rows.
  int sql(const std::string& text) const {
    sqlite3* db = nullptr;
    int last = -1;
    EXPECT_EQ(sqlite3_open(file.c_str(), &db), SQLITE_OK);
    auto row = [](void* to, int, char** values, char**) {
      *static_cast<int*>(to) = std::atoi(values[0]);
      return 0;
    };
    EXPECT_EQ(sqlite3_exec(db, text.c_str(), row, &last, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
    sqlite3_close(db);
    return last;
  }
  // Active of that equipment (names here have no quotes).
  int active_in_file(const std::string& name) const {
    return sql("SELECT Active FROM Equipment WHERE Name = '" + name + "'");
  }

  std::filesystem::path dir = std::filesystem::temp_directory_path() / ("pendrel-demo-" + std::to_string(getpid()));
  std::filesystem::path file = dir / "demo.db";
};

}  // namespace pendrel::database
