// The component classes against stand-in windows of the real ones' shape (the
// renderer and window system write one trace, so the order of their calls
// shows), and the form model under them: events' errors and the list view.
#include "component/property_classes.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "forms/check_box.h"
#include "forms/command_button.h"
#include "forms/form.h"
#include "forms/list_view.h"
#include "raised.h"
#include "support/fakes.h"

namespace pendrel::component {
namespace {

using fakes::Trace;

// Set by each test: where the stand-in windows and the window system write.
Trace* g_trace = nullptr;
std::function<void()> g_during_modal;

// A window with a designed caption and check box, logging its load and its
// reaction to Computer.
class StandInWindow : public ComponentWindow {
 public:
  StandInWindow(Environment& env, const wchar_t* name)
      : ComponentWindow(env.window_system), form_(name, [](forms::Form& f) {
          f.set_caption(L"Designed");
          f.add<forms::CheckBox>(L"chkActive");
        }) {
    form_.set_peer_factory(env.peer_factory);
    form_.on_load = [this] { g_trace->push_back(L"Load " + form_.name()); };
  }
  forms::Form& form() override { return form_; }

 private:
  void computer_set() override { g_trace->push_back(L"Computer set on " + form_.name()); }
  forms::Form form_;
};

struct DetailsWindow : StandInWindow {
  explicit DetailsWindow(Environment& env) : StandInWindow(env, L"frmComputerDetails") {}
  const std::wstring& AdminAcct() const { return admin_acct; }
  void set_AdminAcct(std::wstring text) { admin_acct = std::move(text); }
  const std::wstring& Password() const { return password; }
  void set_Password(std::wstring text) { password = std::move(text); }
  std::wstring admin_acct, password;
};
struct UnavailableWindow : StandInWindow {
  explicit UnavailableWindow(Environment& env) : StandInWindow(env, L"frmUnavailable") {}
  bool OK() const { return ok; }
  void set_OK(bool value) { ok = value; }
  bool ok = false;
};

using Properties = BasicProperties<DetailsWindow>;
using UnavailableProperties = BasicUnavailableProperties<UnavailableWindow>;

class ComponentClasses : public ::testing::Test {
 protected:
  ComponentClasses() { g_trace = window_system.trace = trace.get(), g_during_modal = nullptr; }
  ~ComponentClasses() override { g_trace = nullptr; }

  // The trace since the last call.
  Trace take() { return std::exchange(*trace, Trace{}); }

  std::shared_ptr<Trace> trace = std::make_shared<Trace>();
  fakes::FakeWindowSystem window_system;
  fakes::ScriptedUserInterface ui;
  Environment env{window_system, ui, [this](forms::Form&) {
                    return std::make_unique<fakes::RecordingPeer>(
                        trace, [] { if (g_during_modal) g_during_modal(); });
                  }};
};

TEST_F(ComponentClasses, TheLastObjectOfTheThreadTakesTheWindowsAndCredentialsAlongNotTheDatabase) {
  {
    UnavailableProperties unavailable(env);
    unavailable.set_OnTop(true), unavailable.set_OK(true);
    Properties properties(env);
    properties.set_Password(L"s3cret"), properties.set_Database(L"DSN=Management;UID=console");
  }
  UnavailableProperties unavailable(env);
  EXPECT_FALSE(unavailable.OnTop());
  EXPECT_FALSE(unavailable.OK());
  Properties other(env);
  EXPECT_EQ(other.Database(), L"DSN=Management;UID=console");
  EXPECT_EQ(other.Password(), L"");
  other.set_Database(L"");
}

TEST_F(ComponentClasses, ShowModalHidesFirstAndZOrderZeroActivates) {
  UnavailableProperties unavailable(env);
  unavailable.Show(), unavailable.Show(), take();
  g_during_modal = [&] { g_trace->push_back(L"user confirms"), unavailable.Hide(); };
  unavailable.Show(Variant(int16_t{1}));
  EXPECT_EQ(take(), (Trace{L"hide", L"show", L"run_modal", L"user confirms", L"hide", L"end_modal"}));

  EXPECT_TRUE(unavailable.ZOrder(0).is_empty());
  unavailable.ZOrder(1), unavailable.set_OnTop(true), unavailable.set_OnTop(false);
  EXPECT_EQ(take(), (Trace{L"zorder 0", L"SetForegroundWindow 172212", L"SetActiveWindow 172212", L"zorder 1",
                           L"SetWindowPos 172212 -1 0 0 0 0 19", L"SetWindowPos 172212 -2 0 0 0 0 19"}));
  EXPECT_EQ(error_number([&] { unavailable.ZOrder(INT32_MIN); }), vb_error::kOverflow);
}

TEST_F(ComponentClasses, PositionsGoThroughSingleAndHalfTwipsRoundToEven) {
  Properties properties(env);
  properties.set_PosLeft(16777217);  // single precision keeps 16777216
  EXPECT_EQ(properties.PosLeft(), 16777216);
  properties.set_Visible(true);
  ASSERT_NE(forms::Form::active_form(), nullptr);
  forms::Form::active_form()->user_moved(forms::Bounds{1.5f, 3.5f, 7845.0f, 1000.5f});
  EXPECT_EQ(properties.PosLeft(), 2);
  EXPECT_EQ(properties.PosTop(), 4);
  EXPECT_EQ(properties.PosHeight(), 1000);
  properties.set_WindowState(2);
  EXPECT_EQ(error_number([&] { properties.set_WindowState(65538); }), vb_error::kOverflow);
  EXPECT_EQ(properties.WindowState(), 2);
}

}  // namespace
}  // namespace pendrel::component

