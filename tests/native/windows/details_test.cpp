// The details window: its design, its commands, its staged load and its
// edges (the host letting go of its last object inside one of the window's
// events, caught by ASan; an empty remote time; "&Wake Up" after a load that
// ended early); and the ping object it reaches.
#include "details/frm_computer_details.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <deque>
#include <filesystem>
#include <fstream>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "component/properties.h"
#include "details/details_report.h"
#include "details/ping_object.h"
#include "forms/captioned_control.h"
#include "forms/check_box.h"
#include "forms/combo_box.h"
#include "forms/command_button.h"
#include "forms/frame.h"
#include "forms/host_control.h"
#include "forms/label.h"
#include "forms/list_view.h"
#include "forms/tab_strip.h"
#include "outside/controls.h"
#include "raised.h"
#include "support/fakes.h"

namespace pendrel::details {
namespace {

using forms::ListView;
using Lines = std::vector<std::wstring>;

// The window shown with its load already done, so that each test runs only
// the commands it drives.
class DetailsCommandsTest : public ::testing::Test {
 protected:
  DetailsCommandsTest() {
    bed.computer->on(L"Name").get(L"PC042");
    window.set_DomainObject(bed.domain_object), window.set_Computer(bed.computer), form.load();
    window.LoadedOnce = true, form.show(0), bed.log->clear();
  }
  void click(int index) { form.get<forms::CommandButton>(L"Command1", index).user_click(); }
  forms::CheckBox& box(const wchar_t* name, int index = -1) { return form.get<forms::CheckBox>(name, index); }
  // A window of ours as CreateObject gives it to the details window.
  std::shared_ptr<fakes::FakeDispatch> component_class(const wchar_t* prog_id, const wchar_t* name) {
    auto object = bed.computer->sibling(name);
    object->on(L"DomainObject").set([](auto) {}), object->on(L"Computer").set([](auto) {});
    object->on(L"Show").call([](auto) {});
    return bed.classes[prog_id] = object, object;
  }

