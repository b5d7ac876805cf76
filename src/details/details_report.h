// The details window's load for a script: a window of its own that is never
// shown runs the same staged load, and what its tabs then hold becomes a
// report (report/computer_report.h). Message boxes become the report's
// errors, DoEvents does nothing, and nothing is written back.
#pragma once

#include "details/frm_computer_details.h"
#include "report/computer_report.h"

namespace pendrel::details {

// The report of the window's Computer, read through a hidden window with the
// same host objects and IPC$ account; WithApps also loads the applications
// tab, the work groups and the make and model.
report::ComputerReport ReportComputer(FrmComputerDetails& window, bool with_apps);

// The parsed clock skew: the remote time against the console's local time,
// both as the System tab shows them ("Sat Mar 14 09:26:53 2026", anything
// after the year ignored), corrected by the difference of the two biases in
// minutes. None when either text is not a shown time.
std::optional<int64_t> ClockSkewSeconds(std::wstring_view remote_time, std::wstring_view local_time,
                                        int32_t bias_difference_minutes);

}  // namespace pendrel::details
