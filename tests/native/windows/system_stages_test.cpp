#include "details/system_stages.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "database/demo_db.h"
#include "database/management_database.h"
#include "details/time_zone.h"
#include "details_fakes.h"
#include "forms/check_box.h"
#include "forms/combo_box.h"
#include "forms/command_button.h"
#include "forms/host_control.h"
#include "forms/label.h"

namespace pendrel::details {
namespace {

using fakes::count_of;
using fakes::starting_with;
using Lines = std::vector<std::wstring>;

class SystemStagesTest : public ::testing::Test {
 protected:
  SystemStagesTest() {
    bed.computer->on(L"Name").get(L"PC042");
    bed.computer->on(L"Domain").get(L"SALES");
    bed.computer->property(L"Reachable", false);
    bed.domain_object->on(L"ThisComputerName").get(L"CONSOLE1");
    bed.domain_object->on(L"ThisDomainName").get(L"SALES");
    ping->on(L"PingHost", 6).let(0);
    ping->on(L"PingCount", 5).let(0);
    ping->on(L"PingSetting", 2).let(0);
    ping->on(L"PingAddress", 7).get(L"127.0.0.1");
    ping->on(L"PingFullName", 8).get(L"pc042.sales.test");
    window.set_DomainObject(bed.domain_object);
    window.set_Computer(bed.computer);
    form.get<forms::HostControl>(L"Ping1").set_object(ping);
    bed.log->clear();
  }
  ~SystemStagesTest() override { database::release_management_database(); }

  std::wstring label(int index) { return form.get<forms::Label>(L"Label2", index).caption(); }

