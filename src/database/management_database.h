// The management database as the details window uses it: the library-wide
// state, the fixed query texts, the Domains look-ups and the write-back of the
// Active flag. Data access only: the database stage that talks to the user
// belongs to the details window (details/database_stage.h).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

#include "database/database.h"

namespace pendrel::database {

// The state of one library instance on its thread, shared by every details
// window of that thread and outliving them.
struct ManagementDatabase {
  std::wstring ConnectString;
  std::shared_ptr<Connection> ManagementConnection;
  std::shared_ptr<Recordset> EquipmentRecord;
  std::shared_ptr<Recordset> UsersRecordset;
  std::shared_ptr<Recordset> AssignmentsRecordset;
};

// The calling thread's instance (the library is apartment threaded: each
// thread has its own, as each has its own windows), made on first use. Only
// a plain pointer is thread_local, so nothing of it runs at thread exit
// (under the loader lock): whoever owns the thread's component state ends it
// with release_management_database(), which closes what it holds.
inline ManagementDatabase*& thread_management_database() {
  thread_local ManagementDatabase* state = nullptr;
  return state;
}
inline ManagementDatabase& management_database() {
  ManagementDatabase*& state = thread_management_database();
  if (!state) state = new ManagementDatabase();
  return *state;
}
inline void release_management_database() { delete std::exchange(thread_management_database(), nullptr); }

// ConnectString, as the Database property of Properties reads and writes it.
inline std::wstring connect_string() { return management_database().ConnectString; }
inline void set_connect_string(std::wstring text) { management_database().ConnectString = std::move(text); }

// The description a driver's SQLSTATE 01S00 comes with; the stage offers to
// edit the connection string on exactly this text.
inline constexpr std::wstring_view kInvalidConnectionStringAttribute = L"Invalid connection string attribute";

// The fixed query texts; every inserted value has its single quotes doubled.
std::wstring equipment_query(std::wstring_view name, std::wstring_view domain);
std::wstring domain_id_query(std::wstring_view name);
std::wstring domain_name_query(int32_t id);
std::wstring assignments_query(std::wstring_view name, int32_t domain_id);
inline constexpr std::wstring_view kUsersQuery = L"qryUsers";
// The FindFirst criteria that finds an account in qryUsers.
std::wstring user_criteria(std::wstring_view account);
std::wstring mac_address_query(std::wstring_view name);

// The DomainID of the domain with that name, 0 when there is none.
int32_t GetDomainID(const std::shared_ptr<Connection>& connection, std::wstring_view name);
// The Name of the domain with that id, "" when there is none.
std::wstring GetDomainName(const std::shared_ptr<Connection>& connection, int32_t id);

// The write-back of the "&Active" box: when the equipment row exists, writes
// the flag into its Active field and updates the row.
void StoreActive(const std::shared_ptr<Recordset>& equipment, bool checked);

}  // namespace pendrel::database
