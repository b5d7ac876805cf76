// The details window at its edges: the host letting go of its last object
// inside one of the window's events (caught by ASan), an empty remote time,
// and "&Wake Up" after a load that ended early.
#include <gtest/gtest.h>

#include "component/properties.h"
#include "details_fakes.h"
#include "forms/command_button.h"
#include "forms/host_control.h"

namespace pendrel {
namespace {

struct BoxUi : fakes::ScriptedUserInterface {
  std::function<void()> during_box;  // runs while the next message box is up
  int message_box(std::wstring_view prompt, int style, std::wstring_view title) override {
    if (during_box) std::exchange(during_box, nullptr)();
    return ScriptedUserInterface::message_box(prompt, style, title);
  }
};

class DetailsEdges : public ::testing::Test {
 protected:
  DetailsEdges() {
    bed.computer->on(L"Name").get(L"PC042");
    bed.computer->on(L"Domain").get(L"CORP");
    bed.computer->property(L"Reachable", false);
    bed.computer->property(L"LogonsEnabled", false);
    bed.domain_object->on(L"ThisComputerName").get(L"CONSOLE1");
    bed.domain_object->on(L"ThisDomainName").get(L"CORP");
    object->set_DomainObject(bed.domain_object);
    object->set_Computer(bed.computer);
  }
  auto& window() { return static_cast<details::FrmComputerDetails&>(*env.class_windows.windows.begin()->second); }
  forms::Form& form() { return window().form(); }
  forms::CommandButton& button(int index) { return form().get<forms::CommandButton>(L"Command1", index); }

  BoxUi ui;
  fakes::DetailsTestBed bed;
  component::Environment env{bed.window_system, ui, {}, &bed.services};
  std::unique_ptr<component::Properties> object = std::make_unique<component::Properties>(env);
  std::function<void()> let_go = [this] { object.reset(); };
};

TEST_F(DetailsEdges, TheLastObjectReleasedInsideAnEventLeavesTheWindowWhenTheEventReturns) {
  auto ping = bed.computer->sibling(L"Ping1"), logon = bed.computer->sibling(L"LogonProperties");
  const std::pair<const char*, std::function<void()>> cases[] = {
      {"ping reply", [&] {
         ui.on_do_events = let_go;
         ping->on(L"PingHost", 6).let([](std::span<Argument>) {}).get(L"PC042");
         ping->on(L"PingCount", 5).get(int32_t{3});
         ping->on(L"PingAddress", 7).get(L"127.0.0.1");
         auto* control = &form().get<forms::HostControl>(L"Ping1");
         ping->on(L"StartPing", 11).call([control](std::span<Argument>) {
           for (Variant ms : {1, 1, 1}) control->fire_event(L"ReplyReceived", std::span(&ms, 1));
         });
         control->set_object(ping);
         button(1).user_click();
         EXPECT_EQ(ui.do_events_calls(), 1);  // the later replies are dropped
       }},
      {"box during the load", [&] {
         ui.during_box = let_go;
         form().show(0);
       }},
      {"modal logon window", [&] {
         logon->property(L"DomainObject");
         logon->property(L"Computer");
         logon->on(L"Show").call([&](std::span<Argument>) { let_go(); });
         bed.classes[L"Pendrel.LogonProperties"] = logon;
         button(3).user_click();
       }},
  };
  for (const auto& [name, run] : cases) {
    SCOPED_TRACE(name);
    if (!object) {
      object = std::make_unique<component::Properties>(env);
      object->set_Computer(bed.computer);
    }
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
  bed.computer->property(L"MACAddr");
  bed.computer->on(L"Wake").call(int32_t{0});
  form().show(0);  // the remote time cannot be read
  ASSERT_FALSE(window().LoadedOnce);
  bed.log->clear();
  button(2).user_click();
  EXPECT_EQ(bed.log->trace(), std::vector<std::wstring>{});
  EXPECT_TRUE(form().loaded());
}

}  // namespace
}  // namespace pendrel
