#include "inventory/inventory_database.h"

#include <chrono>
#include <cstdio>
#include <ctime>

#include <nlohmann/json.hpp>

#include "core/text.h"
#include "inventory/output.h"

namespace pendrel::inventory {

namespace {

constexpr wchar_t kSnapshotColumns[] =
    L"Computer, Domain, TakenAt, Reachable, Report, OS, IPAddress, MACAddress, ConsoleAccount, ClockSkewSeconds";

// The snapshot's values in the order of kSnapshotColumns, from the report.
std::wstring snapshot_values(std::string_view report_json, std::wstring_view taken_at) {
  const report::ComputerReport r = report_of_json(report_json);
  return sql_text(r.computer) + L", " + sql_text(r.domain) + L", " + sql_text(taken_at) + L", " +
         (r.reachable ? L"TRUE" : L"FALSE") + L", " + sql_text(report::from_utf8(ascii_json(report_json))) + L", " +
         sql_text(r.os) + L", " + sql_text(r.ip_address) + L", " + sql_text(r.mac_address) + L", " +
         sql_text(r.console_account) + L", " +
         (r.clock_skew_seconds ? std::to_wstring(*r.clock_skew_seconds) : std::wstring(L"NULL"));
}

bool names_postgres(std::wstring_view connection_string) {
  std::wstring lower(connection_string);
  for (wchar_t& c : lower) c = (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c - L'A' + L'a') : c;
  return lower.find(L"postgres") != std::wstring::npos;
}

}  // namespace

std::string ascii_json(std::string_view json) {
  return nlohmann::json::parse(json).dump(-1, ' ', true, nlohmann::json::error_handler_t::replace);
}

std::wstring sql_text(std::wstring_view text) {
  std::wstring out = L"'";
  for (wchar_t c : text) {
    out += c;
    if (c == L'\'') out += c;
  }
  return out + L"'";
}

std::wstring utc_now_text() {
  const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
  std::tm utc{};
#ifdef _WIN32
  gmtime_s(&utc, &now);
#else
  gmtime_r(&now, &utc);
#endif
  wchar_t text[32];
  std::wcsftime(text, std::size(text), L"%Y-%m-%d %H:%M:%S", &utc);
  return text;
}

InventoryDatabase::InventoryDatabase(const std::wstring& connection_string)
    : connection_(std::static_pointer_cast<database::odbc::OdbcConnection>(objects_.CreateConnection())),
      postgres_(names_postgres(connection_string)) {
  connection_->set_CursorLocation(database::kAdUseClient);
  connection_->set_ConnectionString(connection_string);
  connection_->Open();
}

std::shared_ptr<database::Recordset> InventoryDatabase::query(const std::wstring& sql) {
  return connection_->OpenRecordset(sql);
}

std::vector<EquipmentRow> InventoryDatabase::equipment() {
  std::vector<EquipmentRow> rows;
  auto recordset = query(L"SELECT EquipmentName, DomainsName FROM vEquipment ORDER BY EquipmentName, DomainsName");
  for (; !recordset->EOF(); recordset->MoveNext()) {
    rows.push_back({(*recordset)[L"EquipmentName"].to_text(), (*recordset)[L"DomainsName"].to_text()});
  }
  return rows;
}

void InventoryDatabase::write_snapshot(std::string_view json, std::wstring_view taken_at) {
  connection_->Execute(std::wstring(L"INSERT INTO InventorySnapshot (") + kSnapshotColumns + L") VALUES (" +
                       snapshot_values(json, taken_at) + L")");
}

void InventoryDatabase::fill_queue(std::wstring_view run) {
  connection_->Execute(L"INSERT INTO InventoryQueue (Run, Computer, Domain) SELECT " + sql_text(run) +
                       L", EquipmentName, DomainsName FROM vEquipment ON CONFLICT DO NOTHING");
}

std::size_t InventoryDatabase::queued(std::wstring_view run, bool not_done) {
  auto recordset = query(L"SELECT count(*) AS n FROM InventoryQueue WHERE Run = " + sql_text(run) +
                         (not_done ? L" AND DoneAt IS NULL" : L""));
  return static_cast<std::size_t>((*recordset)[L"n"].to_long());
}

std::optional<EquipmentRow> InventoryDatabase::claim(std::wstring_view run, std::wstring_view owner,
                                                     int claim_seconds) {
  // Inside WITH, so that a claim that finds nothing still gives an (empty)
  // result rather than none, which the PostgreSQL driver would refuse to fetch.
  auto recordset = query(
      L"WITH claimed AS (UPDATE InventoryQueue SET ClaimedBy = " + sql_text(owner) +
      L", ClaimedUntil = LOCALTIMESTAMP + INTERVAL '" + std::to_wstring(claim_seconds) +
      L" seconds' WHERE (Run, Computer, Domain) = (SELECT Run, Computer, Domain FROM InventoryQueue WHERE Run = " +
      sql_text(run) +
      L" AND DoneAt IS NULL AND (ClaimedUntil IS NULL OR ClaimedUntil < LOCALTIMESTAMP)"
      L" ORDER BY Computer, Domain LIMIT 1 FOR UPDATE SKIP LOCKED) RETURNING Computer, Domain)"
      L" SELECT Computer, Domain FROM claimed");
  if (recordset->EOF()) return std::nullopt;
  return EquipmentRow{(*recordset)[L"Computer"].to_text(), (*recordset)[L"Domain"].to_text()};
}

bool InventoryDatabase::finish(std::wstring_view run, std::wstring_view owner, const EquipmentRow& claimed,
                               std::string_view json, std::wstring_view taken_at) {
  return 1 == connection_->Execute(L"WITH done AS (UPDATE InventoryQueue SET DoneAt = LOCALTIMESTAMP WHERE Run = " +
                         sql_text(run) + L" AND Computer = " + sql_text(claimed.computer) +
                         L" AND Domain = " + sql_text(claimed.domain) + L" AND ClaimedBy = " + sql_text(owner) +
                         L" AND DoneAt IS NULL RETURNING Computer) INSERT INTO InventorySnapshot (" +
                         kSnapshotColumns + L") SELECT " + snapshot_values(json, taken_at) +
                         L" FROM done");
}

}  // namespace pendrel::inventory