  fakes::DetailsTestBed bed;
  details::FrmComputerDetails window{bed.env};
  forms::Form& form = window.form();
};

// Each designed control: its frame (-1 the form), caption and tool tip.
struct Designed {
  const wchar_t *name;
  int index, frame;
  const wchar_t *caption, *tip;
};

constexpr wchar_t kActive[] = L"Is this an active computer in the Corvix database?";

const Designed kDesign[] = {
    {L"Image1", 0, -1, L"", L"This system currently On-Line!"},
    {L"Image1", 1, -1, L"", L"This system currently Off-Line!"}, {L"chkActive", 1, -1, L"&On-Line!", kActive},
    {L"chkActive", 0, -1, L"&Active", kActive}, {L"Command1", 0, -1, L"&OK", L""},
    {L"Label1", 8, 0, L"&Current Time:", L""}, {L"Label2", 7, 0, L"", L"Current time on the local computer"},
    {L"Label1", 0, 0, L"&Remote Time:", L"Click to get the Time Zone and mode"},
    {L"Label2", 0, 0, L"", L"Current time on the remote computer"}, {L"Label1", 1, 0, L"&Description:", L""},
    {L"Label2", 1, 0, L"", L"Browsable description of the remote computer"}, {L"Label1", 2, 0, L"&OS", L""},
    {L"Label2", 2, 0, L"", L"The remote computer's Operating System and Version"},
    {L"Label1", 7, 0, L"&IP", L"The remote computer's IP Information"}, {L"Label2", 5, 0, L"IP Address", L""},
    {L"Label2", 6, 0, L"Full Name", L""}, {L"Label2", 9, 0, L"MAC Address", L""}, {L"Label1", 3, 0, L"&Type", L""},
    {L"cmbTypes", -1, 0, L"", L"The remote computer's NT attributes"},
    {L"Label1", 4, 0, L"&Version", L"The remote computer's Make and Model.  Click to Load."},
    {L"Label2", 3, 0, L"", L"The remote computer's Make and Model"}, {L"Label1", 10, 0, L"&DT", L""},
    {L"Label2", 4, 0, L"", L"Date/Time when the Daylight Savings Time takes effect"}, {L"Label1", 11, 0, L"&ST", L""},
    {L"Label2", 8, 0, L"", L"Date/Time when the Standard Time takes effect"},
    {L"Label1", 5, 1, L"&Applications", L"The Applications installed on the remote computer.  Click to Load."},
    {L"Label1", 6, 2, L"&Work Groups", L"The remote computer's Group Memberships.  Click to Load."},
    {L"ListView1", 2, 3, L"", L""}, {L"Command1", 1, 4, L"&Ping", L""},
    {L"chkLogonsPermitted", -1, 4, L"&Logons Permitted", L""}, {L"Command1", 2, 4, L"&Wake Up", L""},
    {L"Command1", 3, 4, L"Lo&gon Alerts", L""},
};

TEST_F(DetailsCommandsTest, LoadGivesEveryDesignedControlItsTextsAndComputerSetNamesTheWindow) {
  for (const Designed& d : kDesign) {
    SCOPED_TRACE(std::wstring(d.name) + L"(" + std::to_wstring(d.index) + L")");
    forms::Control* control = form.find(d.name, d.index);
    ASSERT_NE(control, nullptr);
    const forms::Frame* frame = control->container();
    EXPECT_EQ(frame ? frame->index() : -1, d.frame);
    const auto* captioned = dynamic_cast<const forms::CaptionedControl*>(control);
    EXPECT_EQ(captioned ? captioned->caption() : L"", d.caption);
    EXPECT_EQ(control->tool_tip_text(), d.tip);
  }
  auto& tabs = form.get<forms::TabStrip>(L"TabStrip1");
  ASSERT_EQ(tabs.tab_count(), 5);
  const wchar_t* tab_captions[] = {L"&System", L"&Applications", L"&Work Groups", L"&Users", L"&Status"};
  for (int t = 1; t <= 5; ++t) EXPECT_EQ(tabs.tab(t).caption, tab_captions[t - 1]);
  const auto& columns = form.get<ListView>(L"ListView1", 1).column_headers();
  EXPECT_EQ(columns.item(1).text() + L"," + columns.item(2).text() + L"," + columns.item(3).text(), L"Type,Name,Description");
  EXPECT_EQ(form.get<forms::HostControl>(L"Ping1").class_name(), L"Ping");

  window.set_Computer(bed.computer);
  EXPECT_EQ(form.caption(), L"PC042 ...");
  window.set_Computer(nullptr);
  EXPECT_EQ(form.caption(), L"No Computer was given!");
}

TEST_F(DetailsCommandsTest, OkReleasesWhatTheWindowTookThenTheUnloadTriesAgain) {
  const std::wstring unmap = L"call IPC$.UnMap(True)";
  const std::wstring unload = L"NetRegUnLoadKey PC042 -2147483646 QM";
  const std::wstring ipc = L"get Computer.Resources(\"IPC$\")";
  struct Case {
    bool ipc, hive;
    std::vector<int32_t> unload_results;
    std::vector<std::wstring> host, tavisk;
    bool hive_left;
  } cases[] = {{false, false, {}, {}, {}, false},           {true, false, {}, {ipc, unmap, ipc, unmap}, {}, false},
               {false, true, {0}, {}, {unload}, false},     {false, true, {5, 0}, {}, {unload, unload}, false},
               {false, true, {5, 5}, {}, {unload, unload}, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_wstring(c.ipc) + L" " + std::to_wstring(c.hive) + L" " + std::to_wstring(c.unload_results.size()));
    auto share = bed.computer->sibling(L"IPC$");
    share->on(L"UnMap").call([](auto) {}), bed.computer->on(L"Resources").get(Variant(DispatchPtr(share)));
    form.load(), window.LoadedOnce = true, form.show(0);  // shown without the load
    window.IpcMapped = c.ipc, window.QMHiveLoaded = c.hive;
    for (int32_t result : c.unload_results) bed.tavisk.answers.push_back({result, {}, {}});
    bed.log->clear(), bed.tavisk.calls.clear();
    click(0);
    EXPECT_FALSE(form.loaded());
    EXPECT_EQ(bed.log->trace(), c.host);
    EXPECT_EQ(bed.tavisk.calls, c.tavisk);
    EXPECT_EQ(window.QMHiveLoaded, c.hive_left);
  }
}

TEST_F(DetailsCommandsTest, LogonsPermittedAsksTheUnavailableSettingsWhenUnchecked) {
  auto settings = component_class(L"Pendrel.UnavailableProperties", L"Unavailable");
  for (const wchar_t* flag : {L"LogonsEnabled", L"UnlocksEnabled"}) bed.computer->property(flag);
  forms::CheckBox& logons = box(L"chkLogonsPermitted");
  for (bool confirmed : {false, true}) {
    logons.user_set_value(1), settings->on(L"OK").get(confirmed), bed.log->clear();
    logons.user_set_value(0);
    Lines expected = {L"set Unavailable.DomainObject = DomainObject", L"set Unavailable.Computer = Computer",
                      L"call Unavailable.Show(1)", L"get Unavailable.OK"};
    if (!confirmed) expected.insert(expected.end(), {L"let Computer.LogonsEnabled = True",
                                                     L"let Computer.UnlocksEnabled = True"});
    EXPECT_EQ(bed.log->trace(), expected) << confirmed;
    EXPECT_EQ(logons.value(), confirmed ? 0 : 1);
    EXPECT_EQ(settings.use_count(), 2) << "released";
  }
}

TEST_F(DetailsCommandsTest, ColumnClicksSortAscendingThenFlip) {
  namespace style = forms::list_view_style;
  // {list, column clicked, sort key, order}; the first column is the key of an unsorted list: its first click flips.
  const struct { int list, column, key, order; } clicks[] = {
      {2, 2, 1, style::kAscending}, {2, 2, 1, style::kDescending}, {2, 2, 1, style::kAscending},
      {2, 3, 2, style::kAscending}, {2, 1, 0, style::kAscending},  {2, 1, 0, style::kDescending},
      {1, 1, 0, style::kDescending}};
  for (const auto& c : clicks) {
    ListView& list = form.get<ListView>(L"ListView1", c.list);
    list.user_column_click(c.column);
    EXPECT_TRUE(list.sorted());
    EXPECT_EQ(list.sort_key(), c.key) << c.list << " " << c.column;
    EXPECT_EQ(list.sort_order(), c.order) << c.list << " " << c.column;
  }
}

TEST_F(DetailsCommandsTest, WakeUpSendsToTheShownAddressTellsTheUserAndCloses) {
  form.get<forms::Label>(L"Label2", 9).set_caption(L"00-0C-29-4F-8E-35");
  form.get<forms::CommandButton>(L"Command1", 2).set_enabled(true);  // as the off-line load leaves it
  bed.computer->on(L"MACAddr").let([](auto) {}), bed.computer->on(L"Wake").call(false);
  click(2);
  EXPECT_EQ(bed.log->trace(), (Lines{L"let Computer.MACAddr = \"00-0C-29-4F-8E-35\"", L"call Computer.Wake"}));
  EXPECT_EQ(bed.ui.prompts(), std::vector{fakes::message(L"Wake up message has been sent.  Check this computer "
                                                         L"again in a few minutes.", 64, L"Pendrel")});
  EXPECT_FALSE(form.loaded());
}

TEST_F(DetailsCommandsTest, PingWritesTheTranscriptAndEachRunReplacesIt) {
  auto ping = bed.computer->sibling(L"Ping1");
  ping->property(L"PingHost", Variant(L"")), ping->on(L"PingHost", 6);
  ping->on(L"PingCount", 5).get(int16_t{3}), ping->on(L"PingAddress", 7).get(L"10.0.0.7");
  forms::HostControl& control = form.get<forms::HostControl>(L"Ping1");
  control.set_object(ping);
  std::vector<std::pair<std::wstring, Variant>> events;
  ping->on(L"StartPing", 11).call([&](std::span<Argument>) {
    for (auto& [name, value] : events) {
      std::vector<Variant> args = {value};
      if (name == L"StatusMessage") args = {Variant(int32_t{0}), value};
      control.fire_event(name, args);
    }
  });
  auto& results = form.get<forms::Label>(L"PingResults");
  const std::wstring header = L"Pinging PC042 with 3 packets of data:\r\n\r\n";
  const std::wstring reply = L"Reply from 10.0.0.7: time=1ms\r\n";

  events = std::vector(3, std::pair<std::wstring, Variant>{L"ReplyReceived", int32_t{1}});
  click(1);
  EXPECT_EQ(results.caption(), header + reply + reply + reply);
  EXPECT_EQ(bed.ui.do_events_calls(), 3);
  EXPECT_EQ(fakes::starting_with(bed.log->trace(), {L"let", L"call"}),
            (Lines{L"let Ping1.PingHost = \"PC042\"", L"call Ping1.StartPing"}));

  events = {{L"StatusMessage", Variant(L"Request timed out.")}, {L"StatusMessage", Variant(L"")}};
  click(1);
  EXPECT_EQ(results.caption(), header + L"Request timed out.\r\n\r\n");
}

TEST_F(DetailsCommandsTest, AFailingCommandIsShownByItsNameAndTheWindowGoesOn) {
  click(3);  // no Pendrel.LogonProperties to create
  ASSERT_EQ(bed.ui.prompts().size(), 1u);
  EXPECT_EQ(bed.ui.prompts()[0].prompt.rfind(L"Command1_Click: ", 0), 0u) << bed.ui.prompts()[0].prompt;
  EXPECT_TRUE(form.loaded());

  auto alerts = component_class(L"Pendrel.LogonProperties", L"LogonAlerts");
  click(3);
  EXPECT_EQ(bed.log->trace(), (Lines{L"set LogonAlerts.DomainObject = DomainObject",
                                     L"set LogonAlerts.Computer = Computer", L"call LogonAlerts.Show(1)"}));
  EXPECT_EQ(alerts.use_count(), 2);
}

class DetailsLoadTest : public ::testing::Test {
 protected:
  DetailsLoadTest() {
    script();
    window.set_DomainObject(bed.domain_object), window.set_Computer(bed.computer), form.load();
    form.get<forms::HostControl>(L"Ping1").set_object(ping), bed.log->clear();
  }

