#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "details/frm_computer_details.h"
#include "details_fakes.h"
#include "forms/check_box.h"
#include "forms/combo_box.h"
#include "forms/command_button.h"
#include "forms/host_control.h"
#include "forms/label.h"
#include "forms/list_view.h"
#include "forms/tree_view.h"

namespace pendrel {
namespace {

using Lines = std::vector<std::wstring>;

struct LoadBed : fakes::DetailsTestBed {
  LoadBed() {
    env.peer_factory = [log = log](forms::Form& form) { return std::make_unique<fakes::CaptionPeer>(form, log); };
  }
};

class DetailsLoadTest : public ::testing::Test {
 protected:
  DetailsLoadTest() {
    script(true);
    window.set_DomainObject(bed.domain_object);
    window.set_Computer(bed.computer);
    form.load();
    form.get<forms::HostControl>(L"Ping1").set_object(ping);
    bed.log->clear();
  }

  // PC042 of domain CORP, answering (or not) with everything the load asks.
  void script(bool reachable) {
    auto& c = *bed.computer;
    c.on(L"Name").get(L"PC042");
    c.on(L"Domain").get(L"CORP");
    c.property(L"Reachable", false);
    c.property(L"LogonsEnabled", true);
    c.property(L"UnlocksEnabled", false);
    c.property(L"IPAddr", L"127.0.0.1");
    c.property(L"MACAddr", L"00-0C-29-4F-8E-35");
    c.on(L"GetServerInformation").call([reachable](std::span<Argument>) { return reachable ? 0 : 53; });
    c.on(L"Time").get(make_date({2026, 3, 14, 9, 31, 0}));
    c.on(L"GetUsers").call(int32_t{0});
    c.on(L"GetRegistryValue").call(L"CORP\\alice");
    c.on(L"LoggedOnUsers").get([this](std::span<Argument> args) {
      return Variant(args.empty() ? DispatchPtr(sessions) : DispatchPtr(alice));
    });
    c.on(L"Description").get(L"Front desk");
    c.on(L"PlatformId").get(int32_t{500});
    c.on(L"VersionMajor").get(int32_t{5});
    c.on(L"VersionMinor").get(int32_t{1});
    c.on(L"PlatFormType").get(int32_t{0x1003});
    bed.domain_object->on(L"ThisComputerName").get(L"CONSOLE1");
    bed.domain_object->on(L"ThisDomainName").get(L"CORP");
    alice->on(L"Domain").get(L"CORP");
    alice->on(L"Name").get(L"alice");
    sessions->items({{L"1", Variant(DispatchPtr(alice))}});
    ping->on(L"PingSetting", 2).let([](std::span<Argument>) {});
    ping->on(L"PingCount", 5).let([](std::span<Argument>) {}).get(int32_t{3});
    ping->on(L"PingHost", 6).let([](std::span<Argument>) {}).get(L"PC042");
    ping->on(L"PingAddress", 7).get(L"127.0.0.1");
    ping->on(L"PingFullName", 8).get(L"pc042.corp");
    ping->on(L"ResolveHost", 12).call(L"127.0.0.1");
  }

  // Activates the window again, as the user coming back to it.
  void activate() {
    form.hide();
    form.show(0);
  }
  const std::wstring& caption(const wchar_t* name, int index = -1) {
    return form.get<forms::Label>(name, index).caption();
  }
  Lines boxes() const {
    Lines texts;
    for (const auto& p : bed.ui.prompts()) texts.push_back(p.prompt);
    return texts;
  }

