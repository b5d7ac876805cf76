// The remote computer's time zone, shown when the user clicks "&Remote
// Time:", and the two time-zone operations the load uses for this machine's
// zone.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "core/clock.h"
#include "core/variant.h"
#include "details/frm_computer_details.h"

namespace pendrel::details {

// The date-time of a transition record in the current year of now (a rule)
// or as written (an absolute date). None for month 0: Windows writes a zone
// without daylight saving that way, and such a zone has no transition.
std::optional<Date> GetTransitionDate(const SystemTime& transition, Date now);
// The text before the first NUL, else the text trimmed of spaces.
std::wstring GetZoneName(std::wstring_view name);
// The click on Label1(0).
void ShowRemoteTimeZone(FrmComputerDetails& window);

}  // namespace pendrel::details