  // PC042 of domain CORP, answering everything the load asks.
  void script() {
    auto& c = *bed.computer;
    bed.pc042(L"CORP");
    for (const auto& [member, value] : {std::pair<const wchar_t*, Variant>{L"Time", make_date({2026, 3, 14, 9, 31, 0})},
         {L"Description", L"Front desk"}, {L"PlatformId", 500},
         {L"VersionMajor", 5}, {L"VersionMinor", 1}, {L"PlatFormType", 0x1003}})
      c.on(member).get(value);
    for (const auto& [member, value] : {std::pair<const wchar_t*, Variant>{L"Reachable", false},
         {L"LogonsEnabled", true}, {L"UnlocksEnabled", false}, {L"IPAddr", L"127.0.0.1"},
         {L"MACAddr", L"00-0C-29-4F-8E-35"}})
      c.property(member, value);
    c.on(L"GetServerInformation").call(int32_t{0});
    c.on(L"GetUsers").call(int32_t{0});
    c.on(L"GetRegistryValue").call(L"CORP\\alice");
    c.on(L"LoggedOnUsers").get([this](std::span<Argument> args) {
      return Variant(args.empty() ? DispatchPtr(sessions) : DispatchPtr(alice));
    });
    alice->on(L"Domain").get(L"CORP"), alice->on(L"Name").get(L"alice");
    sessions->items({{L"1", Variant(DispatchPtr(alice))}});
    ping->on(L"PingSetting", 2).let(0), ping->on(L"PingCount", 5).let(0).get(int32_t{3});
    ping->on(L"PingHost", 6).let(0).get(L"PC042"), ping->on(L"PingAddress", 7).get(L"127.0.0.1");
    ping->on(L"PingFullName", 8).get(L"pc042.corp"), ping->on(L"ResolveHost", 12).call(L"127.0.0.1");
  }

