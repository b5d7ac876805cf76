#include "apps/applications.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "apps/app_tree.h"
#include "details_fakes.h"
#include "forms/label.h"

namespace pendrel::apps {
namespace {

using Lines = std::vector<std::wstring>;
constexpr char kPackages[] = "QM\\LastRun\\APPIMAGE";

// Every node in the order shown: "key|text|tag|image", children indented.
void shown(const forms::Node& node, int depth, Lines& lines) {
  lines.push_back(std::wstring(depth * 2, L' ') + node.key() + L"|" + node.text() + L"|" + node.tag() + L"|" +
                  std::to_wstring(node.image()));
  for (const forms::Node* child : node.child_nodes()) shown(*child, depth + 1, lines);
}
Lines shown(const forms::TreeView& tree) {
  Lines lines;
  for (const forms::Node* node : tree.top_nodes()) shown(*node, 0, lines);
  return lines;
}

TEST(AppTree, OpenToFolderAddsOnlyWhatIsMissingSortedAndNeverRetags) {
  fakes::DetailsTestBed bed;
  details::FrmComputerDetails window(bed.env);
  forms::TreeView& tree = window.form().get<forms::TreeView>(L"tvwApps");
  EXPECT_FALSE(OpenToFolder(tree, L"A\\B\\C"));
  EXPECT_EQ(tree.selected_item()->key(), L"AppImage\\A\\B\\C");
  for (const wchar_t* path : {L"A\\D*", L"A\\B\\C", L"", L"Zip", L"A\\Apple\\Mail"}) OpenToFolder(tree, path);
  EXPECT_EQ(shown(tree), (Lines{L"AppImage|AppImage|Folder|2",
                                L"  AppImage\\A|A|Folder|2",
                                L"    AppImage\\A\\Apple|Apple|Folder|2",
                                L"      AppImage\\A\\Apple\\Mail|Mail|Apps|3",
                                L"    AppImage\\A\\B|B|Folder|2",
                                L"      AppImage\\A\\B\\C|C|Apps|3",
                                L"    AppImage\\A\\D*|D*|Apps|4",
                                L"  AppImage\\Zip|Zip|Apps|3"}));
  // A path through a package cannot be added below it: the package keeps its tag.
  OpenToFolder(tree, L"Zip\\Inner");
  EXPECT_EQ(tree.nodes().item(L"AppImage\\Zip").tag(), L"Apps");
  EXPECT_EQ(tree.nodes().item(L"AppImage\\Zip\\Inner").tag(), L"Apps");

  forms::Node& folder = tree.nodes().item(L"AppImage\\A");
  tvwApps_Collapse(folder);
  EXPECT_EQ(folder.image(), 1);
  tvwApps_Expand(folder);
  EXPECT_EQ(folder.image(), 2);
  forms::Node& package = tree.nodes().item(L"AppImage\\A\\D*");
  tvwApps_Collapse(package);
  EXPECT_EQ(package.image(), 4);
}

// PC042 of SALES seen from the console CONSOLE1, its registry in memory.
class ApplicationsTest : public ::testing::Test {
 protected:
  ApplicationsTest() {
    bed.computer->on(L"Name").get([this](auto) { return name; });
    bed.computer->on(L"Domain").get(L"SALES");
    bed.computer->property(L"Reachable", true);
    bed.domain_object->on(L"ThisComputerName").get([this](auto) { return console; });
    bed.domain_object->on(L"ThisDomainName").get(L"SALES");
    bed.domain_object->on(L"RemNull").call([](std::span<Argument> args) {
      std::wstring text = args[0].value.to_text();
      std::erase(text, L'\0');
      return text;
    });
    window.set_DomainObject(bed.domain_object);
    window.set_Computer(bed.computer);
    window.form().load();
    window.LoadedOnce = true;  // shown without the staged load
    window.form().show(0);
    tree().nodes().add(L"Root", kUnloadedText);
    reg.key("SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion")["SystemRoot"] = {kRegSz, {"C:\\WINNT\0", 9}};
    reg.key("SOFTWARE\\Quillmark\\Local_Machine_Settings")["Home"] = {kRegSz, {"QM\\\0", 4}};
    bed.log->clear();
  }
  forms::TreeView& tree() { return window.form().get<forms::TreeView>(L"tvwApps"); }
  void package(const std::string& path, const Data& name, bool marked = false) {
    auto& values = reg.key(std::string(kPackages) + "\\" + path);
    values["Name"] = {kRegSz, name + '\0'};
    if (marked) values["Re-Install"] = {kRegDword, {"\1\0\0\0", 4}};
  }
  void double_click() { tree().user_dbl_click(); }

