// The stages of the details load that describe the machine itself on the
// System and Status tabs: this machine's time zone and clock, whether the
// computer answers and its addresses, its remote time, its description,
// operating system and server roles, and how an unreachable one is shown.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/variant.h"
#include "details/frm_computer_details.h"
#include "details/load_state.h"

namespace pendrel::details {

// "ddd mmm dd hh:nn:ss yyyy" (en-US names): "Sat Mar 14 09:26:53 2026".
std::wstring FormatTime(Date date);

// The server-role texts of the set bits of PlatFormType, in table order.
// Null counts as 0.
std::vector<std::wstring> ServerTypes(const Variant& platform_type);
// "NT 4.0", "Win9x 4.10", "?? 3.51".
std::wstring OperatingSystem(const Variant& platform_id, const Variant& major, const Variant& minor);

// LocalTimeZone, TimeZoneSuffix, Label2(8), Label2(4) and Label2(7).
void LocalTimeZoneStage(FrmComputerDetails& window, LoadState& state);
// Label2(7) = local time + TimeZoneSuffix.
void ShowLocalTime(FrmComputerDetails& window);
// Ping settings, Reachable from GetServerInformation(102), the addresses,
// the equipment MAC address (errors ignored; ends the ignoring region).
void ReachabilityStage(FrmComputerDetails& window, LoadState& state);
// Label2(0): this machine's clock with suffix for the console's own
// computer, the computer's time otherwise.
void RemoteTimeStage(FrmComputerDetails& window, LoadState& state);
// Description, OS, cmbTypes. False when GetServerInformation(101) failed:
// the load then ends.
bool ComputerDetailsStage(FrmComputerDetails& window, LoadState& state);
// "N/A" labels, the off-line picture and box, and "&Wake Up".
void OfflinePresentation(FrmComputerDetails& window, LoadState& state);

}  // namespace pendrel::details
