#include "details/frm_computer_details.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "forms/captioned_control.h"
#include "forms/command_button.h"
#include "forms/frame.h"
#include "forms/host_control.h"
#include "forms/image.h"
#include "forms/image_list.h"
#include "forms/label.h"
#include "forms/list_view.h"
#include "forms/tab_strip.h"
#include "forms/tree_view.h"
#include "window_test_support.h"

namespace pendrel {
namespace {

using forms::Bounds;
using forms::Frame;
using forms::ListView;

class DetailsTest : public ::testing::Test {
 protected:
  fakes::WindowTestBed bed;
  details::FrmComputerDetails window{bed.env};
  forms::Form& form = window.form();
};

// Frame -1 is the form; bounds are checked where the design fixes them.
struct Designed {
  const wchar_t* name;
  int index;
  int frame;
  const wchar_t* caption;
  const wchar_t* tip;
  std::optional<Bounds> bounds;
};

constexpr wchar_t kActive[] = L"Is this an active computer in the Corvix database?";

const Designed kDesign[] = {
    {L"TabStrip1", -1, -1, L"", L"", Bounds{60, 60, 7695, 3255}},
    {L"Image1", 0, -1, L"", L"This system currently On-Line!", Bounds{60, 3360, 480, 480}},
    {L"Image1", 1, -1, L"", L"This system currently Off-Line!", Bounds{60, 3360, 480, 480}},
    {L"chkActive", 1, -1, L"&On-Line!", kActive, Bounds{720, 3540, 1035, 255}},
    {L"chkActive", 0, -1, L"&Active", kActive, Bounds{2280, 3540, 1035, 255}},
    {L"Command1", 0, -1, L"&OK", L"", Bounds{6480, 3420, 1275, 435}},
    // The system frame: each caption (Label1) with the value(s) beside it (Label2).
    {L"Label1", 8, 0, L"&Current Time:", L"", {}}, {L"Label2", 7, 0, L"", L"Current time on the local computer", {}},
    {L"Label1", 0, 0, L"&Remote Time:", L"Click to get the Time Zone and mode", {}},
    {L"Label2", 0, 0, L"", L"Current time on the remote computer", {}},
    {L"Label1", 1, 0, L"&Description:", L"", {}},
    {L"Label2", 1, 0, L"", L"Browsable description of the remote computer", {}},
    {L"Label1", 2, 0, L"&OS", L"", {}},
    {L"Label2", 2, 0, L"", L"The remote computer's Operating System and Version", {}},
    {L"Label1", 7, 0, L"&IP", L"The remote computer's IP Information", {}}, {L"Label2", 5, 0, L"IP Address", L"", {}},
    {L"Label2", 6, 0, L"Full Name", L"", {}}, {L"Label2", 9, 0, L"MAC Address", L"", {}},
    {L"Label1", 3, 0, L"&Type", L"", {}}, {L"cmbTypes", -1, 0, L"", L"The remote computer's NT attributes", {}},
    {L"Label1", 4, 0, L"&Version", L"The remote computer's Make and Model.  Click to Load.", {}},
    {L"Label2", 3, 0, L"", L"The remote computer's Make and Model", {}},
    {L"Label1", 10, 0, L"&DT", L"", {}},
    {L"Label2", 4, 0, L"", L"Date/Time when the Daylight Savings Time takes effect", {}},
    {L"Label1", 11, 0, L"&ST", L"", {}}, {L"Label2", 8, 0, L"", L"Date/Time when the Standard Time takes effect", {}},
    {L"Label1", 5, 1, L"&Applications",
     L"The Applications installed on the remote computer.  Click to Load.", {}},
    {L"tvwApps", -1, 1, L"", L"", Bounds{120, 360, 7215, 2295}},
    {L"Label1", 6, 2, L"&Work Groups", L"The remote computer's Group Memberships.  Click to Load.", {}},
    {L"ListView1", 1, 2, L"", L"", Bounds{60, 420, 7335, 2295}},
    {L"ListView1", 2, 3, L"", L"", Bounds{60, 150, 7335, 2565}},
    {L"Command1", 1, 4, L"&Ping", L"", Bounds{120, 240, 1095, 375}},
    {L"PingResults", -1, 4, L"", L"", Bounds{1260, 240, 4515, 1215}},
    {L"chkLogonsPermitted", -1, 4, L"&Logons Permitted", L"", Bounds{120, 1560, 1575, 255}},
    {L"Command1", 2, 4, L"&Wake Up", L"", Bounds{120, 1860, 1095, 375}},
    {L"Command1", 3, 4, L"Lo&gon Alerts", L"", Bounds{120, 2280, 1095, 375}},
};

TEST_F(DetailsTest, LoadGivesEveryDesignedControlItsPlaceAndBindsTheImageList) {
  window.LoadedOnce = true;
  form.load();
  EXPECT_FALSE(window.LoadedOnce);
  for (const Designed& d : kDesign) {
    SCOPED_TRACE(std::wstring(d.name) + L"(" + std::to_wstring(d.index) + L")");
    forms::Control* control = form.find(d.name, d.index);
    ASSERT_NE(control, nullptr);
    const forms::Frame* frame = control->container();
    EXPECT_EQ(frame ? frame->name() + L"(" + std::to_wstring(frame->index()) + L")" : L"",
              d.frame < 0 ? L"" : L"fraContainer(" + std::to_wstring(d.frame) + L")");
    const auto* captioned = dynamic_cast<const forms::CaptionedControl*>(control);
    EXPECT_EQ(captioned ? captioned->caption() : L"", d.caption);
    EXPECT_EQ(control->tool_tip_text(), d.tip);
    if (d.bounds) {
      EXPECT_EQ(control->bounds(), *d.bounds);
    }
  }
  // Frames, the image list and the ping control besides: nothing more.
  EXPECT_EQ(form.controls().size(), std::size(kDesign) + 7);
  EXPECT_EQ(form.upper_bound(L"fraContainer"), 4);
  EXPECT_EQ(form.caption(), L"Form1");
  EXPECT_EQ(form.client_width(), 7845);
  EXPECT_EQ(form.client_height(), 3915);
  EXPECT_EQ(form.border_style(), forms::border_style::kFixedDialog);

  auto& tabs = form.get<forms::TabStrip>(L"TabStrip1");
  ASSERT_EQ(tabs.tab_count(), 5);
  const wchar_t* tab_captions[] = {L"&System", L"&Applications", L"&Work Groups", L"&Users", L"&Status"};
  for (int t = 1; t <= 5; ++t) EXPECT_EQ(tabs.tab(t).caption, tab_captions[t - 1]);
  for (int index : {1, 2}) {
    const auto& columns = form.get<ListView>(L"ListView1", index).column_headers();
    ASSERT_EQ(columns.count(), 3);
    EXPECT_EQ(columns.item(1).text() + L"," + columns.item(2).text() + L"," + columns.item(3).text(),
              L"Type,Name,Description");
  }
  EXPECT_TRUE(form.get<forms::CommandButton>(L"Command1", 0).is_default());
  EXPECT_TRUE(form.get<forms::CommandButton>(L"Command1", 0).cancel());
  for (int index : {0, 4, 5, 6, 1}) {
    const int pointer = form.get<forms::Label>(L"Label1", index).mouse_pointer();
    const bool custom = pointer == forms::mouse_pointer::kCustom;
    EXPECT_EQ(custom, index != 1) << index;
  }
  EXPECT_EQ(form.get<forms::HostControl>(L"Ping1").class_name(), L"Ping");
  // The on-line picture lies in front of the off-line one.
  EXPECT_LT(form.find(L"Image1", 0)->z_position(), form.find(L"Image1", 1)->z_position());

  for (int index = 0; index <= 4; ++index) {
    EXPECT_EQ(form.get<Frame>(L"fraContainer", index).bounds(), (Bounds{180, 420, 7455, 2775})) << index;
  }
  auto* images = &form.get<forms::ImageList>(L"ImageList1", 2);
  EXPECT_GE(images->count(), 12);
  for (int index : {1, 2}) {
    EXPECT_TRUE(form.get<ListView>(L"ListView1", index).icons() == images &&
                form.get<ListView>(L"ListView1", index).small_icons() == images) << index;
  }
  EXPECT_EQ(form.get<forms::TreeView>(L"tvwApps").image_list(), images);

  // A tab brings its own frame to the front.
  form.get<forms::TabStrip>(L"TabStrip1").select(4);
  EXPECT_EQ(form.get<Frame>(L"fraContainer", 3).z_position(), 0);
  form.get<forms::TabStrip>(L"TabStrip1").select(1);
  EXPECT_EQ(form.get<Frame>(L"fraContainer", 0).z_position(), 0);
}

TEST_F(DetailsTest, ComputerSetNamesTheWindow) {
  bed.computer->on(L"Name").get(L"PC042");
  window.set_Computer(bed.computer);
  EXPECT_EQ(form.caption(), L"PC042 ...");
  EXPECT_EQ(window.ComputerName, L"PC042");
  EXPECT_EQ(bed.log->trace(), (std::vector<std::wstring>{L"get Computer.Name"}));

  window.set_Computer(nullptr);
  EXPECT_EQ(form.caption(), L"No Computer was given!");
  EXPECT_EQ(window.ComputerName, L"PC042");
  EXPECT_EQ(bed.log->calls().size(), 1u);
}

}  // namespace
}  // namespace pendrel
