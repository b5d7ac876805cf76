// frmLogonProperty: edits what the logon extension of one computer reads from
// that computer's registry: event messages at logon and logoff, their server,
// the watched accounts and the accounts allowed or denied interactive logons.
// The account lists themselves (reading, naming, writing back, sorting) are
// in account_lists.h.
#pragma once

#include <string>

#include "component/component_window.h"
#include "component/environment.h"
#include "forms/form.h"
#include "forms/list_view.h"
#include "outside/computer.h"

namespace pendrel::logon {

inline constexpr wchar_t kSettingsKey[] = L"SOFTWARE\\Vyx\\Gina\\Settings";
inline constexpr wchar_t kRestrictionsKey[] = L"SOFTWARE\\Vyx\\Gina\\Restrictions";
// The first list column ("Name") is this wide, twips.
inline constexpr float kNameColumnWidth = 2350;

class FrmLogonProperty : public component::ComponentWindow {
 public:
  explicit FrmLogonProperty(component::Environment& env);

  forms::Form& form() override { return form_; }
  component::Environment& environment() const { return env_; }

  // Frames 0 and 1, their lists and their Add and Delete buttons follow the
  // two check boxes; frames 2 and 3 have no box.
  void chkLogons_Click();
  // T = the selected tab: the allow and deny frames go to the back, frame
  // T - 1 comes to the front, with its check box for tabs 1 and 2.
  void TabStrip1_Click();
  // Adds or refreshes one row per account of an account list value; never
  // fails.
  void LoadListView(forms::ListView& InListView1, const std::wstring& InData);
  // 0 OK, 1 Cancel, 2 "&Select ...", 3 to 6 Add, 7 to 10 Delete.
  void cmdButton_Click(int index);
  void ListView1_ColumnClick(int index, forms::ColumnHeader& header);

 private:
  void design(forms::Form& f);
  void Form_Load();
  void Form_Activate();
  void computer_set() override;
  void save();
  void add_accounts(int list_index);
  void delete_account(int list_index);

  forms::ListView& list(int index) { return form_.get<forms::ListView>(L"ListView1", index); }

  outside::Computer computer() const { return outside::Computer(Computer()); }

  component::Environment& env_;
  forms::Form form_;
};

}  // namespace pendrel::logon
