#include "details/users.h"

#include <map>
#include <memory>

#include "core/text.h"
#include "database/management_database.h"
#include "forms/list_view.h"
#include "outside/tavisk.h"

namespace pendrel::details {
namespace {

using database::Recordset;
using forms::ListItem;
using forms::ListItems;

constexpr int kAssignedIcon = 6;
constexpr int kLogonSessionIcon = 9;
constexpr int kInteractiveIcon = 11;

ListItems& users_list(FrmComputerDetails& window) {
  return window.form().get<forms::ListView>(L"ListView1", 2).list_items();
}

// A field compared with "" as an If statement compares it: Null is never
// unequal to anything, so it counts as "".
bool has_text(const Variant& value) { return !value.is_null() && !value.to_text().empty(); }

// The domain names of one pass over the assignments: each DomainID is looked
// up once, since the key and the Name column both need it for every row.
class DomainNames {
 public:
  explicit DomainNames(const std::shared_ptr<database::Connection>& connection) : connection_(connection) {}
  const std::wstring& operator()(int32_t id) {
    auto found = names_.find(id);
    if (found == names_.end()) found = names_.emplace(id, database::GetDomainName(connection_, id)).first;
    return found->second;
  }

 private:
  const std::shared_ptr<database::Connection>& connection_;
  std::map<int32_t, std::wstring> names_;
};

// Adds the row with key and text key_of(), or takes the row the key already
// has. Errors are ignored here: none means neither worked.
ListItem* add_or_take(LoadState& state, ListItems& items, std::wstring& key, const auto& key_of) {
  ListItem* row = nullptr;
  state.ignoring_errors = true;
  state.err.clear();
  state.run([&] {
    key = key_of();
    row = &items.add(key, key);
  });
  if (!row) state.run([&] { row = &items.item(key); });
  state.ignoring_errors = false;
  return row;
}

void show_assigned(ListItem& row, Recordset& users, const std::wstring& key) {
  // Without a qryUsers row for the account the recordset stays on whatever
  // row it was on; that user's details would be shown for the wrong account,
  // so such a row keeps an empty tag and description instead.
  const bool found = !users.NoMatch();
  row.set_tag(found ? trim_spaces(users[L"userID"].to_text()) : std::wstring());
  row.set_text(L"Assigned");
  row.set_sub_item(1, key);
  std::wstring description;
  if (found) {
    description = trim_spaces(users[L"Users.Name"].to_text());
    const Variant phone = users[L"PhoneExt"];
    if (has_text(phone)) description += L" (" + trim_spaces(phone.to_text()) + L")";
    const Variant location = users[L"Location"];
    if (has_text(location)) description += L" - " + trim_spaces(location.to_text());
  }
  row.set_sub_item(2, description);
  row.set_icon(kAssignedIcon);
  row.set_small_icon(kAssignedIcon);
}

void show_progress(FrmComputerDetails& window, std::wstring_view stage) {
  window.form().set_caption(window.full_name() + std::wstring(stage));
}

}  // namespace

std::wstring TextBeforeNull(std::wstring_view text) { return std::wstring(text.substr(0, text.find(L'\0'))); }

void AssignedUsersStage(FrmComputerDetails& window, LoadState& state) {
  database::ManagementDatabase& db = database::management_database();
  const outside::Computer computer = window.computer();

  state.ignoring_errors = true;
  // A failed open keeps the previous recordset, as an assignment that raised
  // never happened.
  state.run([&] {
    // Name, then Domain and its id, in the order the query text reads.
    const std::wstring name = computer.name();
    const int32_t domain_id = database::GetDomainID(db.ManagementConnection, computer.domain());
    db.AssignmentsRecordset =
        database::deref(db.ManagementConnection).OpenRecordset(database::assignments_query(name, domain_id));
  });
  if (!db.AssignmentsRecordset) return;

  state.err.clear();
  state.run([&] { database::deref(db.UsersRecordset).Close(); });
  state.run([&] { db.UsersRecordset = database::deref(db.ManagementConnection).OpenRecordset(database::kUsersQuery); });
  state.run([&] {
    if (db.AssignmentsRecordset->RecordCount() > 0) db.AssignmentsRecordset->MoveFirst();
  });
  state.ignoring_errors = false;

  Recordset& assignments = *db.AssignmentsRecordset;
  ListItems& items = users_list(window);
  DomainNames domain_name(db.ManagementConnection);
  while (!assignments.EOF()) {
    const Variant account_field = assignments[L"5x2"];
    if (!account_field.is_null()) {
      const std::wstring account = account_field.to_text();
      Recordset& users = database::deref(db.UsersRecordset);
      if (users.RecordCount() > 0) users.MoveFirst();
      users.FindFirst(database::user_criteria(account));
      std::wstring key;
      auto key_of = [&] { return domain_name(assignments[L"DomainID"].to_long()) + L"\\" + account; };
      if (ListItem* row = add_or_take(state, items, key, key_of)) show_assigned(*row, users, key);
    }
    assignments.MoveNext();
  }
}

void LoggedOnUsersStage(FrmComputerDetails& window, LoadState& state) {
  const outside::Computer computer = window.computer();
  state.UsersStatus = computer.get_users(true);
  state.HostText = L"\\\\" + computer.name();
}

void InteractiveUserStage(FrmComputerDetails& window, LoadState& state) {
  const outside::Computer computer = window.computer();
  state.ConsoleAccount =
      trim_spaces(computer.get_registry_value(outside::kHkeyLocalMachine, kConsoleUserKey, L"ConsoleUser", L"")
                      .to_text());
  if (!trim_spaces(state.ConsoleAccount).empty()) return;

  Tavisk& tavisk = window.services().tavisk;
  std::wstring user, account;
  state.LoadStatus = tavisk.NetGetInteractiveUser(state.HostText, user, account);
  if (TextBeforeNull(user).empty()) state.LoadStatus = tavisk.NetGetInteractiveUser(state.HostText, user, account);
  // The library writes into a buffer of kTaviskBufferSize characters.
  state.ConsoleAccount = TextBeforeNull(std::wstring_view(account).substr(0, kTaviskBufferSize));
}

void LogonSessionsStage(FrmComputerDetails& window, LoadState& state) {
  const outside::Computer computer = window.computer();
  if (state.UsersStatus != 0 && state.LoadStatus <= 0) return;
  const int32_t count = computer.logged_on_users().count();
  if (count <= 0) return;

  ListItems& items = users_list(window);
  for (int32_t i = 1; i <= count; ++i) {
    show_progress(window, L" -> Getting Loggon Sessions ...");
    const outside::LoggedOnUser entry = computer.logged_on_user(i);
    state.HostText = entry.domain() + L"\\";
    state.HostText += entry.name();
    std::wstring key;
    ListItem* row = add_or_take(state, items, key, [&] { return state.HostText; });
    if (!row) continue;
    row->set_tag(L"");
    const bool interactive = equal_no_case(state.HostText, state.ConsoleAccount);
    row->set_text(interactive ? L"Interactive" : L"Logon Session");
    row->set_icon(interactive ? kInteractiveIcon : kLogonSessionIcon);
    row->set_small_icon(interactive ? kInteractiveIcon : kLogonSessionIcon);
    row->set_sub_item(1, state.HostText);
  }
}

}  // namespace pendrel::details
