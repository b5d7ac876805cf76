#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "forms/check_box.h"
#include "forms/combo_box.h"
#include "forms/command_button.h"
#include "forms/form.h"
#include "forms/frame.h"
#include "forms/geometry.h"
#include "forms/image.h"
#include "forms/label.h"
#include "forms/list_view.h"
#include "forms/tab_strip.h"
#include "forms/text_box.h"
#include "forms/text_rules.h"
#include "forms/tree_view.h"
#include "forms/user_interface.h"
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

using Lines = std::vector<std::wstring>;

TEST(CheckBox, ClickRunsOnEveryChangeOfValueAndADisabledFrameTakesOnlyUserInput) {
  Lines clicks;
  Form form(L"frmComputerDetails", [&](Form& f) {
    auto& logons = f.add_to<CheckBox>(f.add<Frame>(L"fraContainer", 4), L"chkLogonsPermitted");
    // As the details window's handlers do: a cancelled change is undone by the handler itself.
    logons.on_click = [&clicks, &logons] {
      clicks.push_back(L"Click " + std::to_wstring(logons.value()));
      if (logons.value() == 0) logons.set_value(1);
    };
  });
  auto& logons = form.get<CheckBox>(L"chkLogonsPermitted");
  logons.set_value(1);
  logons.set_value(1);
  logons.user_set_value(0);
  EXPECT_EQ(clicks, (Lines{L"Click 1", L"Click 0", L"Click 1"}));
  EXPECT_EQ(error_number([&] { logons.set_value(3); }), 380);
  EXPECT_EQ(logons.value(), 1);

  form.get<Frame>(L"fraContainer", 4).set_enabled(false);
  EXPECT_TRUE(logons.enabled());
  EXPECT_FALSE(logons.effectively_enabled());
  clicks.clear();
  logons.user_click();
  EXPECT_EQ(logons.value(), 1);
  EXPECT_TRUE(clicks.empty());
  logons.set_value(2);  // code still reaches it
  EXPECT_EQ(clicks, Lines{L"Click 2"});
}

TEST(TextBox, MaxLengthLimitsOnlyTypingAndALineBreakIsTwoCharacters) {
  Lines changes;
  Form form(L"frmUnavailable", [&](Form& f) {
    auto& box = f.add<TextBox>(L"txtData", 1);
    box.set_multi_line(true);
    box.set_max_length(4);
    box.on_key_press = [](int& key) {
      if (key == '-') key = 0;
    };
    box.on_change = [&changes, &box] { changes.push_back(box.text()); };
  });
  auto& box = form.get<TextBox>(L"txtData", 1);
  box.set_text(L"ab");
  EXPECT_FALSE(box.user_typed(L'-'));
  EXPECT_TRUE(box.user_typed(L'c'));
  EXPECT_FALSE(box.user_typed(L'\r'));
  EXPECT_TRUE(box.user_typed(L'\b'));
  EXPECT_TRUE(box.user_typed(L'\r'));
  EXPECT_FALSE(box.user_typed(L'x'));
  EXPECT_TRUE(box.user_typed(L'\b'));
  EXPECT_EQ(changes, (Lines{L"ab", L"abc", L"ab", L"ab\r\n", L"ab"}));
  box.set_text(L"longer than the limit");
  EXPECT_EQ(box.text(), L"longer than the limit");
}

TEST(ComboBoxAndTabStrip, SelectionRaisesClickWhenItChangesAndBadPositionsRaise) {
  int combo_clicks = 0, tab_clicks = 0;
  Form form(L"frmComputerDetails", [&](Form& f) {
    f.add<ComboBox>(L"cmbTypes").on_click = [&] { ++combo_clicks; };
    auto& tabs = f.add<TabStrip>(L"TabStrip1");
    for (const wchar_t* caption : {L"&System", L"&Applications", L"&Work Groups"}) tabs.add_tab(caption);
    tabs.on_click = [&] { ++tab_clicks; };
  });
  auto& types = form.get<ComboBox>(L"cmbTypes");
  auto& tabs = form.get<TabStrip>(L"TabStrip1");

  types.add_item(L"Workstation");
  types.add_item(L"Server");
  types.add_item(L"Primary Domain Controller", 0);
  types.set_list_index(0);
  types.set_list_index(0);
  EXPECT_EQ(types.text(), L"Primary Domain Controller");
  types.user_select(2);
  EXPECT_EQ(types.text(), L"Server");
  EXPECT_EQ(error_number([&] { types.set_list_index(3); }), 380);
  types.clear();
  EXPECT_EQ(types.text(), L"");
  EXPECT_EQ(combo_clicks, 2);

  EXPECT_EQ(tabs.selected_index(), 1);
  tabs.select(1);
  tabs.user_select(3);
  EXPECT_EQ(tab_clicks, 1);
  EXPECT_EQ(error_number([&] { tabs.select(4); }), 35600);
  EXPECT_EQ(error_number([&] { tabs.select(0); }), 35600);
  EXPECT_EQ(tabs.tab_for_access_key(L'w'), 3);
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
  ListViewTest() { trace_->clear(); }
  std::shared_ptr<Trace> trace_ = std::make_shared<Trace>();
  Form form_{L"frmLogonProperty", [](Form& f) {
               auto& list = f.add<ListView>(L"ListView1", 0);
               list.column_headers().add(L"Name", 2350);
               list.column_headers().add(L"Description");
             }};
  ListView& list_ = [this]() -> ListView& {
    fakes::record_peer(form_, trace_);
    return form_.get<ListView>(L"ListView1", 0);
  }();
  ListItems& items_ = list_.list_items();
};

