#include "database/management_database.h"

#include "forms/check_box.h"
#include "windows/window_support.h"

namespace pendrel::database {
namespace {

namespace style = forms::msgbox_style;

// The library's file name without its extension.
constexpr std::wstring_view kLibraryName = L"pendrel";

// VB raises 91 when a member of Nothing is used.
template <class T>
T& deref(const std::shared_ptr<T>& object) {
  if (!object) throw Error::vb(vb_error::kObjectVariableNotSet);
  return *object;
}

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
    ask = connection.State() == kAdStateClosed && err.description() == kInvalidConnectionStringAttribute;
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
    const std::wstring sql = equipment_query(stage.computer.name(), stage.computer.domain());
    db.EquipmentRecord = GetRecordset(stage.objects, ui, err, db.ManagementConnection, sql, true);
  });
}

}  // namespace

std::wstring equipment_query(std::wstring_view name, std::wstring_view domain) {
  return L"Select * from vEquipment where EquipmentName='" + quoted(name) + L"' and DomainsName='" +
         quoted(domain) + L"'";
}

std::wstring domain_id_query(std::wstring_view name) {
  return L"Select * from Domains where Name = '" + quoted(name) + L"'";
}

std::wstring domain_name_query(int32_t id) { return L"Select * from Domains where DomainID=" + std::to_wstring(id); }

std::wstring assignments_query(std::wstring_view name, int32_t domain_id) {
  return L"Select * from qryEquipmentAssignments where Equipment.Name='" + quoted(name) +
         L"' and DomainID=" + std::to_wstring(domain_id);
}

std::wstring user_criteria(std::wstring_view account) { return L"[5x2]='" + quoted(account) + L"'"; }

std::wstring mac_address_query(std::wstring_view name) {
  return L"Select * from qryEquipment where Name='" + quoted(name) + L"'";
}

void ReconnectDatabase(forms::UserInterface& ui, const std::shared_ptr<Connection>& connection) {
  ui.set_mouse_pointer(forms::mouse_pointer::kHourglass);
  Connection& c = deref(connection);
  if (c.State() != kAdStateClosed) c.Close();
  c.Open();
  ui.set_mouse_pointer(forms::mouse_pointer::kDefault);
}

std::shared_ptr<Recordset> GetRecordset(DatabaseObjects& objects, forms::UserInterface& ui, ErrState& err,
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

  recordset->set_CursorLocation(kAdUseClient);
  recordset->set_CursorType(kAdOpenKeyset);
  recordset->set_LockType(kAdLockOptimistic);
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

int32_t GetDomainID(const std::shared_ptr<Connection>& connection, std::wstring_view name) {
  const std::shared_ptr<Recordset> domains = deref(connection).OpenRecordset(domain_id_query(name));
  Recordset& rs = deref(domains);
  const int32_t id = rs.RecordCount() > 0 ? rs.Fields(L"DomainID").Value().to_long() : 0;
  rs.Close();
  return id;
}

std::wstring GetDomainName(const std::shared_ptr<Connection>& connection, int32_t id) {
  const std::shared_ptr<Recordset> domains = deref(connection).OpenRecordset(domain_name_query(id));
  Recordset& rs = deref(domains);
  std::wstring name = rs.RecordCount() > 0 ? rs.Fields(L"Name").Value().to_text() : std::wstring();
  rs.Close();
  return name;
}

bool DatabaseStage(const StageContext& stage, ErrState& err) {
  ManagementDatabase& db = stage.db;
  const bool connecting = !db.ConnectString.empty();
  if (connecting) {
    // The previous load's connection is closed rather than left to linger
    // (a server session each); a failing close is no reason to stop. Errors
    // are not yet ignored otherwise: without a connection object the load
    // ends here (91).
    if (db.ManagementConnection) {
      ignore_errors([&] {
        if (db.ManagementConnection->State() != kAdStateClosed) db.ManagementConnection->Close();
      });
    }
    db.ManagementConnection = stage.objects.CreateConnection();
    Connection& connection = deref(db.ManagementConnection);
    connection.set_CursorLocation(kAdUseClient);
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

void StoreActive(const std::shared_ptr<Recordset>& equipment, bool checked) {
  Recordset& rs = deref(equipment);
  if (rs.RecordCount() <= 0) return;
  rs.Fields(L"Active").set_Value(checked);
  rs.Update();
}

}  // namespace pendrel::database