namespace pendrel::forms {
namespace {

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
  wake.user_click(), active.user_set_value(1);
  EXPECT_EQ(error_number([&] { active.set_value(0); }), 5) << "the click handler's error reaches the code";
  EXPECT_EQ(active.value(), 0);
  EXPECT_EQ(reported, (std::vector<int32_t>{91, 5}));
}

using Texts = std::vector<std::wstring>;

Texts row_texts(const ListView& list, int column = 0) {
  Texts texts;
  for (int i = 1; i <= list.list_items().count(); ++i) {
    const ListItem& item = list.list_items().item(i);
    texts.push_back(column == 0 ? item.text() : item.sub_item(column));
  }
  return texts;
}

class ListViewTest : public ::testing::Test {
 protected:
  Form form_{L"frmLogonProperty", [](Form& f) {
               auto& list = f.add<ListView>(L"ListView1", 0);
               list.column_headers().add(L"Name", 2350), list.column_headers().add(L"Description");
             }};
  ListView& list_ = form_.get<ListView>(L"ListView1", 0);
  ListItems& items_ = list_.list_items();
};

TEST_F(ListViewTest, KeysAreUniqueAndExactAndFreedWithTheirRow) {
  items_.add(L"SALES\\jdoe", L"SALES\\jdoe");
  EXPECT_EQ(raised([&] { items_.add(L"SALES\\jdoe", L"again"); }), L"35602 Key is not unique in collection");
  items_.add(L"sales\\jdoe", L"sales\\jdoe").set_selected(true);
  items_.add(L"", L"no key");
  EXPECT_EQ(error_number([&] { items_.item(L"PC042\\Guests"); }), 35601);
  items_.remove(L"sales\\jdoe");
  EXPECT_EQ(list_.selected_item(), nullptr);
  items_.add(L"sales\\jdoe", L"back again");
  EXPECT_EQ(row_texts(list_), (Texts{L"SALES\\jdoe", L"no key", L"back again"}));
  EXPECT_EQ(error_number([&] { items_.remove(5); }), 35600);
  EXPECT_EQ(error_number([&] { items_.item(1).set_sub_item(2, L"no third column"); }), 380);
}

TEST_F(ListViewTest, SortsByColumnWithoutCaseKeepingEqualRowsInOrder) {
  for (const auto& [name, description] : std::vector<std::pair<const wchar_t*, const wchar_t*>>{
           {L"bravo", L"Zulu"}, {L"Alpha", L"yankee"}, {L"charlie", L"X-ray"}, {L"alpha", L"whiskey"}}) {
    items_.add(name, name).set_sub_item(1, description);
  }
  list_.set_sorted(true);
  EXPECT_EQ(row_texts(list_), (Texts{L"Alpha", L"alpha", L"bravo", L"charlie"}));
  list_.set_sort_order(list_view_style::kDescending);
  EXPECT_EQ(row_texts(list_), (Texts{L"charlie", L"bravo", L"Alpha", L"alpha"}));
  list_.set_sort_order(list_view_style::kAscending);
  list_.set_sort_key(1);
  EXPECT_EQ(row_texts(list_, 1), (Texts{L"whiskey", L"X-ray", L"yankee", L"Zulu"}));

  // New rows and changed sort texts take their sorted place; other texts do not move a row.
  items_.add(L"delta", L"delta").set_sub_item(1, L"A");
  EXPECT_EQ(items_.item(L"delta").index(), 1);
  items_.item(L"bravo").set_text(L"renamed");
  EXPECT_EQ(items_.item(L"bravo").index(), 5);
  EXPECT_EQ(error_number([&] { list_.set_sort_order(2); }), 380);
}

}  // namespace
}  // namespace pendrel::forms
