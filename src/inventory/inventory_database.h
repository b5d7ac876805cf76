// The management database's side of the inventory: the equipment rows of
// --all, the InventorySnapshot history and, on PostgreSQL, the queue that
// several processes share one run through. Statements go through the
// database layer's ODBC connection; every value is a literal with its single
// quotes doubled, as the window's own queries insert values.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "database/odbc_connection.h"

namespace pendrel::inventory {

// A report's JSON with every character outside ASCII written as a \u
// escape: the same JSON value, which an ANSI-only driver (the SQLite one
// under unixODBC) cannot garble.
std::string ascii_json(std::string_view json);

// A text as an SQL literal: in single quotes, a quote inside doubled.
std::wstring sql_text(std::wstring_view text);

// Now, in UTC, as the snapshots' TakenAt holds it ("2026-12-07 12:34:56"),
// which is how SQLite's datetime() writes a time, so the two compare.
std::wstring utc_now_text();

struct EquipmentRow {
  std::wstring computer;
  std::wstring domain;
};

class InventoryDatabase {
 public:
  // Opens the connection; raises the driver's error when it cannot.
  explicit InventoryDatabase(const std::wstring& connection_string);

  // The driver names PostgreSQL in the connection string: then several
  // processes can share a run through the queue.
  bool shared_queue() const { return postgres_; }

  std::vector<EquipmentRow> equipment();
  // One snapshot from the report's JSON, taken at taken_at (utc_now_text).
  void write_snapshot(std::string_view json, std::wstring_view taken_at);

  // The shared run (PostgreSQL only); owners name themselves
  // "inventory-<process id>-<random number>". fill_queue adds the equipment rows
  // not yet queued for the run; claim takes one computer that is neither
  // done nor claimed by a claim still running (FOR UPDATE SKIP LOCKED, so
  // processes never wait on each other's claims), for claim_seconds;
  // finish writes the snapshot and marks the computer done in one statement,
  // or writes nothing and gives false when the claim is no longer this
  // owner's (it ran out and another process took the computer).
  void fill_queue(std::wstring_view run);
  // The run's computers, or only those not done yet.
  std::size_t queued(std::wstring_view run, bool not_done);
  std::optional<EquipmentRow> claim(std::wstring_view run, std::wstring_view owner, int claim_seconds);
  bool finish(std::wstring_view run, std::wstring_view owner, const EquipmentRow& claimed, std::string_view json,
              std::wstring_view taken_at);

 private:
  std::shared_ptr<database::Recordset> query(const std::wstring& sql);

  database::OdbcObjects objects_;
  std::shared_ptr<database::odbc::OdbcConnection> connection_;
  bool postgres_ = false;
};

}  // namespace pendrel::inventory
