#include "forms/form.h"

#include <gtest/gtest.h>

#include "forms/check_box.h"
#include "forms/command_button.h"
#include "forms/frame.h"
#include "forms/image.h"
#include "forms/label.h"
#include "forms/list_view.h"
#include "forms/tab_strip.h"
#include "forms/text_box.h"
#include "raised.h"
#include "recording_peer.h"

namespace pendrel::forms {
namespace {

using fakes::Trace;
using Names = std::vector<std::wstring>;

Names names(const std::vector<Control*>& controls) {
  Names out;
  for (const Control* c : controls) out.push_back(fakes::control_name(*c));
  return out;
}

TEST(FormLife, EachLoadStartsFromTheDesignedState) {
  bool refuse = true;
  std::vector<std::wstring> events;
  Form form(L"frmUnavailable", [](Form& f) {
    f.set_caption(L"Unavailable Dialog Settings");
    f.add<TextBox>(L"txtData", 0);
  });
  form.on_load = [&] { events.push_back(L"Load " + form.caption()); };
  form.on_query_unload = [&](int& cancel, int mode) {
    events.push_back(L"QueryUnload " + std::to_wstring(mode));
    cancel = refuse ? 1 : 0;
  };
  form.on_unload = [&](int&) { events.push_back(L"Unload"); };
  auto trace = std::make_shared<Trace>();
  fakes::record_peer(form, trace);

  EXPECT_EQ(form.hwnd(), 0);
  form.set_caption(L"Unavailable Properties of PC042");  // a reference loads the form
  EXPECT_EQ(form.hwnd(), 0x2A0B4);
  form.get<TextBox>(L"txtData", 0).set_text(L"Maintenance");
  form.set_width(7845);
  EXPECT_FALSE(form.user_close());
  refuse = false;
  EXPECT_TRUE(form.unload());
  EXPECT_EQ(form.find(L"txtData", 0), nullptr);
  EXPECT_EQ(form.hwnd(), 0);
  EXPECT_TRUE(form.unload());  // nothing to do

  form.load();
  EXPECT_EQ(form.width(), 0);
  EXPECT_EQ(form.get<TextBox>(L"txtData", 0).text(), L"");
  EXPECT_EQ(form.controls().size(), 1u);
  EXPECT_EQ(events, (Names{L"Load Unavailable Dialog Settings", L"QueryUnload 0", L"QueryUnload 1", L"Unload",
                           L"Load Unavailable Dialog Settings"}));
  EXPECT_EQ(*trace, (Trace{L"create", L"form Caption", L"control txtData(0) Text", L"form Bounds", L"destroy",
                           L"create"}));
  EXPECT_EQ(error_number([&] { form.get<Label>(L"txtData", 0); }), 13) << "a text box taken for a label";
  EXPECT_EQ(error_number([&] { form.get<TextBox>(L"txtData", 3); }), 340) << "a missing array element";
}

TEST(FormLife, AnEventThatUnloadsItsFormFinishesOnTheOldControls) {
  std::vector<std::wstring> seen;
  Form form(L"frmComputerDetails", [&](Form& f) {
    auto& ok = f.add<CommandButton>(L"Command1", 0);
    ok.set_caption(L"&OK");
    auto& active = f.add<CheckBox>(L"chkActive", 0);
    active.on_click = [&seen] { seen.push_back(L"chkActive Click"); };
    ok.on_click = [&f, &ok, &active, &seen] {
      f.unload();
      seen.push_back(ok.caption());
      active.set_value(1);  // an unloaded control announces and raises nothing
    };
  });
  auto trace = std::make_shared<Trace>();
  fakes::record_peer(form, trace);
  form.show();
  form.get<CommandButton>(L"Command1", 0).user_click();
  EXPECT_EQ(seen, std::vector<std::wstring>{L"&OK"});
  EXPECT_EQ(*trace, (Trace{L"create", L"show", L"destroy"}));
  EXPECT_EQ(Form::active_form(), nullptr);
}

TEST(FormLife, ModalShowRunsTheNestedLoopAndReactivatesTheOwner) {
  auto trace = std::make_shared<Trace>();
  bool unload_on_ok = true;
  Form logon(L"frmLogonProperty", [&](Form& f) {
    auto& ok = f.add<CommandButton>(L"cmdButton", 0);
    ok.set_default(true);
    ok.on_click = [&] {
      trace->push_back(L"OK Click");
      unload_on_ok ? (void)f.unload() : f.hide();
    };
  });
  Form details(L"frmComputerDetails", [&](Form& f) {
    f.add<CommandButton>(L"Command1", 3).on_click = [&] {
      logon.show(1);
      trace->push_back(L"Show returned");
    };
  });
  logon.on_activate = [&] { trace->push_back(L"logon Activate"); };
  details.on_activate = [&] { trace->push_back(L"details Activate"); };
  fakes::record_peer(details, trace, {}, L"details");
  fakes::record_peer(logon, trace, [&] { logon.user_enter_key(); }, L"logon");

  details.show();
  details.show();  // already the active form: no second Activate
  details.get<CommandButton>(L"Command1", 3).user_click();
  EXPECT_EQ(*trace, (Trace{L"details create", L"details show", L"details Activate", L"logon create",
                           L"logon show", L"logon Activate", L"logon run_modal", L"OK Click", L"logon destroy",
                           L"logon end_modal", L"details Activate", L"Show returned"}));
  EXPECT_EQ(Form::active_form(), &details);

  trace->clear();
  unload_on_ok = false;
  details.get<CommandButton>(L"Command1", 3).user_click();
  EXPECT_EQ(*trace, (Trace{L"logon create", L"logon show", L"logon Activate", L"logon run_modal", L"OK Click",
                           L"logon hide", L"logon end_modal", L"details Activate", L"Show returned"}));
  EXPECT_TRUE(logon.loaded());
  EXPECT_EQ(error_number([&] { details.show(1); }), 400) << "a visible form shown modally";
  EXPECT_EQ(error_number([&] { details.zorder(2); }), 5);
}

TEST(Stacking, ZOrderMovesControlsWithinTheirContainerAndLayer) {
  Form form(L"frmLogonProperty", [](Form& f) {
    f.add<TabStrip>(L"TabStrip1");
    f.add<CheckBox>(L"chkLogons", 0);
    for (int i = 0; i < 2; ++i) f.add_to<ListView>(f.add<Frame>(L"fraWatch", i), L"ListView1", i);
    f.add<Label>(L"Label1", 0);
    f.add<Image>(L"Image1", 0);
    f.add<Image>(L"Image1", 1);
  });
  form.load();
  EXPECT_EQ(names(form.stacking(nullptr)), (Names{L"fraWatch(1)", L"fraWatch(0)", L"chkLogons(0)", L"TabStrip1",
                                                  L"Image1(1)", L"Image1(0)", L"Label1(0)"}));
  // As the logon window switches tabs; labels and images stay behind every windowed control.
  form.get<Frame>(L"fraWatch", 1).zorder(1);
  form.get<CheckBox>(L"chkLogons", 0).zorder(0);
  form.get<Label>(L"Label1", 0).zorder(0);
  form.get<Image>(L"Image1", 0).zorder(0);
  EXPECT_EQ(names(form.stacking(nullptr)), (Names{L"chkLogons(0)", L"fraWatch(0)", L"TabStrip1", L"fraWatch(1)",
                                                  L"Image1(0)", L"Label1(0)", L"Image1(1)"}));
  EXPECT_EQ(names(form.stacking(&form.get<Frame>(L"fraWatch", 0))), Names{L"ListView1(0)"});
  EXPECT_EQ(error_number([&] { form.get<Frame>(L"fraWatch", 0).zorder(-1); }), 5);
}

TEST(Focus, AccessKeysEscAndTabOrderFollowTheTabIndex) {
  int cancel_clicks = 0;
  Form form(L"frmUnavailable", [&](Form& f) {
    const wchar_t* captions[] = {L"C&aption:", L"&Message:", L"&Time Out (Secs):"};
    for (int i = 0; i < 3; ++i) {
      f.add<Label>(L"Label1", i).set_caption(captions[i]);
      f.add<TextBox>(L"txtData", i);
    }
    f.add<CheckBox>(L"chkUnlocksPermitted").set_caption(L"&Unlocks Permitted");
    f.add<CommandButton>(L"OKButton").set_caption(L"&OK");
    auto& cancel = f.add<CommandButton>(L"CancelButton");
    cancel.set_caption(L"&Cancel");
    cancel.set_cancel(true);
    cancel.on_click = [&] { ++cancel_clicks; };
    f.add<Label>(L"Label2").set_caption(L"Fish && Chips");
  });
  auto text = [&](int i) { return &form.get<TextBox>(L"txtData", i); };
  auto& unlocks = form.get<CheckBox>(L"chkUnlocksPermitted");

  EXPECT_EQ(form.user_access_key(L'm', nullptr), text(1));
  EXPECT_EQ(form.user_access_key(L'A', text(2)), text(0)) << "the search wraps";
  text(1)->set_enabled(false);
  EXPECT_EQ(form.user_access_key(L'M', nullptr), text(2));
  EXPECT_EQ(form.user_access_key(L'u', nullptr), &unlocks);
  EXPECT_EQ(unlocks.value(), 1);
  EXPECT_EQ(form.user_access_key(L'c', nullptr), &form.get<CommandButton>(L"CancelButton"));
  EXPECT_EQ(cancel_clicks, 1);
  EXPECT_EQ(form.user_access_key(L'h', nullptr), nullptr);
  form.get<CommandButton>(L"CancelButton").set_value(true);
  EXPECT_TRUE(form.user_escape_key());
  EXPECT_EQ(cancel_clicks, 3);
  form.get<CommandButton>(L"CancelButton").set_enabled(false);
  EXPECT_FALSE(form.user_escape_key()) << "Esc clicks only an enabled cancel button";

  form.get<CommandButton>(L"OKButton").set_tab_index(0);
  EXPECT_EQ(names(form.tab_order()).front(), L"OKButton");
  EXPECT_EQ(form.get<Label>(L"Label1", 0).tab_index(), 1);
  EXPECT_EQ(form.get<CommandButton>(L"CancelButton").tab_index(), 8);
  text(2)->set_tab_stop(false);
  EXPECT_EQ(form.next_in_tab_order(text(0), true), &unlocks);
  EXPECT_EQ(form.next_in_tab_order(text(0), false), text(2));
  EXPECT_EQ(form.next_in_tab_order(&form.get<Label>(L"Label2"), true), &form.get<CommandButton>(L"OKButton"));
}

TEST(Failures, UserEventsReportThemAndCodeEventsRaiseThem) {
  Form form(L"frmComputerDetails", [](Form& f) {
    f.add<CommandButton>(L"Command1", 2).on_click = [] {
      throw Error(91, L"Object variable or With block variable not set");
    };
    f.add<CheckBox>(L"chkActive", 0).on_click = [] { throw Error::vb(vb_error::kInvalidProcedureCall); };
  });
  auto& wake = form.get<CommandButton>(L"Command1", 2);
  auto& active = form.get<CheckBox>(L"chkActive", 0);
  EXPECT_THROW(wake.user_click(), Error);  // without a reporter the renderer's guard gets it

  std::vector<int32_t> reported;
  form.set_error_reporter([&](const Error& e) { reported.push_back(e.number()); });
  wake.user_click();
  active.user_set_value(1);
  EXPECT_EQ(error_number([&] { active.set_value(0); }), 5) << "the click handler's error reaches the code";
  EXPECT_EQ(active.value(), 0);
  EXPECT_EQ(reported, (std::vector<int32_t>{91, 5}));
}

}  // namespace
}  // namespace pendrel::forms
