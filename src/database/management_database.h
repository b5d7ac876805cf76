// The management database as the details window uses it: the library-wide
// state, the fixed query texts, GetRecordset, ReconnectDatabase, the Domains
// look-ups, the database stage of the load and the "&Active" box's write-back.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

#include "core/error.h"
#include "database/database.h"
#include "forms/form.h"
#include "forms/user_interface.h"
#include "outside/computer.h"

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

// VB's Err for the stretches that run with errors ignored: the error of the
// last failing step stays the current error until it is cleared.
class ErrState {
 public:
  int32_t number() const { return number_; }
  const std::wstring& description() const { return description_; }
  bool raised() const { return number_ != 0; }

  // Clears the pending error.
  void clear() {
    number_ = 0;
    description_.clear();
  }

  // Runs one step with errors ignored: an Error it raises becomes the current
  // error and the rest of the step is skipped. True when the step ran to its end.
  template <class Step>
  bool step(Step&& run) {
    try {
      run();
      return true;
    } catch (const Error& error) {
      number_ = error.number();
      description_ = error.description();
      return false;
    }
  }

 private:
  int32_t number_ = 0;
  std::wstring description_;
};

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

// Hourglass, close the connection when it is open, open it, default pointer.
// Errors reach the caller (the pointer then stays the hourglass).
void ReconnectDatabase(forms::UserInterface& ui, const std::shared_ptr<Connection>& connection);

// A client-side keyset recordset with optimistic locking over sql, opened on
// the connection (reconnecting it when it is closed or refuses the
// recordset). None when the recordset object cannot be made (after a message
// box), or when dropEmpty and it did not open or holds no rows. Runs with
// errors ignored except while the cursor settings are made; err is the Err of
// the caller's region and holds the last ignored error afterwards.
std::shared_ptr<Recordset> GetRecordset(DatabaseObjects& objects, forms::UserInterface& ui, ErrState& err,
                                        const std::shared_ptr<Connection>& connection, const std::wstring& sql,
                                        bool dropEmpty);

// The DomainID of the domain with that name, 0 when there is none.
int32_t GetDomainID(const std::shared_ptr<Connection>& connection, std::wstring_view name);
// The Name of the domain with that id, "" when there is none.
std::wstring GetDomainName(const std::shared_ptr<Connection>& connection, int32_t id);

// What the database stage reaches: the library state, the objects standing
// for CreateObject, the message and input boxes, the details window's form
// (for chkActive(0)) and its Computer.
struct StageContext {
  ManagementDatabase& db;
  DatabaseObjects& objects;
  forms::UserInterface& ui;
  forms::Form& details;
  const outside::Computer& computer;
};

// The database stage of the details load: opens a new ManagementConnection
// when ConnectString is set (offering to edit the string when the driver
// refuses one of its attributes), reads the computer's equipment row into
// EquipmentRecord and shows it in chkActive(0). Returns true when a
// connection string was set: errors are then ignored from the open on, err
// holds the current error, and the load goes on ignoring errors. Without one,
// chkActive(0) follows the EquipmentRecord an earlier load left and its
// failures reach the caller.
bool DatabaseStage(const StageContext& stage, ErrState& err);

// The click of chkActive(0): when the equipment row exists, writes whether
// the box is checked into its Active field and updates the row.
void StoreActive(const std::shared_ptr<Recordset>& equipment, bool checked);

}  // namespace pendrel::database