  fakes::DetailsTestBed bed;
  FrmComputerDetails window{bed.env};
  forms::Form& form = window.form();
  std::shared_ptr<fakes::FakeDispatch> ping = bed.computer->sibling(L"Ping1");
  LoadState state;
};

TEST(SystemTexts, ServerTypesOperatingSystemAndTimeFormat) {
  EXPECT_EQ(ServerTypes(int32_t{0x1003}), (Lines{L"All LAN Manager workstations", L"All LAN Manager servers",
                                                 L"Windows NT (either Workstation or Server)"}));
  EXPECT_EQ(ServerTypes(int32_t{0x40008000}), (Lines{L"Servers maintained by the browser", L"Windows NT non-DC server"}));
  EXPECT_EQ(ServerTypes(2147483648.0), Lines{L"Primary domain"});
  EXPECT_EQ(ServerTypes(Variant::null()), Lines{});
  const Lines all = ServerTypes(int32_t{-1});
  ASSERT_EQ(all.size(), 23u);
  EXPECT_EQ(all[9] + L"|" + all[14] + L"|" + all[22],
            L"Servers maintained by the browser|Windows NT (either Workstation or Server)|Windows 95 Or later");

  EXPECT_EQ(OperatingSystem(int32_t{500}, int16_t{4}, int16_t{0}), L"NT 4.0");
  EXPECT_EQ(OperatingSystem(int32_t{400}, int16_t{4}, int16_t{10}), L"Win9x 4.10");
  EXPECT_EQ(OperatingSystem(int32_t{300}, int16_t{5}, int16_t{1}), L"?? 5.1");
  EXPECT_EQ(OperatingSystem(Variant::null(), Variant::null(), Variant::null()), L"?? .");

  EXPECT_EQ(FormatTime(make_date({2026, 3, 14, 9, 26, 53})), L"Sat Mar 14 09:26:53 2026");
  EXPECT_EQ(FormatTime(make_date({2027, 1, 1, 23, 5, 0})), L"Fri Jan 01 23:05:00 2027");
}

TEST(SystemTexts, TransitionDatesAndZoneNames) {
  const Date in_2026 = make_date({2026, 7, 4, 12, 0, 0});
  struct Case { SystemTime rule; const wchar_t* expected; } cases[] = {
      {{0, 3, 0, 5, 2}, L"3/29/2026 2:00:00 AM"},     // last Sunday of March
      {{0, 3, 0, 1, 2}, L"3/1/2026 2:00:00 AM"},      // first Sunday, on the 1st
      {{0, 11, 0, 1, 2}, L"11/1/2026 2:00:00 AM"},
      {{0, 10, 6, 2, 3, 30}, L"10/10/2026 3:30:00 AM"},  // second Saturday
      {{0, 2, 1, 5, 0}, L"2/23/2026"},                // last Monday of a short month
      {{2027, 4, 0, 3, 1, 2, 3}, L"4/3/2027 1:02:03 AM"},  // absolute date
  };
  for (const Case& c : cases) {
    const auto date = GetTransitionDate(c.rule, in_2026);
    ASSERT_TRUE(date) << c.expected;
    EXPECT_EQ(date_text(*date), c.expected);
  }
  EXPECT_FALSE(GetTransitionDate({0, 0, 0, 1, 2}, in_2026));

  EXPECT_EQ(GetZoneName(std::wstring(L"Pacific\0junk", 12)), L"Pacific");
  EXPECT_EQ(GetZoneName(std::wstring(L" Pacific \0", 10)), L" Pacific ");
  EXPECT_EQ(GetZoneName(std::wstring(L"\0Pacific", 8)), L"");
  EXPECT_EQ(GetZoneName(L"  Pacific  "), L"Pacific");
}

TEST_F(SystemStagesTest, LocalTimeZoneSuffixByResult) {
  bed.clock.zone.StandardName = std::wstring(L"Eastern Standard Time\0\0", 23);
  bed.clock.zone.DaylightName = L" Eastern Daylight Time ";
  bed.clock.zone.StandardDate = {0, 11, 0, 1, 2};
  struct Case { int32_t result; const wchar_t* suffix; const wchar_t* standard; } cases[] = {
      {0, L" (Time Zone Unknown!)", L"11/1/2026 2:00:00 AM"},
      {1, L" (Eastern Standard Time)", L"11/1/2026 2:00:00 AM"},
      {2, L" (Eastern Daylight Time)", L"11/1/2026 2:00:00 AM"},
      {-1, L"", L"untouched"},
  };
  for (const Case& c : cases) {
    window.TimeZoneSuffix = L"old";
    form.get<forms::Label>(L"Label2", 8).set_caption(L"untouched");
    bed.clock.zone_result = c.result;
    LocalTimeZoneStage(window, state);
    EXPECT_EQ(window.TimeZoneSuffix, c.suffix) << c.result;
    EXPECT_EQ(label(8), c.standard) << c.result;
    EXPECT_EQ(label(7), std::wstring(L"Sat Mar 14 09:30:00 2026") + c.suffix);
  }
  EXPECT_EQ(label(4), L"");  // daylight rule of month 0: no transition
}

TEST_F(SystemStagesTest, ReachableComputerCallsInOrderAndTakesTheEquipmentMacAddress) {
  database::DemoDatabase demo;
  auto& db = database::management_database();
  db.ManagementConnection = bed.odbc.CreateConnection();
  db.ManagementConnection->set_ConnectionString(demo.connection_string());
  db.ManagementConnection->Open();
  bed.computer->on(L"GetServerInformation").call(0);
  bed.computer->on(L"IPAddr").get(L"127.0.0.1");
  bed.computer->on(L"MACAddr").get(L"host-mac");
  for (bool assignments_open : {false, true}) {
    bed.log->clear();
    db.AssignmentsRecordset = assignments_open ? db.ManagementConnection->OpenRecordset(L"qryUsers") : nullptr;
    state.ignoring_errors = true;
    ReachabilityStage(window, state);
    EXPECT_EQ(label(5) + L"|" + label(6) + L"|" + label(9), L"127.0.0.1|PC042|00-1A-2B-3C-4D-5E");
    EXPECT_FALSE(db.AssignmentsRecordset);
    EXPECT_FALSE(state.ignoring_errors);
  }
  EXPECT_EQ(bed.log->trace(),
            (Lines{L"get Computer.Name", L"let Ping1.PingHost = \"PC042\"", L"let Ping1.PingCount = 3",
                   L"let Ping1.PingSetting = 5", L"let Computer.Reachable = True",
                   L"call Computer.GetServerInformation(102)", L"let Computer.Reachable = True", L"get Computer.IPAddr",
                   L"get Computer.IPAddr", L"get Computer.Name", L"get Computer.MACAddr", L"get Computer.Name"}));
  EXPECT_EQ(bed.peer_lines(L"refresh"), 2);
}

TEST_F(SystemStagesTest, UnreachableComputerIsShownOffLine) {
  bed.computer->on(L"GetServerInformation").call(53);
  bed.computer->on(L"IPAddr").get(L"Error = 2");
  bed.computer->on(L"MACAddr").get(L"");
  for (auto name : {L"IPAddr", L"MACAddr"}) bed.computer->on(name).let(0);
  struct Case { const wchar_t* resolved; const wchar_t* mac; const wchar_t* addresses; bool wake; } cases[] = {
      {L"Error = 2", L"", L"N/A|N/A", false},
      {L"Error = 2", L"00-1A-2B-3C-4D-5E", L"N/A|N/A", true},
      {L"127.0.0.1", L"", L"127.0.0.1|pc042.sales.test", false},
  };
  for (const Case& c : cases) {
    state = LoadState{};
    ping->on(L"ResolveHost", 12).call(c.resolved);
    form.get<forms::Label>(L"Label2", 9).set_caption(c.mac);
    ReachabilityStage(window, state);
    EXPECT_EQ(bed.computer->value(L"Reachable"), Variant(false));
    OfflinePresentation(window, state);
    EXPECT_EQ(label(0) + label(1) + label(2) + label(3), L"N/AN/AN/AN/A");
    EXPECT_EQ(label(5) + L"|" + label(6), c.addresses) << c.resolved << c.mac;
    EXPECT_EQ(form.get<forms::CommandButton>(L"Command1", 2).enabled(), c.wake) << c.mac;
    EXPECT_EQ(form.get<forms::CheckBox>(L"chkActive", 1).value(), 0);
  }
  EXPECT_EQ(count_of(bed.log->trace(), L"let Computer.IPAddr = \"\""), 3);
  EXPECT_EQ(count_of(bed.log->trace(), L"call Ping1.ResolveHost(\"PC042\")"), 3);
}

TEST_F(SystemStagesTest, RemoteTimeIsTheLocalClockForTheConsolesOwnComputer) {
  window.TimeZoneSuffix = L" (Eastern Standard Time)";
  bed.computer->on(L"time").get(make_date({2026, 3, 14, 10, 15, 0}));
  RemoteTimeStage(window, state);
  EXPECT_EQ(label(0), L"Sat Mar 14 10:15:00 2026");
  bed.computer->on(L"time").get(Variant());
  RemoteTimeStage(window, state);
  EXPECT_EQ(label(0), L"");
  bed.domain_object->on(L"ThisComputerName").get(L"PC042");
  RemoteTimeStage(window, state);
  EXPECT_EQ(label(0), L"Sat Mar 14 09:30:00 2026 (Eastern Standard Time)");
  EXPECT_EQ(count_of(bed.log->trace(), L"get Computer.time"), 2);
}

TEST_F(SystemStagesTest, ComputerDetailsListTheServerTypesOrEndTheLoad) {
  bed.computer->on(L"GetServerInformation").call(0);
  bed.computer->on(L"Description").get(L"Sales desk");
  bed.computer->on(L"PlatformId").get(int32_t{500});
  bed.computer->on(L"VersionMajor").get(int32_t{4});
  bed.computer->on(L"VersionMinor").get(int32_t{0});
  bed.computer->on(L"PlatFormType").get(int32_t{0x1003});
  ASSERT_TRUE(ComputerDetailsStage(window, state));
  EXPECT_EQ(label(1) + L"|" + label(2), L"Sales desk|NT 4.0");
  const auto& types = form.get<forms::ComboBox>(L"cmbTypes");
  EXPECT_EQ(types.items().size(), 3u);
  EXPECT_EQ(types.list_index(), 0);

  bed.log->clear();
  bed.computer->on(L"GetServerInformation").call(5);
  EXPECT_FALSE(ComputerDetailsStage(window, state));
  EXPECT_EQ(state.LoadStatus, 5);
  EXPECT_EQ(bed.log->trace(), Lines{L"call Computer.GetServerInformation(101)"});
}

TEST_F(SystemStagesTest, RemoteTimeZoneDisplay) {
  window.TimeZoneSuffix = L" (Eastern Standard Time)";
  window.LocalTimeZone.Bias = 300;
  struct Case { int32_t tz_bias, tz, local; const wchar_t* shown; const wchar_t* after; } cases[] = {
      {300, 300, 300, L"10:15:00 (earlier)", L"10:15:00  (Eastern Standard Time)"},
      {300, 300, 0, L"10:15:00", L"10:15:00 TZ -> (GMT-05:00)"},
      {-60, -60, 0, L"10:15:00", L"10:15:00 TZ -> (GMT+01:00)"},
      {9999, 480, 0, L"10:15:00", L"10:15:00 TZ -> (GMT-08:00)"},
      {9999, 0, 0, L"10:15:00", L"10:15:00 TZ -> (GMT)"},
      {-330, -330, 0, L"10:15:00", L"10:15:00 TZ -> (GMT+06:00)"},
      {300, 300, 0, L"", L""},  // no remote time shown, no "IPC$": nothing
  };
  for (const Case& c : cases) {
    bed.computer->on(L"TZBias").get(c.tz_bias);
    bed.computer->on(L"tz").get(c.tz);
    window.LocalTimeZone.Bias = c.local;
    form.get<forms::Label>(L"Label2", 0).set_caption(c.shown);
    bed.ui.set_mouse_pointer(0);
    ShowRemoteTimeZone(window);
    EXPECT_EQ(label(0), c.after) << c.tz_bias << "/" << c.tz;
    EXPECT_EQ(bed.ui.pointers().back(), 0);
    EXPECT_EQ(*(bed.ui.pointers().end() - 2), 11);
    EXPECT_EQ(form.caption(), L"SALES\\PC042");
  }
  // A second click adds a second zone to a foreign zone, keeps one local suffix.
  window.LocalTimeZone.Bias = 0;
  form.get<forms::Label>(L"Label2", 0).set_caption(L"10:15:00");
  ShowRemoteTimeZone(window);
  ShowRemoteTimeZone(window);
  EXPECT_EQ(label(0), L"10:15:00 TZ -> (GMT-05:00) TZ -> (GMT-05:00)");
  window.LocalTimeZone.Bias = 300;
  form.get<forms::Label>(L"Label2", 0).set_caption(L"10:15:00");
  ShowRemoteTimeZone(window);
  ShowRemoteTimeZone(window);
  EXPECT_EQ(label(0), L"10:15:00  (Eastern Standard Time)");

  // The console's own computer: no zone read, caption and pointer restored
  // also when a host call fails.
  bed.domain_object->on(L"ThisComputerName").get(L"PC042");
  bed.log->clear();
  ShowRemoteTimeZone(window);
  EXPECT_EQ(starting_with(bed.log->trace(), {L"get Computer.TZBias", L"get Computer.tz"}), Lines{});
  bed.domain_object->on(L"ThisDomainName").raise(Error(70, L"Permission denied"));
  EXPECT_THROW(ShowRemoteTimeZone(window), Error);
  EXPECT_EQ(form.caption(), L"SALES\\PC042");
  EXPECT_EQ(bed.ui.pointers().back(), 0);
}

}  // namespace
}  // namespace pendrel::details
