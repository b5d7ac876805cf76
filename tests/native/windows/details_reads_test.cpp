// The details window's host reads where their order or number is fixed, the
// console account beyond A to Z, and the transition date in the clock's form.
#include <gtest/gtest.h>

#include <algorithm>
#include <limits>

#include "apps/registry_access.h"
#include "database/demo_db.h"
#include "database/management_database.h"
#include "details/database_stage.h"
#include "details/system_stages.h"
#include "details/time_zone.h"
#include "details/users.h"
#include "details_fakes.h"
#include "forms/host_control.h"
#include "forms/label.h"
#include "forms/list_view.h"
#include "raised.h"

namespace pendrel::details {
namespace {

using Lines = std::vector<std::wstring>;

// Writes dates its own way, so that a label shows whether the clock wrote it.
struct RegionalClock : fakes::FakeClock {
  std::wstring DateTimeText(Date date) override { return L"regional " + std::to_wstring(to_parts(date).day); }
};

class DetailsReadsTest : public ::testing::Test {
 protected:
  DetailsReadsTest() {
    bed.env.services = &services;
    for (auto [member, text] : {std::pair{L"Name", L"PC042"}, {L"Domain", L"SALES"}})
      bed.computer->on(member).get(text);
    bed.domain_object->on(L"ThisComputerName").get(L"CONSOLE1");
    bed.domain_object->on(L"ThisDomainName").get(L"SALES");
    window.set_DomainObject(bed.domain_object);
    window.set_Computer(bed.computer);
    bed.log->clear();
  }
  ~DetailsReadsTest() override { database::release_management_database(); }

  fakes::DetailsTestBed bed;
  RegionalClock regional;
  component::Services services{bed.odbc, bed.tavisk, regional, bed.registry, bed.services.create_object};
  FrmComputerDetails window{bed.env};
  LoadState state;
};

TEST_F(DetailsReadsTest, NameComesBeforeDomainInTheQueries) {
  database::DemoDatabase demo;
  database::ManagementDatabase& db = database::management_database();
  db.ConnectString = demo.connection_string();
  DatabaseStage({db, bed.odbc, bed.ui, window.form(), window.computer()}, state.err);  // the equipment row
  AssignedUsersStage(window, state);
  Lines reads = bed.log->trace();
  std::erase_if(reads, [](const std::wstring& l) { return l != L"get Computer.Name" && l != L"get Computer.Domain"; });
  EXPECT_EQ(reads, (Lines{L"get Computer.Name", L"get Computer.Domain", L"get Computer.Name", L"get Computer.Domain"}));
}

TEST_F(DetailsReadsTest, TheMachineRootOfAnotherComputerStillReadsAllFourNames) {
  apps::RegKey root;
  apps::OpenMachineRoot(bed.registry, window.computer(), window.domain_object(), root);
  EXPECT_EQ(bed.log->trace(), (Lines{L"get Computer.Name", L"get DomainObject.ThisComputerName",
                                     L"get Computer.Domain", L"get DomainObject.ThisDomainName"}));
}

TEST_F(DetailsReadsTest, TheZoneClickReadsTZBiasAgainAndTheCaptionAnew) {
  for (auto member : {L"TZBias", L"tz"}) bed.computer->on(member).get(int32_t{-60});
  window.form().get<forms::Label>(L"Label2", 0).set_caption(L"10:15");
  ShowRemoteTimeZone(window);
  const Lines trace = bed.log->trace();
  EXPECT_EQ(fakes::count_of(trace, L"get Computer.TZBias"), 2);
  EXPECT_EQ(Lines(trace.end() - 2, trace.end()), (Lines{L"get Computer.Domain", L"get Computer.Name"}));

  auto ping = bed.computer->sibling(L"Ping1");  // the ping line: the host, then the count
  for (auto [member, id] : {std::pair{L"PingHost", 6}, {L"PingCount", 5}, {L"StartPing", 11}})
    ping->on(member, id).let(0).get(int32_t{3}).call(0);
  window.form().get<forms::HostControl>(L"Ping1").set_object(ping);
  window.Command1_Click(1);
  const Lines pinged = bed.log->trace();
  EXPECT_LT(std::find(pinged.begin(), pinged.end(), L"get Ping1.PingHost"),
            std::find(pinged.begin(), pinged.end(), L"get Ping1.PingCount"));
}

TEST_F(DetailsReadsTest, ConsoleAccountBeyondAToZAndTheTransitionDateInTheClocksForm) {
  auto sessions = bed.computer->sibling(L"LoggedOnUsers"), entry = bed.computer->sibling(L"Session");
  sessions->on(L"Count").get(int32_t{1});
  entry->on(L"Domain").get(L"SALES"), entry->on(L"Name").get(L"j\u00fcrgen");
  bed.computer->on(L"LoggedOnUsers").get(
      [=](std::span<Argument> args) { return Variant(DispatchPtr(args.empty() ? sessions : entry)); });
  state.ConsoleAccount = L"SALES\\J\u00dcRGEN";
  LogonSessionsStage(window, state);
  const forms::ListItem& row = window.form().get<forms::ListView>(L"ListView1", 2).list_items().item(1);
  EXPECT_EQ(row.text() + std::to_wstring(row.icon() * 100 + row.small_icon()), L"Interactive1111");

  regional.zone.StandardDate = {0, 10, 0, 5, 3};
  LocalTimeZoneStage(window, state);
  EXPECT_EQ(window.form().get<forms::Label>(L"Label2", 8).caption(), L"regional 25");
}

TEST(ServerTypesRange, AWordBeyondThirtyTwoBitsOverflows) {
  const double nan = std::numeric_limits<double>::quiet_NaN(), inf = std::numeric_limits<double>::infinity();
  for (double value : {1e20, -1e20, nan, inf, -inf, 4294967296.0, -2147483649.0})
    EXPECT_EQ(error_number([&] { ServerTypes(value); }), vb_error::kOverflow) << value;
  EXPECT_EQ(ServerTypes(4294967295.0).size(), 23u);
}

}  // namespace
}  // namespace pendrel::details