  LoadBed bed;
  std::shared_ptr<fakes::FakeDispatch> sessions = bed.computer->sibling(L"LoggedOnUsers");
  std::shared_ptr<fakes::FakeDispatch> alice = bed.computer->sibling(L"Session1");
  std::shared_ptr<fakes::FakeDispatch> ping = bed.computer->sibling(L"Ping1");
  details::FrmComputerDetails window{bed.env};
  forms::Form& form = window.form();
};

TEST_F(DetailsLoadTest, WithoutAComputerOnlyTheResetRunsAndTheNextActivationTriesAgain) {
  window.set_Computer(nullptr);
  auto& groups = form.get<forms::ListView>(L"ListView1", 1);
  for (int round = 0; round < 2; ++round) {
    groups.list_items().add(L"old", L"old");
    form.get<forms::Label>(L"Label2", 9).set_caption(L"00-0C-29-4F-8E-35");
    bed.log->clear();
    round == 0 ? form.show(0) : activate();
    EXPECT_FALSE(window.LoadedOnce);
    EXPECT_EQ(form.caption(), L"No Computer was given!");
    EXPECT_EQ(groups.list_items().count(), 0);
    EXPECT_EQ(groups.column_headers().item(1).width(), 900);
    EXPECT_EQ(groups.column_headers().item(3).width(), 4400);
    EXPECT_EQ(form.get<forms::ListView>(L"ListView1", 2).column_headers().item(1).width(), 1550);
    const auto& apps = form.get<forms::TreeView>(L"tvwApps").nodes();
    ASSERT_EQ(apps.count(), 1);
    EXPECT_EQ(apps.item(1).key() + L"|" + apps.item(1).text() + L"|" + apps.item(1).tag(),
              L"Root|Double-Click to Load Apps|Root");
    EXPECT_EQ(apps.item(1).image(), 1);
    EXPECT_EQ(form.get<forms::CheckBox>(L"chkActive", 1).value(), 1);
    EXPECT_EQ(caption(L"Label2", 9), L"00-0C-29-4F-8E-35");
    EXPECT_EQ(bed.log->trace(), Lines{});
  }
  EXPECT_EQ(bed.ui.pointers(), (std::vector<int>{11, 0, 11, 0}));
}

Lines progress(const std::wstring& stage) {
  return {L"get Computer.Domain", L"get Computer.Name", L"let Caption = \"CORP\\PC042" + stage + L"\""};
}

Lines joined(std::initializer_list<Lines> groups) {
  Lines all;
  for (const Lines& group : groups) all.insert(all.end(), group.begin(), group.end());
  return all;
}

// Up to the reachability call, whose answer decides the rest.
Lines until_reachability() {
  return joined({
      {L"let Computer.Reachable = True", L"get Computer.Reachable", L"let Computer.Reachable = True"},
      progress(L" -> Getting Local Time Zone Info..."),
      {L"get Computer.LogonsEnabled", L"let Computer.LogonsEnabled = True", L"let Computer.UnlocksEnabled = True"},
      progress(L" -> Getting Users ..."),
      {L"get Computer.Name", L"get Computer.Domain"},  // the assignments query
      progress(L" -> Checking if reachable ..."),
      {L"get Computer.Name", L"let Ping1.PingHost = \"PC042\"", L"let Ping1.PingCount = 3",
       L"let Ping1.PingSetting = 5", L"let Computer.Reachable = True", L"call Computer.GetServerInformation(102)"},
  });
}

const Lines kAddresses = {L"get Computer.IPAddr", L"get Computer.IPAddr", L"get Computer.Name",
                          L"get Computer.MACAddr", L"get Computer.Reachable"};

TEST_F(DetailsLoadTest, AReachableComputerLoadsStageByStage) {
  form.show(0);
  ASSERT_TRUE(window.LoadedOnce) << (boxes().empty() ? L"" : boxes()[0]);
  EXPECT_EQ(bed.log->trace(),
            joined({
                until_reachability(),
                {L"let Computer.Reachable = True"},
                kAddresses,
                {L"let Computer.Reachable = True"},
                progress(L" -> Getting Remote Time ..."),
                {L"get DomainObject.ThisComputerName", L"get Computer.Name", L"get DomainObject.ThisDomainName",
                 L"get Computer.Domain", L"get Computer.Time"},
                progress(L" -> Getting Logged On Users ..."),
                {L"call Computer.GetUsers(True)", L"get Computer.Name"},
                progress(L" -> Getting Interactively Logged On User ..."),
                {L"call Computer.GetRegistryValue(-2147483646, \"SOFTWARE\\Vyx\\GINA\\MRU\", \"ConsoleUser\", \"\")",
                 L"get Computer.LoggedOnUsers", L"get LoggedOnUsers.Count", L"get Computer.Domain", L"get Computer.Name",
                 L"let Caption = \"CORP\\PC042 -> Getting Loggon Sessions ...\"", L"get Computer.LoggedOnUsers(1)",
                 L"get Session1.Domain", L"get Session1.Name"},
                progress(L" -> Getting Computer Details ..."),
                {L"call Computer.GetServerInformation(101)", L"get Computer.Description", L"get Computer.PlatformId",
                 L"get Computer.VersionMajor", L"get Computer.VersionMinor", L"get Computer.PlatFormType"},
                progress(L""),
            }));
  EXPECT_FALSE(form.get<forms::CommandButton>(L"Command1", 2).enabled());
  EXPECT_EQ(bed.ui.pointers(), (std::vector<int>{11, 0}));
  EXPECT_TRUE(boxes().empty());

  // Loaded: coming back changes nothing, not even the caption.
  bed.log->clear();
  activate();
  EXPECT_EQ(bed.log->trace(), Lines{});
  EXPECT_EQ(bed.ui.pointers().size(), 2u);
}

TEST_F(DetailsLoadTest, AnUnreachableComputerIsShownOffLine) {
  script(false);
  form.show(0);
  ASSERT_TRUE(window.LoadedOnce) << (boxes().empty() ? L"" : boxes()[0]);
  EXPECT_EQ(bed.log->trace(), joined({
                                  until_reachability(),
                                  {L"let Computer.Reachable = False"},
                                  kAddresses,
                                  // The off-line box's click writes the answer again.
                                  {L"let Computer.Reachable = False", L"get Computer.Reachable"},
                                  progress(L""),
                              }));
  EXPECT_EQ(caption(L"Label2", 0), L"N/A");
  EXPECT_TRUE(form.get<forms::CommandButton>(L"Command1", 2).enabled());
  EXPECT_EQ(bed.ui.pointers(), (std::vector<int>{11, 0}));
  EXPECT_TRUE(boxes().empty());
}

TEST_F(DetailsLoadTest, AnEmptyRemoteTimeSkipsTheUsersAndDetails) {
  bed.computer->on(L"Time").get(Variant());
  bed.domain_object->on(L"ThisComputerName").get(L"CONSOLE1");
  form.show(0);
  EXPECT_TRUE(window.LoadedOnce);
  const Lines captions = fakes::starting_with(bed.log->trace(), {L"let Caption"});
  ASSERT_EQ(captions.size(), 5u);
  EXPECT_EQ(captions[3], L"let Caption = \"CORP\\PC042 -> Getting Remote Time ...\"");
  EXPECT_EQ(fakes::count_of(bed.log->trace(), L"call Computer.GetServerInformation(101)"), 0);
  EXPECT_FALSE(form.get<forms::CommandButton>(L"Command1", 2).enabled());
}

TEST_F(DetailsLoadTest, FailingDetailsEndTheLoadOnceAndTheNextActivationStartsOver) {
  bed.computer->on(L"GetServerInformation").call([](std::span<Argument> args) {
    return args[0].value.to_long() == 101 ? 5 : 0;
  });
  form.show(0);
  EXPECT_FALSE(window.LoadedOnce);
  EXPECT_EQ(form.caption(), L"CORP\\PC042 -> Getting Computer Details ...");
  EXPECT_EQ(bed.ui.prompts(), (std::vector<fakes::Prompt>{fakes::message(
                                  L"There were errors while getting the Machine Information, see the log file.", 48,
                                  L"Pendrel")}));
  EXPECT_EQ(bed.ui.pointers().back(), 0);
  const int sessions_shown = form.get<forms::ListView>(L"ListView1", 2).list_items().count();
  EXPECT_GT(sessions_shown, 0);

  script(true);
  form.get<forms::ListView>(L"ListView1", 1).list_items().add(L"group", L"group");
  activate();
  EXPECT_TRUE(window.LoadedOnce);
  EXPECT_EQ(form.get<forms::ListView>(L"ListView1", 1).list_items().count(), 0);
  EXPECT_EQ(form.get<forms::ListView>(L"ListView1", 2).list_items().count(), sessions_shown);
  EXPECT_EQ(bed.ui.prompts().size(), 1u);
}

// Each host member the load uses fails in turn. Outside the stretches where
// the load ignores errors the failure ends the load, named in the error box;
// inside them the statement is skipped and the load ends normally. Either
// way the next activation loads again.
TEST_F(DetailsLoadTest, EveryFailingHostMemberEndsOrIsSkippedAndTheNextActivationLoads) {
  struct Case {
    fakes::FakeDispatch* object;
    const wchar_t* member;
    bool skipped;
  } cases[] = {
      {bed.computer.get(), L"Reachable", false},
      {bed.computer.get(), L"Domain", false},
      {bed.computer.get(), L"Name", false},
      {bed.computer.get(), L"LogonsEnabled", false},
      {bed.computer.get(), L"UnlocksEnabled", false},
      {bed.computer.get(), L"GetServerInformation", false},
      {bed.computer.get(), L"IPAddr", true},
      {bed.computer.get(), L"MACAddr", true},
      {bed.computer.get(), L"Time", false},
      {bed.computer.get(), L"GetUsers", false},
      {bed.computer.get(), L"GetRegistryValue", false},
      {bed.computer.get(), L"LoggedOnUsers", false},
      {bed.computer.get(), L"Description", false},
      {bed.computer.get(), L"PlatformId", false},
      {bed.computer.get(), L"VersionMajor", false},
      {bed.computer.get(), L"VersionMinor", false},
      {bed.computer.get(), L"PlatFormType", false},
      {bed.domain_object.get(), L"ThisComputerName", false},
      {sessions.get(), L"Count", false},
      {alice.get(), L"Domain", false},
      {ping.get(), L"PingHost", true},
      {ping.get(), L"PingCount", true},
      {ping.get(), L"PingSetting", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.object->name() + L"." + c.member);
    const size_t before = bed.ui.prompts().size();
    form.unload();
    form.get<forms::HostControl>(L"Ping1").set_object(ping);
    c.object->on(c.member).raise(Error(-2147023174, L"The RPC server is unavailable."));
    form.show(0);
    EXPECT_EQ(window.LoadedOnce, c.skipped);
    EXPECT_EQ(bed.ui.pointers().back(), 0);
    ASSERT_EQ(bed.ui.prompts().size(), before + (c.skipped ? 0 : 1));
    if (!c.skipped) {
      const fakes::Prompt& box = bed.ui.prompts().back();
      EXPECT_EQ(box.prompt.rfind(L"Form_Activate: ", 0), 0u) << box.prompt;
      EXPECT_NE(box.prompt.find(L"The RPC server is unavailable."), std::wstring::npos) << box.prompt;
      EXPECT_EQ(box.style, 16);
      EXPECT_EQ(box.title, L"Pendrel");
    }
    script(true);
    activate();
    EXPECT_TRUE(window.LoadedOnce);
  }
}

}  // namespace
}  // namespace pendrel
