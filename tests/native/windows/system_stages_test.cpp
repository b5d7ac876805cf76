#include "details/system_stages.h"

#include <gtest/gtest.h>

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
using Lines = std::vector<std::wstring>;

class SystemStagesTest : public ::testing::Test {
 protected:
  SystemStagesTest() {
    for (auto [member, text] : {std::pair{L"Name", L"PC042"}, {L"Domain", L"SALES"}}) bed.computer->on(member).get(text);
    bed.computer->property(L"Reachable", false);
    bed.domain_object->on(L"ThisComputerName").get(L"CONSOLE1");
    bed.domain_object->on(L"ThisDomainName").get(L"SALES");
    for (auto [member, id] : {std::pair{L"PingHost", 6}, {L"PingCount", 5}, {L"PingSetting", 2}}) ping->on(member, id).let(0);
    ping->on(L"PingAddress", 7).get(L"127.0.0.1");
    ping->on(L"PingFullName", 8).get(L"pc042.sales.test");
    window.set_DomainObject(bed.domain_object);
    window.set_Computer(bed.computer);
    form.get<forms::HostControl>(L"Ping1").set_object(ping);
    bed.log->clear();
  }
  ~SystemStagesTest() override { database::release_management_database(); }

  forms::Label& Label2(int index) { return form.get<forms::Label>(L"Label2", index); }
  std::wstring labels(std::initializer_list<int> indexes) {
    std::wstring text;
    for (int index : indexes) text += L"|" + Label2(index).caption();
    return text.substr(1);
  }

  fakes::DetailsTestBed bed;
  FrmComputerDetails window{bed.env};
  forms::Form& form = window.form();
  std::shared_ptr<fakes::FakeDispatch> ping = bed.computer->sibling(L"Ping1");
  LoadState state;
};

TEST(SystemTexts, ServerTypesSystemTimeTransitionsAndZoneNames) {
  EXPECT_EQ(ServerTypes(int32_t{0x1003}), (Lines{L"All LAN Manager workstations", L"All LAN Manager servers",
                                                 L"Windows NT (either Workstation or Server)"}));
  EXPECT_EQ(ServerTypes(int32_t{0x40008000}), (Lines{L"Servers maintained by the browser", L"Windows NT non-DC server"}));
  EXPECT_EQ(ServerTypes(Variant::null()), Lines{});
  EXPECT_EQ(OperatingSystem(int32_t{500}, int16_t{4}, int16_t{0}), L"NT 4.0");
  EXPECT_EQ(OperatingSystem(int32_t{300}, int16_t{5}, Variant::null()), L"?? 5.");
  EXPECT_EQ(FormatTime(make_date({2027, 1, 1, 23, 5, 9})), L"Fri Jan 01 23:05:09 2027");

  const Date in_2026 = make_date({2026, 7, 4, 12, 0, 0});
  const std::pair<SystemTime, const wchar_t*> transitions[] = {
      {{0, 3, 0, 5, 2}, L"3/29/2026 2:00:00 AM"}, {{0, 3, 0, 1, 2}, L"3/1/2026 2:00:00 AM"},  // last, first Sunday
      {{0, 2, 1, 5, 0}, L"2/23/2026"}, {{2027, 4, 0, 3, 1, 2, 3}, L"4/3/2027 1:02:03 AM"}};   // Monday; absolute
  for (const auto& [rule, text] : transitions) EXPECT_EQ(date_text(GetTransitionDate(rule, in_2026).value()), text);
  EXPECT_FALSE(GetTransitionDate({0, 0, 0, 1, 2}, in_2026));

  EXPECT_EQ(GetZoneName(std::wstring(L"Pacific\0junk", 12)), L"Pacific");
  EXPECT_EQ(GetZoneName(L"  Pacific  "), L"Pacific");
}

TEST_F(SystemStagesTest, LocalTimeZoneSuffixByResult) {
  bed.clock.zone.StandardName = std::wstring(L"Eastern Standard Time\0\0", 23);
  bed.clock.zone.DaylightName = L" Eastern Daylight Time ";
  bed.clock.zone.StandardDate = {0, 11, 0, 1, 2};
  const std::pair<int32_t, const wchar_t*> results[] = {
      {0, L" (Time Zone Unknown!)"}, {1, L" (Eastern Standard Time)"}, {2, L" (Eastern Daylight Time)"}, {-1, L""}};
  for (const auto& [result, suffix] : results) {
    window.TimeZoneSuffix = L"old";
    Label2(8).set_caption(L"kept");
    bed.clock.zone_result = result;
    LocalTimeZoneStage(window, state);
    EXPECT_EQ(window.TimeZoneSuffix, suffix);
    EXPECT_EQ(labels({8, 4, 7}), (result < 0 ? L"kept|" : L"11/1/2026 2:00:00 AM|") +  // daylight: month 0
                                     (L"|Sat Mar 14 09:30:00 2026" + std::wstring(suffix)));
  }
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
    EXPECT_EQ(labels({5, 6, 9}), L"127.0.0.1|PC042|00-1A-2B-3C-4D-5E");
    EXPECT_TRUE(!db.AssignmentsRecordset && !state.ignoring_errors);
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
  bed.computer->on(L"IPAddr").get(L"Error = 2").let(0);
  bed.computer->on(L"MACAddr").get(L"").let(0);
  struct Case { const wchar_t* resolved; const wchar_t* mac; const wchar_t* addresses; bool wake; } cases[] = {
      {L"Error = 2", L"", L"N/A|N/A", false},
      {L"Error = 2", L"00-1A-2B-3C-4D-5E", L"N/A|N/A", true},
      {L"127.0.0.1", L"kept only when unresolved", L"127.0.0.1|pc042.sales.test", false},
  };
  for (const Case& c : cases) {
    state = LoadState{};
    ping->on(L"ResolveHost", 12).call(c.resolved);
    Label2(9).set_caption(c.mac);
    ReachabilityStage(window, state);
    OfflinePresentation(window, state);
    EXPECT_EQ(bed.computer->value(L"Reachable"), Variant(false));
    EXPECT_EQ(labels({0, 1, 2, 3, 5, 6}), L"N/A|N/A|N/A|N/A|" + std::wstring(c.addresses));
    EXPECT_EQ(form.get<forms::CommandButton>(L"Command1", 2).enabled(), c.wake) << c.mac;
    EXPECT_EQ(form.get<forms::CheckBox>(L"chkActive", 1).value(), 0);
  }
  EXPECT_EQ(count_of(bed.log->trace(), L"call Ping1.ResolveHost(\"PC042\")"), 3);
}

