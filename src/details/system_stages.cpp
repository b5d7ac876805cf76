#include "details/system_stages.h"

#include <array>
#include <utility>

#include "core/error.h"
#include "database/management_database.h"
#include "details/time_zone.h"
#include "forms/check_box.h"
#include "forms/combo_box.h"
#include "forms/command_button.h"
#include "forms/host_control.h"
#include "forms/image.h"
#include "forms/label.h"
#include "outside/controls.h"

namespace pendrel::details {
namespace {

using database::deref;

// What ResolveHost and the host's IPAddr answer for a name that does not
// resolve.
constexpr wchar_t kUnresolved[] = L"Error = 2";
constexpr wchar_t kNotAvailable[] = L"N/A";

struct ServerType {
  uint32_t bit;
  const wchar_t* text;
};

// The order is the one the list shows, not the order of the bits.
constexpr std::array<ServerType, 23> kServerTypes{{
    {0x00000001, L"All LAN Manager workstations"},
    {0x00000002, L"All LAN Manager servers"},
    {0x00000004, L"Any server running with Microsoft SQL Server"},
    {0x00000008, L"Primary domain controller"},
    {0x00000010, L"Backup domain controller"},
    {0x00000020, L"Server running the Timesource service"},
    {0x00000040, L"Apple File Protocol servers"},
    {0x00000080, L"Novell Servers"},
    {0x00000100, L"LAN Manager 2.x Domain Member"},
    {0x40000000, L"Servers maintained by the browser"},
    {0x00000200, L"Server sharing print queue"},
    {0x00000400, L"Server running dial-in service"},
    {0x00000800, L"Xenix Server"},
    {0x00004000, L"Microsoft File and Print for Netware"},
    {0x00001000, L"Windows NT (either Workstation or Server)"},
    {0x00002000, L"Server running Windows for Workgroups"},
    {0x00008000, L"Windows NT non-DC server"},
    {0x00010000, L"Server that can run the Browser service"},
    {0x00020000, L"Server running a Browser service as backup"},
    {0x00040000, L"Server running the master Browser service"},
    {0x00080000, L"Server running the domain master Browser"},
    {0x80000000, L"Primary domain"},
    {0x00400000, L"Windows 95 Or later"},
}};

forms::Label& Label2(FrmComputerDetails& window, int index) {
  return window.form().get<forms::Label>(L"Label2", index);
}

// A host value joined into a caption with "&": Null adds nothing.
std::wstring joined_text(const Variant& value) { return value.is_null() ? std::wstring() : value.to_text(); }

std::wstring two_digits(int n) { return (n < 10 ? L"0" : L"") + std::to_wstring(n); }

// The date-time in this machine's default form, or "" for no transition.
std::wstring transition_text(LocalClock& clock, const SystemTime& transition) {
  const std::optional<Date> date = GetTransitionDate(transition, clock.Now());
  return date ? clock.DateTimeText(*date) : std::wstring();
}

// The equipment row's MAC address replaces the host's when the database has
// one. Errors are ignored throughout, and the region ends here.
void read_equipment_mac(FrmComputerDetails& window, LoadState& state, const outside::Computer& computer) {
  database::ManagementDatabase& db = database::management_database();
  state.ignoring_errors = true;
  // The assignments recordset is closed when it is open. When it closed
  // without error it is done with as well, so the equipment row is read in
  // both cases: reading the closed assignments instead would only raise and
  // show nothing.
  state.err.step([&] { deref(db.AssignmentsRecordset).Close(); });
  state.run([&] {
    db.AssignmentsRecordset = deref(db.ManagementConnection).OpenRecordset(database::mac_address_query(computer.name()));
  });
  int32_t rows = 0;
  state.run([&] { rows = deref(db.AssignmentsRecordset).RecordCount(); });
  if (rows > 0) {
    state.run([&] { deref(db.AssignmentsRecordset).MoveFirst(); });
    state.run([&] { Label2(window, 9).set_caption(deref(db.AssignmentsRecordset)[L"MACAddr"].to_text()); });
  }
  state.run([&] { deref(db.AssignmentsRecordset).Close(); });
  db.AssignmentsRecordset = nullptr;
  state.ignoring_errors = false;
}

}  // namespace

std::wstring FormatTime(Date date) {
  static constexpr const wchar_t* kDays[] = {L"Sun", L"Mon", L"Tue", L"Wed", L"Thu", L"Fri", L"Sat"};
  static constexpr const wchar_t* kMonths[] = {L"Jan", L"Feb", L"Mar", L"Apr", L"May", L"Jun",
                                               L"Jul", L"Aug", L"Sep", L"Oct", L"Nov", L"Dec"};
  const DateParts p = to_parts(date);
  return std::wstring(kDays[p.weekday]) + L" " + kMonths[p.month - 1] + L" " + two_digits(p.day) + L" " +
         two_digits(p.hour) + L":" + two_digits(p.minute) + L":" + two_digits(p.second) + L" " +
         std::to_wstring(p.year);
}

std::vector<std::wstring> ServerTypes(const Variant& platform_type) {
  uint32_t bits = 0;
  if (platform_type.kind() == Variant::Kind::Double) {
    // A script host hands the high bit over as a number beyond 32 bits. What
    // no 32-bit word holds, signed or unsigned (NaN and infinities too),
    // overflows as every other conversion of a number does.
    const double value = platform_type.to_double();
    if (!(value > -2147483649.0 && value < 4294967296.0)) throw Error::vb(vb_error::kOverflow);
    bits = static_cast<uint32_t>(static_cast<int64_t>(value));
  } else if (!platform_type.is_null()) {
    bits = static_cast<uint32_t>(platform_type.to_long());
  }
  std::vector<std::wstring> types;
  for (const ServerType& type : kServerTypes) {
    if (bits & type.bit) types.emplace_back(type.text);
  }
  return types;
}

std::wstring OperatingSystem(const Variant& platform_id, const Variant& major, const Variant& minor) {
  const int32_t id = platform_id.is_numeric() ? platform_id.to_long() : 0;
  const wchar_t* name = id == 400 ? L"Win9x" : id == 500 ? L"NT" : L"??";
  return name + (L" " + joined_text(major)) + L"." + joined_text(minor);
}

void LocalTimeZoneStage(FrmComputerDetails& window, LoadState& state) {
  LocalClock& clock = window.services().clock;
  int32_t zone = time_zone_id::kInvalid;
  state.run([&] { zone = clock.GetTimeZoneInformation(window.LocalTimeZone); });
  if (zone == time_zone_id::kInvalid) {
    window.TimeZoneSuffix.clear();
  } else {
    const TimeZoneInformation& info = window.LocalTimeZone;
    if (zone == time_zone_id::kUnknown) {
      window.TimeZoneSuffix = L" (Time Zone Unknown!)";
    } else if (zone == time_zone_id::kStandard) {
      window.TimeZoneSuffix = L" (" + GetZoneName(info.StandardName) + L")";
    } else if (zone == time_zone_id::kDaylight) {
      window.TimeZoneSuffix = L" (" + GetZoneName(info.DaylightName) + L")";
    }
    state.run([&] { Label2(window, 8).set_caption(transition_text(clock, info.StandardDate)); });
    state.run([&] { Label2(window, 4).set_caption(transition_text(clock, info.DaylightDate)); });
  }
  state.run([&] { ShowLocalTime(window); });
}

void ShowLocalTime(FrmComputerDetails& window) {
  Label2(window, 7).set_caption(FormatTime(window.services().clock.Now()) + window.TimeZoneSuffix);
}

void ReachabilityStage(FrmComputerDetails& window, LoadState& state) {
  const outside::Computer computer = window.computer();
  const auto ping = [&window] {
    return outside::PingControl(window.form().get<forms::HostControl>(L"Ping1").object());
  };
  state.run([&] { ping().set_ping_host(computer.name()); });
  state.run([&] { ping().set_ping_count(3); });
  state.run([&] { ping().set_ping_setting(5); });

  state.run([&] { computer.set_reachable(true); });
  state.run([&] { state.LoadStatus = computer.get_server_information(102); });
  state.run([&] { computer.set_reachable(state.LoadStatus != outside::kStatusPathNotFound); });
  state.run([&] { window.form().refresh(); });

  bool unresolved = false;
  state.run([&] { unresolved = computer.ip_addr() == kUnresolved; });
  if (unresolved) {
    state.run([&] { computer.set_ip_addr(L""); });
    state.run([&] { computer.set_mac_addr(L""); });
    state.run([&] { state.HostText = ping().resolve_host(computer.name()); });
    // An unresolved name leaves the address labels as they were.
    if (state.HostText != kUnresolved) {
      state.run([&] { Label2(window, 5).set_caption(ping().ping_address()); });
      state.run([&] { Label2(window, 6).set_caption(ping().ping_full_name()); });
      state.run([&] { Label2(window, 9).set_caption(computer.mac_addr()); });
    }
  } else {
    state.run([&] { Label2(window, 5).set_caption(computer.ip_addr()); });
    state.run([&] { Label2(window, 6).set_caption(computer.name()); });
    state.run([&] { Label2(window, 9).set_caption(computer.mac_addr()); });
  }

  read_equipment_mac(window, state, computer);
}

// The console's own computer would answer its time through the network
// path as well; this machine's clock gives it at once, with the zone. An
// empty answer of another computer stays empty: the load then skips the
// reachable chain, so "IPC$" is not mapped for a second try (a retry could
// only run after that decision, and the mapping would merely hold a
// connection open). IpcMapped therefore stays false.
void RemoteTimeStage(FrmComputerDetails& window, LoadState&) {
  const outside::Computer computer = window.computer();
  const outside::DomainObject domain = window.domain_object();
  // Both comparisons are made, each in this order of reads, as the host sees them.
  const std::wstring this_computer = domain.this_computer_name();
  const bool same_name = this_computer == computer.name();
  const std::wstring this_domain = domain.this_domain_name();
  const bool same_domain = this_domain == computer.domain();
  if (same_name && same_domain) {
    Label2(window, 0).set_caption(FormatTime(window.services().clock.Now()) + window.TimeZoneSuffix);
    return;
  }
  // Formatting an empty text gives an empty text, as for Empty; the load then
  // skips what needs the remote time.
  const Variant time = computer.time();
  const bool none = time.is_empty() || time.is_null() || (time.kind() == Variant::Kind::Text && time.text().empty());
  Label2(window, 0).set_caption(none ? std::wstring() : FormatTime(time.to_date()));
}

bool ComputerDetailsStage(FrmComputerDetails& window, LoadState& state) {
  const outside::Computer computer = window.computer();
  state.LoadStatus = computer.get_server_information(101);
  if (state.LoadStatus != 0) return false;
  // A host without a description leaves Null, shown as nothing.
  Label2(window, 1).set_caption(joined_text(computer.description()));
  const Variant id = computer.platform_id();
  const Variant major = computer.version_major();
  const Variant minor = computer.version_minor();
  Label2(window, 2).set_caption(OperatingSystem(id, major, minor));
  auto& types = window.form().get<forms::ComboBox>(L"cmbTypes");
  for (std::wstring& text : ServerTypes(computer.platform_type())) types.add_item(std::move(text));
  if (types.list_count() > 0) types.set_list_index(0);
  return true;
}

void OfflinePresentation(FrmComputerDetails& window, LoadState& state) {
  forms::Form& form = window.form();
  form.get<forms::Image>(L"Image1", 1).zorder(0);
  form.get<forms::CheckBox>(L"chkActive", 1).set_value(forms::check_value::kUnchecked);
  for (int index = 0; index <= 3; ++index) Label2(window, index).set_caption(kNotAvailable);
  // A name that did not resolve has no address to show.
  if (state.HostText.find(L"Error") != std::wstring::npos) {
    Label2(window, 5).set_caption(kNotAvailable);
    Label2(window, 6).set_caption(kNotAvailable);
  }
  form.get<forms::CommandButton>(L"Command1", 2).set_enabled(!Label2(window, 9).caption().empty());
}

}  // namespace pendrel::details