  // Activates the window again, as the user coming back to it.
  void activate() { form.hide(), form.show(0); }

  fakes::DetailsTestBed bed{true};
  std::shared_ptr<fakes::FakeDispatch> sessions = bed.computer->sibling(L"LoggedOnUsers");
  std::shared_ptr<fakes::FakeDispatch> alice = bed.computer->sibling(L"Session1");
  std::shared_ptr<fakes::FakeDispatch> ping = bed.computer->sibling(L"Ping1");
  details::FrmComputerDetails window{bed.env};
  forms::Form& form = window.form();
};

// The calls that mark the stages, in order: captions, host methods and writes.
// Each stage's own reads are checked with the stage.
Lines stages(const Lines& trace) {
  return fakes::starting_with(trace, {L"let Caption", L"call Computer", L"let Computer", L"get Computer.LogonsEnabled"});
}
std::wstring titled(const std::wstring& stage) { return L"let Caption = \"CORP\\PC042" + stage + L"\""; }

const std::wstring kReset = L"let Computer.Reachable = True";
// Up to the reachability call, whose answer decides the rest.
const Lines kUntilReachability = {kReset, kReset, titled(L" -> Getting Local Time Zone Info..."),
                                  L"get Computer.LogonsEnabled", L"let Computer.LogonsEnabled = True",
                                  L"let Computer.UnlocksEnabled = True", titled(L" -> Getting Users ..."),
                                  titled(L" -> Checking if reachable ..."), kReset,
                                  L"call Computer.GetServerInformation(102)"};

TEST_F(DetailsLoadTest, AReachableComputerLoadsStageByStage) {
  form.show(0);
  ASSERT_TRUE(window.LoadedOnce) << (bed.ui.prompts().empty() ? L"" : bed.ui.prompts()[0].prompt);
  Lines expected = kUntilReachability;
  expected.insert(expected.end(), {
      kReset, kReset, titled(L" -> Getting Remote Time ..."), titled(L" -> Getting Logged On Users ..."),
      L"call Computer.GetUsers(True)", titled(L" -> Getting Interactively Logged On User ..."),
      L"call Computer.GetRegistryValue(-2147483646, \"SOFTWARE\\Vyx\\GINA\\MRU\", \"ConsoleUser\", \"\")",
      titled(L" -> Getting Loggon Sessions ..."), titled(L" -> Getting Computer Details ..."),
      L"call Computer.GetServerInformation(101)", titled(L"")});
  EXPECT_EQ(stages(bed.log->trace()), expected);
  EXPECT_FALSE(form.get<forms::CommandButton>(L"Command1", 2).enabled());
  EXPECT_EQ(bed.ui.pointers(), (std::vector<int>{11, 0}));
  EXPECT_TRUE(bed.ui.prompts().empty());

  // Loaded: coming back changes nothing, not even the caption.
  bed.log->clear();
  activate();
  EXPECT_EQ(bed.log->trace(), Lines{});
  EXPECT_EQ(bed.ui.pointers().size(), 2u);
}

// A failing host member ends the load, named in the error box; details the
// host cannot give end it with a warning. Either way the pointer comes back
// and the next activation loads again.
TEST_F(DetailsLoadTest, FailuresEndTheLoadOnceAndTheNextActivationStartsOver) {
  bed.computer->on(L"Description").raise(Error(-2147023174, L"The RPC server is unavailable."));
  form.show(0);
  EXPECT_FALSE(window.LoadedOnce);
  ASSERT_EQ(bed.ui.prompts().size(), 1u);
  const std::wstring& box = bed.ui.prompts()[0].prompt;
  EXPECT_TRUE(box.starts_with(L"Form_Activate: ") && box.find(L"The RPC server is unavailable.") != box.npos) << box;
  script();
  bed.computer->on(L"GetServerInformation").call([](std::span<Argument> args) {
    return args[0].value.to_long() == 101 ? 5 : 0;
  });
  activate();
  EXPECT_FALSE(window.LoadedOnce);
  EXPECT_EQ(bed.ui.prompts().back(), fakes::message(L"There were errors while getting the Machine Information, "
                                                    L"see the log file.", 48, L"Pendrel"));
  EXPECT_EQ(bed.ui.pointers().back(), 0);
  script();
  activate();
  EXPECT_TRUE(window.LoadedOnce);
}

class DetailsEdges : public ::testing::Test {
 protected:
  DetailsEdges() {
    bed.pc042(L"CORP"), bed.computer->property(L"Reachable", false), bed.computer->property(L"LogonsEnabled", false);
    object->set_DomainObject(bed.domain_object), object->set_Computer(bed.computer);
  }
  auto& window() { return static_cast<details::FrmComputerDetails&>(*env.class_windows.windows.begin()->second); }
  forms::Form& form() { return window().form(); }
  forms::CommandButton& button(int index) { return form().get<forms::CommandButton>(L"Command1", index); }

