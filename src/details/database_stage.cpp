#include "details/database_stage.h"

#include "forms/check_box.h"
#include "windows/window_support.h"

namespace pendrel::details {
namespace {

using database::Connection;
using database::deref;
using database::kAdStateClosed;
using database::ManagementDatabase;
using database::Recordset;
namespace style = forms::msgbox_style;

std::wstring title() { return std::wstring(windows::kComponentTitle); }

// A boolean field as an If statement tests it: Null counts as false.
bool is_true(const Variant& value) { return !value.is_null() && value.to_bool(); }

// chkActive(0) from the equipment row: checked when its Active is true,
// clear when it is false or there is no row.
void show_active(forms::CheckBox& box, Recordset& equipment) {
  const bool active = equipment.RecordCount() > 0 && is_true(equipment[L"Active"]);
  box.set_value(active ? forms::check_value::kChecked : forms::check_value::kUnchecked);
}

// Steps 4 to 9 of the stage: open the new connection, report a failure, let
// the user repair the string, read the equipment row. Errors are ignored.
void open_and_read(const StageContext& stage, ErrState& err) {
  ManagementDatabase& db = stage.db;
  forms::UserInterface& ui = stage.ui;
  Connection& connection = *db.ManagementConnection;

  err.clear();
  err.step([&] { connection.Open(); });
  if (err.raised()) {
    err.step([&] {
      ui.message_box(err.description() + L"\r\n\r\nPlease correct the Larkspan DSN in the Registry and restart.",
                     style::kCritical, title());
    });
  }

  bool ask = false;
  err.step([&] {
    ask = connection.State() == kAdStateClosed && err.description() == database::kInvalidConnectionStringAttribute;
  });
  if (ask) {
    int answer = forms::msgbox_result::kNo;
    err.step([&] {
      answer = ui.message_box(
          L"There was a connect error to the Larkspans Database.  It is most likely a UserID issue.  "
          L"Do you want to edit the connect string?",
          style::kQuestion | style::kYesNo, title());
    });
    if (answer == forms::msgbox_result::kYes) {
      err.step([&] { db.ConnectString = ui.input_box(L"Edit:", L"Larkspan ODBC Connection String", db.ConnectString); });
      bool reopen = false;
      err.step([&] { reopen = !connection.ConnectionString().empty(); });
      if (reopen) {
        err.step([&] { connection.set_ConnectionString(db.ConnectString); });
        err.step([&] { connection.Open(); });
      }
    }
  }

  err.step([&] {
    // Name, then Domain, in the order the query text reads.
    const std::wstring name = stage.computer.name();
    const std::wstring sql = database::equipment_query(name, stage.computer.domain());
    db.EquipmentRecord = GetRecordset(stage.objects, ui, err, db.ManagementConnection, sql, true);
  });
}

}  // namespace

void ReconnectDatabase(forms::UserInterface& ui, const std::shared_ptr<Connection>& connection) {
  ui.set_mouse_pointer(forms::mouse_pointer::kHourglass);
  Connection& c = deref(connection);
  if (c.State() != kAdStateClosed) c.Close();
  c.Open();
  ui.set_mouse_pointer(forms::mouse_pointer::kDefault);
}

std::shared_ptr<Recordset> GetRecordset(database::DatabaseObjects& objects, forms::UserInterface& ui, ErrState& err,
                                        const std::shared_ptr<Connection>& connection, const std::wstring& sql,
                                        bool dropEmpty) {
  // Turning errors off clears the pending error, as VB's On Error does.
  err.clear();
  std::shared_ptr<Recordset> recordset;
  err.step([&] { recordset = objects.CreateRecordset(); });
  if (!recordset) {
    ui.message_box(L"Error Calling CreateObject(ADODB.Recordset).  " + std::to_wstring(err.number()) + L" - " +
                       err.description(),
                   style::kOKOnly, title());
    return nullptr;
  }

  bool closed = false;
  err.step([&] { closed = deref(connection).State() == kAdStateClosed; });
  if (closed) {
    err.step([&] { ReconnectDatabase(ui, connection); });
    err.step([&] { recordset->set_ActiveConnection(connection); });
  } else {
    err.clear();
    if (!err.step([&] { recordset->set_ActiveConnection(connection); })) {
      err.step([&] { ReconnectDatabase(ui, connection); });
      err.step([&] { recordset->set_ActiveConnection(connection); });
    }
  }

  recordset->set_CursorLocation(database::kAdUseClient);
  recordset->set_CursorType(database::kAdOpenKeyset);
  recordset->set_LockType(database::kAdLockOptimistic);
  recordset->set_Source(sql);

  err.clear();
  err.step([&] { recordset->Open(); });

  if (recordset->State() == kAdStateClosed) return dropEmpty ? nullptr : recordset;
  if (recordset->RecordCount() == 0 && dropEmpty) {
    recordset->Close();
    return nullptr;
  }
  return recordset;
}

bool DatabaseStage(const StageContext& stage, ErrState& err) {
  ManagementDatabase& db = stage.db;
  const bool connecting = !db.ConnectString.empty();
  if (connecting) {
    // The previous load's connection is dropped without an explicit close: it
    // disconnects once the last recordset opened on it is gone too. Without a
    // connection object the load ends here (91).
    db.ManagementConnection = stage.objects.CreateConnection();
    Connection& connection = deref(db.ManagementConnection);
    connection.set_CursorLocation(database::kAdUseClient);
    connection.set_ConnectionString(db.ConnectString);
    open_and_read(stage, err);
  }

  auto value = [&] {
    if (db.EquipmentRecord) show_active(stage.details.get<forms::CheckBox>(L"chkActive", 0), *db.EquipmentRecord);
  };
  auto visibility = [&] {
    stage.details.get<forms::CheckBox>(L"chkActive", 0).set_visible(db.EquipmentRecord != nullptr);
  };
  if (connecting) {
    err.step(value);
    err.step(visibility);
  } else {
    value();
    visibility();
  }
  return connecting;
}

}  // namespace pendrel::details