TEST_F(ListViewTest, KeysAreUniqueAndExactAndFreedWithTheirRow) {
  items_.add(L"SALES\\jdoe", L"SALES\\jdoe");
  EXPECT_EQ(raised([&] { items_.add(L"SALES\\jdoe", L"again"); }), L"35602 Key is not unique in collection");
  items_.add(L"sales\\jdoe", L"sales\\jdoe").set_selected(true);
  items_.add(L"", L"no key");
  items_.add(L"", L"no key either");
  EXPECT_EQ(error_number([&] { items_.item(L"PC042\\Guests"); }), 35601);
  items_.remove(L"sales\\jdoe");
  EXPECT_EQ(list_.selected_item(), nullptr);
  items_.add(L"sales\\jdoe", L"back again");
  EXPECT_EQ(row_texts(list_), (Texts{L"SALES\\jdoe", L"no key", L"no key either", L"back again"}));
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
  list_.set_sorted(false);
  items_.add(L"echo", L"echo", 0, 0, 1);
  EXPECT_EQ(items_.item(1).key(), L"echo");
  EXPECT_EQ(error_number([&] { list_.set_sort_order(2); }), 380);
}

TEST_F(ListViewTest, ColumnClickHandsTheHeaderAndBulkLoadsNotifyOnce) {
  std::vector<int> clicked;
  list_.on_column_click = [&](ColumnHeader& header) { clicked.push_back(header.index()); };
  list_.user_column_click(2);
  EXPECT_EQ(clicked, std::vector<int>{2});

  items_.add(L"k1", L"one");
  {
    auto batch = list_.begin_update();
    items_.add(L"k2", L"two");
    { auto inner = list_.begin_update(); }
    items_.item(L"k1").set_icon(7);
    form_.refresh();  // a long load shows its progress
    items_.remove(1);
  }
  { auto empty = list_.begin_update(); }
  EXPECT_EQ(*trace_, (Trace{L"control ListView1(0) Items Added k1", L"control ListView1(0) Items Changed",
                            L"refresh", L"control ListView1(0) Items Changed"}));
}

using Keys = std::vector<std::wstring>;

Keys keys(const std::vector<Node*>& nodes) {
  Keys out;
  for (const Node* n : nodes) out.push_back(n->key());
  return out;
}

class TreeViewTest : public ::testing::Test {
 protected:
  std::shared_ptr<fakes::Trace> trace_ = std::make_shared<fakes::Trace>();
  Form form_{L"frmComputerDetails", [](Form& f) { f.add<TreeView>(L"tvwApps"); }};
  TreeView& tree_ = [this]() -> TreeView& {
    fakes::record_peer(form_, trace_);
    return form_.get<TreeView>(L"tvwApps");
  }();
  Nodes& nodes_ = tree_.nodes();
};

TEST_F(TreeViewTest, RelationshipsPlaceNodesAndRemovalTakesTheSubtree) {
  Node& root = nodes_.add(L"AppImage", L"AppImage");
  Node& b = nodes_.add(&root, Relationship::Child, L"b", L"B");
  nodes_.add(&b, Relationship::Previous, L"a", L"A");
  nodes_.add(&b, Relationship::Next, L"c", L"C");
  nodes_.add(&b, Relationship::Last, L"e", L"E");
  nodes_.add(&b, Relationship::First, L"first", L"First");
  nodes_.add(&b, Relationship::Child, L"b1", L"B1");
  nodes_.add(&root, Relationship::Next, L"Root2", L"Second root");
  EXPECT_EQ(keys(root.child_nodes()), (Keys{L"first", L"a", L"b", L"c", L"e"}));
  EXPECT_EQ(keys(tree_.top_nodes()), (Keys{L"AppImage", L"Root2"}));
  EXPECT_EQ(b.child()->root(), &root);
  EXPECT_EQ(nodes_.item(L"first").index(), 6) << "Nodes(i) counts in the order of addition";
  EXPECT_EQ(error_number([&] { nodes_.add(&root, Relationship::Child, L"b", L"again"); }), 35602);
  EXPECT_EQ(root.children(), 5);

  b.child()->set_selected(true);
  nodes_.remove(L"b");
  EXPECT_EQ(tree_.selected_item(), nullptr);
  EXPECT_EQ(nodes_.count(), 6);
  nodes_.add(&root, Relationship::Child, L"b1", L"B1 again");
  EXPECT_EQ(keys(root.child_nodes()), (Keys{L"first", L"a", L"c", L"e", L"b1"}));
}

