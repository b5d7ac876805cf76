// The account-browse dialog of Kestrow1 (logon/kestrow_browse.h): a modal
// dialog built at run time, owned by the control's OwnerWindow, with a filter
// box, a multi-select list of the accounts (Name with the kind's icon,
// Description, Type), OK and Cancel. OK is enabled while a row is selected;
// a double-click on a row confirms it as well.
#pragma once

#include <windows.h>

#include <optional>
#include <vector>

#include "logon/kestrow_browse.h"

namespace pendrel::win32 {

// Control ids of the dialog, for tests that drive it by messages. OK and
// Cancel are IDOK and IDCANCEL.
inline constexpr int kBrowseFilterId = 1001;
inline constexpr int kBrowseListId = 1002;
inline constexpr int kBrowseLookInId = 1003;

class Win32BrowseDialog : public logon::BrowseDialog {
 public:
  // Runs the dialog's own message loop (the owner is disabled meanwhile).
  // Rows come back in list order, which is the order of request.accounts.
  // Raises an Error when the dialog cannot be made.
  std::optional<std::vector<size_t>> show(const logon::BrowseRequest& request) override;
};

}  // namespace pendrel::win32