  struct Bed : fakes::DetailsTestBed {
    Bed() {
      env.peer_factory = [log = log](forms::Form& form) { return std::make_unique<fakes::CaptionPeer>(form, log); };
    }
  } bed;
  FakeRegistry& reg = bed.registry;
  details::FrmComputerDetails window{bed.env};
  std::wstring name = L"PC042", console = L"CONSOLE1";
};

TEST_F(ApplicationsTest, TheLoadMountsTheHiveOnceThroughTheAdministrativeShare) {
  reg.files["\\\\PC042\\C$\\WINNT\\SYSTEM32\\system.dbx"] = 0x27;
  double_click();
  EXPECT_EQ(fakes::starting_with(bed.log->trace(), {L"let Caption"}),
            (Lines{L"let Caption = \"SALES\\PC042 -> Getting Packages ...\"",
                   L"let Caption = \"SALES\\PC042 -> Loading QM Details ...\"", L"let Caption = \"SALES\\PC042\""}));
  EXPECT_EQ(bed.ui.pointers(), (std::vector<int>{11, 0}));
  EXPECT_EQ(reg.attribute_changes, (std::vector<std::string>{"\\\\PC042\\C$\\WINNT\\SYSTEM32\\system.dbx 0"}));
  EXPECT_EQ(bed.tavisk.calls, (Lines{L"NetRegLoadKey PC042 -2147483646 QM C:\\WINNT\\SYSTEM32\\system.dbx"}));
  EXPECT_TRUE(window.QMHiveLoaded);
  EXPECT_EQ(window.QMHome, L"QM\\");
  EXPECT_EQ(tree().nodes().count(), 0);
  EXPECT_TRUE(reg.open.empty());

  // This machine: no connection, the hive by its own path; no hive file, no mount.
  console = L"PC042";
  window.QMHiveLoaded = true;
  tree().nodes().add(L"Root", kUnloadedText);
  reg.log.clear();
  double_click();
  EXPECT_EQ(reg.log, (std::vector<std::string>{"1024", "1024"}));  // SystemRoot, Home
  EXPECT_FALSE(window.QMHiveLoaded);
  EXPECT_EQ(bed.tavisk.calls.size(), 1u);
}

TEST_F(ApplicationsTest, PackagesFillTheTreeAndShowTheirDetails) {
  package("Office\\MachInst\\Word97", "Word Processor");
  reg.key(std::string(kPackages) + "\\Office\\MachInst\\Word97")["AppVersion"] = {kRegSz, {"8.0\0", 4}};
  reg.key(std::string(kPackages) + "\\Office\\MachInst\\Word97")["Date"] = {kRegSz, {"1998-01-02\0", 11}};
  package("Office\\MachInst\\NT4\\Viewer", "Viewer", true);
  package("Tools\\MachInst\\Zip", "Zip Utility", true);
  reg.key(std::string(kPackages) + "\\Tools\\Readme");
  double_click();
  EXPECT_TRUE(bed.tavisk.calls.empty());
  EXPECT_FALSE(window.QMHiveLoaded);
  EXPECT_EQ(shown(tree()), (Lines{L"AppImage|AppImage|Folder|2",
                                  L"  AppImage\\Office|Office|Folder|2",
                                  L"    AppImage\\Office\\MachInst|MachInst|Folder|2",
                                  L"      AppImage\\Office\\MachInst\\NT4|NT4|Folder|2",
                                  L"        AppImage\\Office\\MachInst\\NT4\\Viewer*|Viewer*|Apps|4",
                                  L"      AppImage\\Office\\MachInst\\Word97|Word97|Apps|3",
                                  L"  AppImage\\Tools|Tools|Folder|2",
                                  L"    AppImage\\Tools\\MachInst|MachInst|Folder|2",
                                  L"      AppImage\\Tools\\MachInst\\Zip*|Zip*|Apps|4"}));
  EXPECT_TRUE(reg.open.empty());

  const auto details_of = [&](const wchar_t* key) {
    tree().nodes().item(key).set_selected(true);
    double_click();
  };
  details_of(L"AppImage\\Office\\MachInst\\Word97");
  details_of(L"AppImage\\Tools\\MachInst\\Zip*");
  details_of(L"AppImage\\Tools");
  window.QMHome.clear();
  reg.keys.erase(std::string(kPackages) + "\\Tools\\MachInst\\Zip");
  details_of(L"AppImage\\Tools\\MachInst\\Zip*");
  EXPECT_EQ(bed.ui.prompts(),
            (std::vector<fakes::Prompt>{
                fakes::message(L"Package:\t\tWord Processor (v. 8.0)\r\n\r\nInstall Date:\t\r\nPackage Date:\t1998-01-02"
                               L"\r\nBy File:\t\tAppImage\\Office\\MachInst\\Word97",
                               64, L"Application/Package Details"),
                fakes::message(L"Package:\t\tZip Utility\r\n\r\nInstall Date:\t\r\nPackage Date:\t"
                               L"\r\nBy File:\t\tAppImage\\Tools\\MachInst\\Zip",
                               64, L"Application/Package Details (Marked for Re-Install)")}));
  EXPECT_EQ(window.QMHome, L"QM\\");
  EXPECT_TRUE(reg.open.empty());
}

TEST_F(ApplicationsTest, UnreachableOrUnconnectedComputersLoadNothing) {
  bed.computer->property(L"Reachable", false);
  double_click();
  window.form().get<forms::Label>(L"Label1", 5).user_click();
  EXPECT_EQ(tree().nodes().item(1).text(), kUnloadedText);

  bed.computer->property(L"Reachable", true);
  name = L"GONE";
  window.form().get<forms::Label>(L"Label1", 5).user_click();
  EXPECT_EQ(tree().nodes().count(), 0);
  EXPECT_EQ(fakes::starting_with(bed.log->trace(), {L"let Caption"}).back(), L"let Caption = \"SALES\\GONE\"");
  EXPECT_EQ(bed.ui.pointers(), (std::vector<int>{11, 0}));
  double_click();  // a loaded tree without a selection
  EXPECT_TRUE(bed.ui.prompts().empty());
}

}  // namespace
}  // namespace pendrel::apps
