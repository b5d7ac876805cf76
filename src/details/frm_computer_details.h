// frmComputerDetails: one computer in five tabs (System, Applications, Work
// Groups, Users, Status). This file holds the window definition, its load,
// its reaction to Computer being set, the tab switch and the window-level
// values that the details parts share.
#pragma once

#include <string>

#include "component/component_window.h"
#include "component/environment.h"
#include "forms/form.h"

namespace pendrel::details {

inline constexpr wchar_t kNoComputerCaption[] = L"No Computer was given!";

class FrmComputerDetails : public component::ComponentWindow {
 public:
  explicit FrmComputerDetails(component::Environment& env);

  forms::Form& form() override { return form_; }
  component::Environment& environment() const { return env_; }

  // Credentials for mapping "IPC$", given by the Properties class.
  const std::wstring& AdminAcct() const { return admin_acct_; }
  void set_AdminAcct(std::wstring account) { admin_acct_ = std::move(account); }
  const std::wstring& Password() const { return password_; }
  void set_Password(std::wstring password) { password_ = std::move(password); }

  // Window-level values: they belong to the window object and outlive each
  // load of its form.
  std::wstring ComputerName;  // Name of Computer, taken when it is set
  bool LoadedOnce = false;    // the staged load ran for this load of the form
  bool IpcMapped = false;     // this window mapped the computer's "IPC$"
  bool QMHiveLoaded = false;  // this window loaded the computer's "QM" hive
  std::wstring QMHome;        // the product's "Home" key path
  std::wstring TimeZoneSuffix;

  // Brings the selected tab's frame to the front.
  void TabStrip1_Click();
  // "&Active" (index 0) writes the box back to the computer's equipment row.
  void chkActive_Click(int index);

 private:
  void design(forms::Form& f);
  void Form_Load();
  void computer_set() override;

  component::Environment& env_;
  std::wstring admin_acct_;
  std::wstring password_;
  forms::Form form_;
};

}  // namespace pendrel::details