TEST_F(SystemStagesTest, RemoteTimeAndDetails) {
  window.TimeZoneSuffix = L" (EST)";
  for (Variant time : {Variant(make_date({2026, 3, 14, 10, 15, 0})), Variant(), Variant::null()}) {
    bed.computer->on(L"time").get(time);
    RemoteTimeStage(window, state);
    EXPECT_EQ(Label2(0).caption(), time.is_empty() || time.is_null() ? L"" : L"Sat Mar 14 10:15:00 2026");
  }
  bed.domain_object->on(L"ThisComputerName").get(L"PC042");  // the console's own computer
  RemoteTimeStage(window, state);
  EXPECT_EQ(Label2(0).caption(), L"Sat Mar 14 09:30:00 2026 (EST)");
  EXPECT_EQ(count_of(bed.log->trace(), L"get Computer.time"), 3);

  for (auto [member, value] : {std::pair{L"Description", Variant(L"Sales desk")}, {L"PlatformId", int32_t{500}},
                               {L"VersionMajor", int32_t{4}}, {L"VersionMinor", int32_t{0}}, {L"PlatFormType", int32_t{0x1003}}})
    bed.computer->on(member).get(value);
  for (int32_t status : {5, 0}) {
    bed.computer->on(L"GetServerInformation").call(status);
    EXPECT_EQ(ComputerDetailsStage(window, state), status == 0);
    EXPECT_EQ(state.LoadStatus, status);
    EXPECT_EQ(labels({1, 2}), status == 0 ? L"Sales desk|NT 4.0" : L"|");
  }
  auto& types = form.get<forms::ComboBox>(L"cmbTypes");
  EXPECT_EQ(types.list_count(), 3);
  EXPECT_EQ(types.list_index(), 0);

  // Oversized and odd values come through whole: a long description, every role bit.
  const std::wstring long_text(10000, L'd');
  bed.computer->on(L"Description").get(long_text);
  bed.computer->on(L"PlatFormType").get(int32_t{-1});
  types.clear();
  ASSERT_TRUE(ComputerDetailsStage(window, state));
  EXPECT_EQ(Label2(1).caption(), long_text);
  EXPECT_EQ(types.list_count(), 23);
}

TEST_F(SystemStagesTest, RemoteTimeZoneDisplay) {
  window.TimeZoneSuffix = L" (EST)";
  struct Case { int32_t tz_bias, tz, local; const wchar_t* shown; int clicks; const wchar_t* after; } cases[] = {
      {300, 300, 300, L"10:15 (earlier)", 1, L"10:15  (EST)"},
      {300, 300, 300, L"10:15", 2, L"10:15  (EST)"},  // one local suffix however often
      {300, 300, 0, L"10:15", 2, L"10:15 TZ -> (GMT-05:00) TZ -> (GMT-05:00)"},
      {-60, -60, 0, L"10:15", 1, L"10:15 TZ -> (GMT+01:00)"},
      {9999, 480, 0, L"10:15", 1, L"10:15 TZ -> (GMT-08:00)"},
      {9999, 0, 0, L"10:15", 1, L"10:15 TZ -> (GMT)"},
      {-330, -330, 0, L"10:15", 1, L"10:15 TZ -> (GMT+06:00)"},  // half hours round up
      {300, 300, 0, L"", 1, L""},  // no remote time shown and no "IPC$": nothing
  };
  for (const Case& c : cases) {
    bed.computer->on(L"TZBias").get(c.tz_bias);
    bed.computer->on(L"tz").get(c.tz);
    window.LocalTimeZone.Bias = c.local;
    Label2(0).set_caption(c.shown);
    for (int click = 0; click < c.clicks; ++click) ShowRemoteTimeZone(window);
    EXPECT_EQ(Label2(0).caption(), c.after) << c.tz_bias << "/" << c.tz;
  }
  // A failing host call still restores the caption and the pointer; the
  // console's own computer reads no zone.
  bed.domain_object->on(L"ThisDomainName").raise(Error(70, L"Permission denied"));
  EXPECT_THROW(ShowRemoteTimeZone(window), Error);
  EXPECT_EQ(form.caption(), L"SALES\\PC042");
  std::vector<int> each_click;  // the hourglass and back, for all 11 clicks
  for (int click = 0; click < 11; ++click) each_click.insert(each_click.end(), {11, 0});
  EXPECT_EQ(bed.ui.pointers(), each_click);
  bed.domain_object->on(L"ThisDomainName").get(L"SALES");
  bed.domain_object->on(L"ThisComputerName").get(L"PC042");
  bed.log->clear();
  ShowRemoteTimeZone(window);
  EXPECT_EQ(count_of(bed.log->trace(), L"get Computer.TZBias"), 0);
}

}  // namespace
}  // namespace pendrel::details
