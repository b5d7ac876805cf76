// The details load's database stage and the recordset helpers it uses: the
// user sees their messages, the edit box and the hourglass, so they live with
// the window; the database layer under them only reaches data.
#pragma once

#include <memory>
#include <string>

#include "database/database.h"
#include "database/management_database.h"
#include "details/err_state.h"
#include "forms/form.h"
#include "forms/user_interface.h"
#include "outside/computer.h"

namespace pendrel::details {

// Hourglass, close the connection when it is open, open it, default pointer.
// Errors reach the caller (the pointer then stays the hourglass).
void ReconnectDatabase(forms::UserInterface& ui, const std::shared_ptr<database::Connection>& connection);

// A client-side keyset recordset with optimistic locking over sql, opened on
// the connection (reconnecting it when it is closed or refuses the
// recordset). None when the recordset object cannot be made (after a message
// box), or when dropEmpty and it did not open or holds no rows. Runs with
// errors ignored except while the cursor settings are made; err is the Err of
// the caller's region and holds the last ignored error afterwards.
std::shared_ptr<database::Recordset> GetRecordset(database::DatabaseObjects& objects, forms::UserInterface& ui,
                                                  ErrState& err,
                                                  const std::shared_ptr<database::Connection>& connection,
                                                  const std::wstring& sql, bool dropEmpty);

// What the database stage reaches: the library state, the objects standing
// for CreateObject, the message and input boxes, the details window's form
// (for chkActive(0)) and its Computer.
struct StageContext {
  database::ManagementDatabase& db;
  database::DatabaseObjects& objects;
  forms::UserInterface& ui;
  forms::Form& details;
  const outside::Computer& computer;
};

// The database stage of the details load: closes the previous load's
// connection and opens a new ManagementConnection when ConnectString is set
// (offering to edit the string when the driver refuses one of its
// attributes), reads the computer's equipment row into EquipmentRecord and
// shows it in chkActive(0). Returns true when a connection string was set:
// errors are then ignored from the open on, err holds the current error, and
// the load goes on ignoring errors. Without one, chkActive(0) follows the
// EquipmentRecord an earlier load left and its failures reach the caller.
bool DatabaseStage(const StageContext& stage, ErrState& err);

}  // namespace pendrel::details
