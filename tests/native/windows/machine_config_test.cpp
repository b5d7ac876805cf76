#include <gtest/gtest.h>

#include "details/frm_computer_details.h"
#include "details_fakes.h"
#include "forms/label.h"
#include "forms/list_view.h"

namespace pendrel {
namespace {

using Lines = std::vector<std::wstring>;
constexpr char kEnvironment[] = "SYSTEM\\CurrentCOntrolSet\\Control\\Session Manager\\Environment";
constexpr wchar_t kLogical[] = L"|QM Logical Computer Group||6,6";

// Writes each caption the window shows into the call log, between the host calls.
struct CaptionPeer : fakes::RecordingPeer {
  CaptionPeer(forms::Form& f, std::shared_ptr<fakes::CallLog> l)
      : RecordingPeer(std::make_shared<fakes::Trace>(), nullptr, L""), form(f), log(std::move(l)) {}
  void form_changed(forms::Property p) override {
    if (p == forms::Property::Caption) log->add({L"", L"Caption", InvokeKind::PropertyPut, {Variant(form.caption())}});
  }
  forms::Form& form;
  std::shared_ptr<fakes::CallLog> log;
};
struct CaptionBed : fakes::DetailsTestBed {
  CaptionBed() { env.peer_factory = [this](forms::Form& f) { return std::make_unique<CaptionPeer>(f, log); }; }
};

// PC042 of SALES seen from CONSOLE1, with two global groups and one local group; its product
// hive is mounted, its configuration files in C:\QM\Cfg describe an Intel machine in the
// logical groups Lab and Office.
struct MachineConfigTest : ::testing::Test {
  MachineConfigTest() {
    bed.computer->on(L"Name").get([this](auto) { return name; });
    bed.computer->on(L"Domain").get(L"SALES"), bed.computer->on(L"GetGroups").call([](auto) {});
    bed.domain_object->on(L"ThisComputerName").get(L"CONSOLE1");
    std::map<std::wstring, std::vector<std::pair<std::wstring, Variant>>> groups;
    for (const auto& [member, group, description] : {std::tuple{L"GlobalGroups", L"Admins", L""},
         {L"GlobalGroups", L"Staff", L"All staff"}, {L"LocalGroups", L"Admins", L"Local admins"}}) {
      auto item = bed.computer->sibling(std::wstring(member) + L"." + group);
      item->on(L"GetDescription").call(description), item->on(L"Name").get(group);
      groups[member].emplace_back(group, Variant(DispatchPtr(item)));
    }
    for (auto& [member, items] : groups) {
      auto collection = bed.computer->sibling(member);
      collection->items(items), bed.computer->on(member).get(Variant(DispatchPtr(collection)));
    }
    registry.key("QM"), registry.key(kEnvironment)["MachinesCfg_Path"] = {apps::kRegSz, {"C:\\QM\\Cfg\0", 10}};
    registry.ini_keys = {{"PC042/Hardware.cfg", "P3"}, {"P3/CPUMAKE", "Intel"}, {"P3/CPUMODEL", "Pentium"},
                         {"P3/CPUSERIES", "III"}, {"P3/NIC", "3C905"}, {"P3/VideoDriver", "ati"},
                         {"PC042/MachineGroups", "Lab,,Office"}};
    window.set_DomainObject(bed.domain_object), window.set_Computer(bed.computer), form.load();
    list().add(L"stale", L"stale"), label().set_caption(L"old"), bed.log->clear();
  }
  forms::ListItems& list() { return form.get<forms::ListView>(L"ListView1", 1).list_items(); }
  forms::Label& label() { return form.get<forms::Label>(L"Label2", 3); }
  // Every row as "key|type|name|description|tag|icon,small icon".
  Lines rows() {
    Lines lines;
    for (int i = 1; i <= list().count(); ++i) {
      const forms::ListItem& r = list().item(i);
      lines.push_back(r.key() + L"|" + r.text() + L"|" + r.sub_item(1) + L"|" + r.sub_item(2) + L"|" + r.tag() + L"|" +
                      std::to_wstring(r.icon()) + L"," + std::to_wstring(r.small_icon()));
    }
    return lines;
  }

