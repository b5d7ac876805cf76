// frmLogonProperty: edits what the logon extension of one computer reads from
// that computer's registry: event messages at logon and logoff, their server,
// the watched accounts and the accounts allowed or denied interactive logons.
// This file holds the window definition, its load, its reaction to Computer
// being set, the check-box rule and the tab switch.
#pragma once

#include "component/component_window.h"
#include "component/environment.h"
#include "forms/form.h"
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

 private:
  void design(forms::Form& f);
  void Form_Load();
  void computer_set() override;

  outside::Computer computer() const { return outside::Computer(Computer()); }

  component::Environment& env_;
  forms::Form form_;
};

}  // namespace pendrel::logon