  fakes::DetailsTestBed bed;
  fakes::ScriptedUserInterface& ui = bed.ui;
  component::Environment env{bed.window_system, ui, {}, &bed.services};
  std::unique_ptr<component::Properties> object = std::make_unique<component::Properties>(env);
  std::function<void()> let_go = [this] { object.reset(); };
};

TEST_F(DetailsEdges, TheLastObjectReleasedInsideAnEventLeavesTheWindowWhenTheEventReturns) {
  auto ping = bed.computer->sibling(L"Ping1"), logon = bed.computer->sibling(L"LogonProperties");
  const std::pair<const char*, std::function<void()>> cases[] = {
      {"ping reply", [&] {
         ui.on_do_events = let_go;
         ping->on(L"PingHost", 6).let([](auto) {}).get(L"PC042");
         ping->on(L"PingCount", 5).get(int32_t{3}), ping->on(L"PingAddress", 7).get(L"127.0.0.1");
         auto* control = &form().get<forms::HostControl>(L"Ping1");
         ping->on(L"StartPing", 11).call([control](std::span<Argument>) {
           for (Variant ms : {1, 1, 1}) control->fire_event(L"ReplyReceived", std::span(&ms, 1));
         });
         control->set_object(ping);
         button(1).user_click();
         EXPECT_EQ(ui.do_events_calls(), 1);  // the later replies are dropped
       }},
      {"box during the load", [&] { ui.during_box = let_go, form().show(0); }},
      {"modal logon window", [&] {
         logon->property(L"DomainObject"), logon->property(L"Computer");
         logon->on(L"Show").call([&](std::span<Argument>) { let_go(); });
         bed.classes[L"Pendrel.LogonProperties"] = logon;
         button(3).user_click();
       }},
  };
  for (const auto& [name, run] : cases) {
    SCOPED_TRACE(name);
    if (!object) object = std::make_unique<component::Properties>(env), object->set_Computer(bed.computer);
    run();
    EXPECT_TRUE(env.class_windows.windows.empty());
  }
}

TEST_F(DetailsEdges, AnEmptyRemoteTimeEndsTheLoadNormallyWithoutWhatNeedsIt) {
  bed.computer->on(L"Time").get(L"");
  form().show(0);
  EXPECT_TRUE(window().LoadedOnce);
  EXPECT_TRUE(ui.prompts().empty());
  EXPECT_EQ(bed.log->trace().back(), L"get Computer.Name");  // the last caption, nothing after the time
  EXPECT_FALSE(button(2).enabled());
}

TEST_F(DetailsEdges, WakeUpCannotBeClickedAfterALoadThatEndedEarly) {
  bed.computer->property(L"MACAddr"), bed.computer->on(L"Wake").call(int32_t{0});
  form().show(0);  // the remote time cannot be read
  ASSERT_FALSE(window().LoadedOnce);
  bed.log->clear();
  button(2).user_click();
  EXPECT_EQ(bed.log->trace(), std::vector<std::wstring>{});
  EXPECT_TRUE(form().loaded());
}

// Ping1 reached as the window reaches it, by dispatch id, over a scripted
// transport: the events of StartPing in order with their arguments.
// Only PC042 resolves; each echo gives the next scripted result.
struct ScriptedTransport : EchoTransport {
  std::deque<EchoResult> results;
  Lines calls;
  std::optional<ResolvedHost> resolve(const std::wstring& host) override {
    calls.push_back(L"resolve " + host);
    if (host != L"PC042") return std::nullopt;
    return ResolvedHost{L"10.0.0.7", L"pc042.sales.example"};
  }
  EchoResult echo(const std::wstring& address, uint32_t timeout_ms) override {
    calls.push_back(L"echo " + address + L" " + std::to_wstring(timeout_ms));
    const EchoResult result = results.front();
    results.pop_front();
    return result;
  }
};

struct PingTest : ::testing::Test {
  std::shared_ptr<ScriptedTransport> transport = std::make_shared<ScriptedTransport>();
  std::shared_ptr<PingObject> object = std::make_shared<PingObject>(transport);
  outside::PingControl ping{object};
  Lines events;