TEST_F(TreeViewTest, SortedNodesKeepTextOrderWithoutCase) {
  Node& root = nodes_.add(L"AppImage", L"AppImage");
  for (const wchar_t* name : {L"Zeta", L"beta"}) nodes_.add(&root, Relationship::Child, name, name);
  root.set_sorted(true);
  for (const wchar_t* name : {L"Office", L"alpha", L"office2"}) {
    nodes_.add(&nodes_.item(L"beta"), Relationship::First, name, name);
  }
  EXPECT_EQ(keys(root.child_nodes()), (Keys{L"alpha", L"beta", L"Office", L"office2", L"Zeta"}));
  nodes_.item(L"alpha").set_text(L"zz");
  EXPECT_EQ(root.child_nodes().back()->key(), L"alpha");

  nodes_.add(L"Root", L"Aardvark");
  tree_.set_sorted(true);
  EXPECT_EQ(keys(tree_.top_nodes()), (Keys{L"Root", L"AppImage"}));
}

TEST_F(TreeViewTest, ExpansionFromCodeIsSilentAndFromTheUserRaisesEvents) {
  std::vector<std::wstring> events;
  tree_.on_expand = [&](Node& n) { events.push_back(L"Expand " + n.key()); };
  tree_.on_collapse = [&](Node& n) { events.push_back(L"Collapse " + n.key()); };
  tree_.on_node_click = [&](Node& n) { events.push_back(L"NodeClick " + n.key()); };
  Node& root = nodes_.add(L"R", L"R");
  Node& folder = nodes_.add(&root, Relationship::Child, L"A", L"A");
  Node& package = nodes_.add(&folder, Relationship::Child, L"C", L"C");
  trace_->clear();
  package.ensure_visible();
  EXPECT_TRUE(root.expanded() && folder.expanded());
  EXPECT_FALSE(package.expanded());
  EXPECT_TRUE(events.empty());

  tree_.user_expand(folder, false);
  tree_.user_expand(folder, true);
  tree_.user_select(package);
  EXPECT_TRUE(package.selected());
  EXPECT_EQ(events, (std::vector<std::wstring>{L"Collapse A", L"Expand A", L"NodeClick C"}));
  EXPECT_EQ(*trace_, (fakes::Trace{L"control tvwApps Nodes Changed A", L"control tvwApps Nodes Changed R",
                                   L"control tvwApps Nodes EnsureVisible C", L"control tvwApps Nodes Changed A",
                                   L"control tvwApps Nodes Changed A", L"control tvwApps Nodes Changed C"}));
}

TEST(SmallRules, DefaultButtonsTwipsCaseFreeOrderAndAccessKeys) {
  using namespace msgbox_style;
  EXPECT_EQ(default_button(kInformation), msgbox_result::kOK);
  EXPECT_EQ(default_button(kQuestion + kYesNo + kDefaultButton2), msgbox_result::kNo);
  EXPECT_EQ(default_button(kYesNoCancel + kDefaultButton3), msgbox_result::kCancel);
  EXPECT_EQ(default_button(kAbortRetryIgnore + kDefaultButton2), msgbox_result::kRetry);
  EXPECT_EQ(default_button(kRetryCancel), msgbox_result::kRetry);

  EXPECT_EQ(twips_to_pixels(7845, 96), 523);
  EXPECT_EQ(twips_to_pixels(7, 96), 0);
  EXPECT_EQ(twips_to_pixels(8, 96), 1);
  EXPECT_EQ(twips_to_pixels(-60, 96), -4);
  EXPECT_EQ(twips_to_pixels(1440, 144), 144);
  EXPECT_FLOAT_EQ(pixels_to_twips(1, 120), 12);

  EXPECT_EQ(compare_text(L"alpha", L"ALPHA"), 0);
  EXPECT_GT(compare_text(L"\u00e9t\u00e9", L"\u00c9T"), 0);
  EXPECT_LT(compare_text(L"Office", L"office2"), 0);
  EXPECT_EQ(access_key(L"Lo&gon Alerts"), L'G');
  EXPECT_EQ(access_key(L"Fish && &chips"), L'C');
  EXPECT_EQ(access_key(L"Fish && Chips"), 0);
  EXPECT_EQ(access_key(L"trailing&"), 0);
}

}  // namespace
}  // namespace pendrel::forms