  CaptionBed bed;
  apps::FakeRegistry& registry = bed.registry;
  details::FrmComputerDetails window{bed.env};
  forms::Form& form = window.form();
  std::wstring name = L"PC042";
};

TEST_F(MachineConfigTest, HostCallsCaptionsFilesAndRowsInOrder) {
  window.Label1_Click(6);
  EXPECT_EQ(bed.log->trace(), (Lines{L"get Computer.Domain", L"get Computer.Name",
      L"let Caption = \"SALES\\PC042 -> Getting Domain Groups ...\"", L"call Computer.GetGroups",
      L"get Computer.GlobalGroups", L"get GlobalGroups.Count", L"get GlobalGroups.Item(1)",
      L"call GlobalGroups.Admins.GetDescription", L"get GlobalGroups.Admins.Name", L"get GlobalGroups.Item(2)",
      L"call GlobalGroups.Staff.GetDescription", L"get GlobalGroups.Staff.Name", L"get Computer.LocalGroups",
      L"get LocalGroups.Count", L"get LocalGroups.Item(1)", L"call LocalGroups.Admins.GetDescription",
      L"get LocalGroups.Admins.Name", L"get Computer.Domain", L"get Computer.Name",
      L"let Caption = \"SALES\\PC042 -> Getting Packages ...\"", L"get Computer.Name",
      L"get DomainObject.ThisComputerName", L"get Computer.Name", L"get Computer.Name", L"get Computer.Domain",
      L"get Computer.Name", L"let Caption = \"SALES\\PC042\""}));
  EXPECT_EQ(bed.ui.pointers(), (std::vector<int>{11, 0}));
  const std::string machines = "//1024/C:\\QM\\Cfg\\MACHINES.CFG", hardware = "//1024/C:\\QM\\Cfg\\HARDWARE.CFG";
  // The connection by the computer's Name, the folder read once per file step.
  EXPECT_EQ(registry.log, (std::vector<std::string>{"PC042 2147483650", "1024", "PC042/Hardware.cfg" + machines,
      "P3/CPUMAKE" + hardware, "P3/CPUMODEL" + hardware, "P3/CPUSERIES" + hardware, "P3/NIC" + hardware,
      "P3/VideoDriver" + hardware, "1024", "PC042/MachineGroups" + machines}));
  EXPECT_EQ(label().caption(), L"Intel Pentium III (NIC=3C905,Video=ati)");
  // A domain and a local group of one name share the local group's row.
  EXPECT_EQ(rows(), (Lines{L"Admins|Local|Admins|Local admins||8,8", L"Staff|Global|Staff|All staff||5,5",
                           L"Lab|Vyx|Lab" + std::wstring(kLogical), L"Office|Vyx|Office" + std::wstring(kLogical)}));
  EXPECT_TRUE(window.QMHome == L"QM\\" && registry.open.empty());
}

TEST_F(MachineConfigTest, WithoutAProfileTheLabelIsTwoSpacesAndGroupNamesKeepTheirSpaces) {
  registry.ini_keys["PC042/Hardware.cfg"] = "", registry.ini_keys["PC042/MachineGroups"] = "Lab, Office,Staff,";
  window.Label1_Click(4);
  EXPECT_EQ(label().caption(), L"  ");
  EXPECT_EQ(rows(), (Lines{L"Admins|Local|Admins|Local admins||8,8", L"Staff|Vyx|Staff" + std::wstring(kLogical),
                           L"Lab|Vyx|Lab" + std::wstring(kLogical), L" Office|Vyx| Office" + std::wstring(kLogical)}));
}

TEST_F(MachineConfigTest, WithoutRegistryHiveOrPathOnlyTheGroupsShow) {
  registry.key("SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion")["SystemRoot"] = {apps::kRegSz, "C:\\WINNT"};
  registry.files["\\\\PC042\\C$\\WINNT\\SYSTEM32\\system.dbx"] = 7;
  // machine, QM key, MachinesCfg_Path, label, hive mounted here, captions shown
  for (const auto& [machine, hive, path, text, loaded, captions] : {std::tuple{L"GONE", true, true, L"old", false, 3},
       {L"PC042", false, true, L"old", true, 4}, {L"PC042", true, false, L"", false, 3}}) {
    name = machine, window.QMHiveLoaded = false, label().set_caption(L"old"), bed.log->clear(), registry.log.clear();
    if (!hive) registry.keys.erase("QM");
    if (!path) registry.keys[kEnvironment].clear();
    window.Label1_Click(6);
    EXPECT_EQ(label().caption(), text);
    EXPECT_EQ(form.caption(), L"SALES\\" + std::wstring(machine));
    EXPECT_EQ(std::vector(bed.ui.pointers().end() - 2, bed.ui.pointers().end()), (std::vector<int>{11, 0}));
    EXPECT_EQ(fakes::starting_with(bed.log->trace(), {L"let Caption"}).size(), size_t(captions));
    EXPECT_TRUE(std::ranges::none_of(registry.log, [](auto& l) { return l.ends_with(".CFG"); }));
    EXPECT_TRUE(window.QMHiveLoaded == loaded && list().count() == 2);
    EXPECT_EQ(window.QMHome, path ? L"" : L"QM\\");
    registry.key("QM");
  }
  EXPECT_EQ(bed.tavisk.calls, Lines{L"NetRegLoadKey PC042 -2147483646 QM C:\\WINNT\\SYSTEM32\\system.dbx"});
}

TEST_F(MachineConfigTest, AFailingHostCallRaisesWithPointerAndCaptionBack) {
  bed.computer->on(L"LocalGroups").raise(Error::vb(vb_error::kObjectVariableNotSet));
  EXPECT_THROW(window.Label1_Click(4), Error);
  EXPECT_EQ(bed.ui.pointers(), (std::vector<int>{11, 0}));
  EXPECT_EQ(form.caption(), L"SALES\\PC042");
  EXPECT_EQ(rows(), (Lines{L"Admins|Global|Admins|N/A||5,5", L"Staff|Global|Staff|All staff||5,5"}));
}

}  // namespace
}  // namespace pendrel