  // "ReplyReceived 1", "StatusMessage 2 $text": $ marks a text argument.
  Lines run(const std::wstring& host, std::deque<EchoResult> results, int16_t count, int16_t setting = 5) {
    events.clear(), transport->calls.clear(), transport->results = std::move(results);
    object->set_event_sink([this](std::wstring_view event, std::span<Variant> args) {
      std::wstring line(event);
      for (const Variant& arg : args) line += (arg.kind() == Variant::Kind::Int32 ? L" " : L" $") + arg.to_text();
      events.push_back(line);
    });
    ping.set_ping_host(host), ping.set_ping_count(count), ping.set_ping_setting(setting), ping.start_ping();
    return events;
  }
};

TEST_F(PingTest, RepliesAndOtherOutcomesInOrderAndNamesThatDoNotResolve) {
  EXPECT_EQ(run(L"PC042", {{EchoOutcome::Reply, 1}, {EchoOutcome::Reply, 0}, {EchoOutcome::Reply, 12}}, 3),
            (Lines{L"ReplyReceived 1", L"ReplyReceived 0", L"ReplyReceived 12"}));
  EXPECT_EQ(transport->calls, (Lines{L"resolve PC042", L"echo 10.0.0.7 5000", L"echo 10.0.0.7 5000",
                                     L"echo 10.0.0.7 5000"}));
  EXPECT_EQ(ping.ping_host() + L" " + ping.ping_address() + L" " + ping.ping_full_name(),
            L"PC042 10.0.0.7 pc042.sales.example");

  EXPECT_EQ(run(L"PC042", {{EchoOutcome::TimedOut, 0, 11010}, {EchoOutcome::HostUnreachable, 0, 11003},
                           {EchoOutcome::NetworkUnreachable, 0, 11002}, {EchoOutcome::Failed, 0, 11050}}, 4),
            (Lines{L"StatusMessage 11010 $Request timed out.", L"StatusMessage 11003 $Destination host unreachable.",
                   L"StatusMessage 11002 $Destination net unreachable.",
                   L"StatusMessage 11050 $Transmit failed. Error = 11050."}));

  // Names that do not resolve.
  EXPECT_EQ(ping.resolve_host(L"NOWHERE.invalid"), L"Error = 2");
  for (const std::wstring host : {L"NOWHERE.invalid", L"", L"  "}) {
    EXPECT_EQ(run(host, {}, 3), Lines{L"StatusMessage 2 $Ping request could not find host " + host + L". Error = 2"});
    EXPECT_EQ(transport->calls, host == L"NOWHERE.invalid" ? Lines{L"resolve NOWHERE.invalid"} : Lines{});
  }
}

// The report of a hidden window: its host objects are the window's, its Ping1
// the one the environment hands out.
class DetailsReportTest : public DetailsLoadTest {
 protected:
  DetailsReportTest() {
    bed.env.host_controls = [this](forms::HostControl& control) { control.set_object(ping); };
    bed.computer->on(L"TZBias").get(int32_t{0});
  }
  report::ComputerReport report() { return details::ReportComputer(window, false); }
  std::wstring label(int index) { return form.get<forms::Label>(L"Label2", index).caption(); }
};

// The CSV's rows as Python's csv module reads them.
nlohmann::json python_csv(const std::string& csv) {
  const auto path = std::filesystem::temp_directory_path() / ("pendrel_report_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + ".csv");
  std::ofstream(path, std::ios::binary) << csv;
  std::string out;
  FILE* python = popen(("python3 " PENDREL_CSV_CELLS " " + path.string()).c_str(), "r");
  for (char buffer[4096]; python && fgets(buffer, sizeof buffer, python);) out += buffer;
  const int status = python ? pclose(python) : -1;
  std::filesystem::remove(path);
  EXPECT_EQ(status, 0) << out;
  return nlohmann::json::parse(out);
}

TEST_F(DetailsReportTest, TheReportHoldsWhatTheLoadedWindowShowsAndWritesNothing) {
  const report::ComputerReport r = report();
  EXPECT_EQ(fakes::count_of(bed.log->trace(), L"let Computer.LogonsEnabled = True"), 0);
  EXPECT_FALSE(form.visible());
  form.show(0);  // the window's own load, to compare with
  ASSERT_TRUE(window.LoadedOnce);
  EXPECT_EQ(r.computer + L"|" + r.domain + L"|" + r.console_account, L"PC042|CORP|CORP\\alice");
  EXPECT_TRUE(r.reachable);
  EXPECT_FALSE(r.active.has_value());  // no equipment row without a database
  const std::pair<int, std::wstring> shown[] = {{5, r.ip_address}, {6, r.host_name}, {9, r.mac_address},
                                                {2, r.os},         {1, r.description}, {0, r.remote_time}};
  for (const auto& [index, value] : shown) EXPECT_EQ(label(index), value) << index;
  EXPECT_EQ(label(5), L"127.0.0.1");
  const forms::ComboBox& types = form.get<forms::ComboBox>(L"cmbTypes");
  ASSERT_EQ(r.server_types.size(), static_cast<size_t>(types.list_count()));
  for (int i = 0; i < types.list_count(); ++i) EXPECT_EQ(r.server_types[i], types.list(i));
  forms::ListItems& users = form.get<ListView>(L"ListView1", 2).list_items();
  ASSERT_EQ(r.users.size(), static_cast<size_t>(users.count()));
  for (int i = 1; i <= users.count(); ++i) {
    const forms::ListItem& row = users.item(i);
    EXPECT_EQ(r.users[i - 1].type + L"|" + r.users[i - 1].name + L"|" + r.users[i - 1].description,
              row.text() + L"|" + row.sub_item(1) + L"|" + row.sub_item(2));
  }
  EXPECT_EQ(r.clock_skew_seconds, 60);  // 09:31:00 on PC042 against 09:30:00 here, one zone
  EXPECT_TRUE(r.errors.empty()) << r.errors[0].text;

  const nlohmann::json json = nlohmann::json::parse(report::to_json(r));
  EXPECT_EQ(json["users"][0]["name"], "CORP\\alice");
  EXPECT_EQ(json["clock_skew_seconds"], 60);
  EXPECT_TRUE(json["active"].is_null());
  EXPECT_FALSE(json.contains("packages"));  // only with the applications
  EXPECT_EQ(details::ClockSkewSeconds(L"Sat Mar 14 09:31:00 2026 (X)", L"Sat Mar 14 10:30:00 2026", 60), 60);
  EXPECT_EQ(details::ClockSkewSeconds(L"N/A", L"Sat Mar 14 10:30:00 2026", 0), std::nullopt);
}

// A box the window would show becomes an error with its stage; what the load
// found before and besides it still comes.
TEST_F(DetailsReportTest, FailuresBecomeErrorsAndTheRestStillComes) {
  const std::wstring kRpc = L"The RPC server is unavailable.";
  struct Case {
    std::function<void()> fault;
    bool reachable;
    std::wstring ip, remote_time, stage, text;
  } cases[] = {
      {[&] { bed.computer->on(L"Description").raise(Error(-2147023174, kRpc)); }, true,
       L"127.0.0.1", L"Sat Mar 14 09:31:00 2026", L"Getting Computer Details ...", L"Form_Activate: " + kRpc},
      {[this] {
         bed.computer->on(L"GetServerInformation").call([](std::span<Argument> a) { return a[0].value.to_long() == 101 ? 5 : 0; });
       },
       true, L"127.0.0.1", L"Sat Mar 14 09:31:00 2026", L"Getting Computer Details ...",
       L"There were errors while getting the Machine Information, see the log file."},
      // A name that does not resolve: off-line, without addresses, and no box.
      {[this] {
         bed.computer->property(L"IPAddr", L"Error = 2");
         bed.computer->on(L"GetServerInformation").call(int32_t{53});
         ping->on(L"ResolveHost", 12).call(L"Error = 2");
       },
       false, L"N/A", L"N/A", L"", L""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    script();
    c.fault();
    const report::ComputerReport r = report();
    EXPECT_EQ(r.reachable, c.reachable);
    EXPECT_EQ(r.ip_address, c.ip);
    EXPECT_EQ(r.remote_time, c.remote_time);
    EXPECT_EQ(r.mac_address, c.reachable ? L"00-0C-29-4F-8E-35" : L"");  // not the design text
    ASSERT_EQ(r.users.size(), c.reachable ? 1u : 0u);  // the session is read before the details
    ASSERT_EQ(r.errors.size(), c.text.empty() ? 0u : 1u);
    if (c.text.empty()) continue;
    EXPECT_EQ(r.errors[0].stage, c.stage);
    EXPECT_TRUE(r.errors[0].text.starts_with(c.text)) << r.errors[0].text;
  }
}

// Texts a CSV or JSON writer gets wrong: quotes, commas and line breaks in a
// name, a very long description, a user beyond ASCII and beyond the BMP.
TEST_F(DetailsReportTest, BadTextsKeepTheJsonValidAndTheCsvRoundTripsThroughPython) {
  const std::wstring name = L"PC\"0,4\r\n2 \"x\"";
  std::wstring description(10000, L'd');
  description.replace(5000, 7, L"\",\"\n\r\n,");
  const std::wstring user = L"j\u00fcrgen \u674e \U0001F600";
  bed.computer->on(L"Name").get(name);
  bed.computer->on(L"Description").get(description);
  alice->on(L"Name").get(user);
  const report::ComputerReport r = report();
  ASSERT_TRUE(r.errors.empty()) << r.errors[0].text;
  ASSERT_EQ(r.users.size(), 1u);

  const nlohmann::json json = nlohmann::json::parse(report::to_json(r));
  EXPECT_EQ(json["computer"], report::to_utf8(name));
  EXPECT_EQ(json["description"], report::to_utf8(description));
  EXPECT_EQ(json["users"][0]["name"], report::to_utf8(L"CORP\\" + user));
  EXPECT_EQ(report::from_utf8(json["users"][0]["name"].get<std::string>()), L"CORP\\" + user);

  const nlohmann::json rows = python_csv(report::csv_header() + report::csv_row(r) + report::csv_row(r));
  ASSERT_EQ(rows.size(), 3u);
  std::map<std::string, std::string> cells;
  for (size_t i = 0; i < rows[0].size(); ++i) cells[rows[0][i]] = rows[1][i];
  EXPECT_EQ(rows[1], rows[2]);
  EXPECT_EQ(cells.size(), rows[1].size());
  EXPECT_EQ(cells["computer"], report::to_utf8(name));
  EXPECT_EQ(cells["description"], report::to_utf8(description));
  EXPECT_EQ(cells["users"], report::to_utf8(r.users[0].type + L": CORP\\" + user));
  EXPECT_EQ(cells["reachable"], "true");
  EXPECT_EQ(cells["clock_skew_seconds"], "60");

  EXPECT_EQ(window.Report(L"CSV", false).substr(0, 16), L"computer,domain,");
  EXPECT_EQ(error_number([&] { window.Report(L"xml", false); }), vb_error::kInvalidProcedureCall);
}

}  // namespace
}  // namespace pendrel::details
