// The Users tab of the details window: the users the management database
// assigns to the computer, the accounts logged on to it, and which of them is
// at the console. One account is one row of ListView1(2).
#pragma once

#include <string>
#include <string_view>

#include "details/frm_computer_details.h"
#include "details/load_state.h"

namespace pendrel::details {

inline constexpr wchar_t kConsoleUserKey[] = L"SOFTWARE\\Vyx\\GINA\\MRU";

// The text before the first NUL, or the whole text when it has none.
std::wstring TextBeforeNull(std::wstring_view text);

// Assigned users (after the database stage), one "Assigned" row per account
// of the computer's assignments. The stage starts the region where errors are
// ignored at the user queries itself, so the caller need not set
// state.ignoring_errors (a region already running from the database stage
// simply goes on). When the assignments cannot be opened it returns with
// state.ignoring_errors still true: the caller keeps it so through the
// reachability stage's MAC look-up. Otherwise it returns with it false, and a
// failure while walking the rows propagates and ends the load. An account
// without a qryUsers row gets its row with an empty tag and description.
void AssignedUsersStage(FrmComputerDetails& window, LoadState& state);
// UsersStatus = GetUsers(true); HostText = "\\" + Name.
void LoggedOnUsersStage(FrmComputerDetails& window, LoadState& state);
// ConsoleAccount from the MRU value, else from NetGetInteractiveUser (asked
// twice when its first answer names no user; LoadStatus takes its status).
void InteractiveUserStage(FrmComputerDetails& window, LoadState& state);
// One row per logged-on entry, the console account "Interactive"; sets the
// caption " -> Getting Loggon Sessions ..." per entry.
void LogonSessionsStage(FrmComputerDetails& window, LoadState& state);

}  // namespace pendrel::details
