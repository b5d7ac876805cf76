// The applications tree and the machine configuration of the details window,
// and both loads with the outside world failing one call at a time: each host
// call, each registry, INI and file call, the hive mount. The window stays
// usable after each load: at most the one box of a failing host call, the
// pointer and caption back, no key left open, the tree out of its bulk load
// and holding only nodes a clean run holds. Then the registry access beneath.
#include "apps/applications.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "apps/app_tree.h"
#include "apps/registry_access.h"
#include "details/frm_computer_details.h"
#include "forms/label.h"
#include "forms/list_view.h"
#include "outside/computer.h"
#include "outside/domain_object.h"
#include "support/fakes.h"

namespace pendrel::apps {
namespace {

using fakes::FakeRegistry;
using Data = FakeRegistry::Data;

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

// The configuration files' answers for an Intel machine.
const std::map<std::string, std::string> kHardware = {{"PC042/Hardware.cfg", "P3"}, {"P3/CPUMAKE", "Intel"},
    {"P3/CPUMODEL", "Pentium"}, {"P3/CPUSERIES", "III"}, {"P3/NIC", "3C905"}, {"P3/VideoDriver", "ati"}};

// The groups member of `computer` answering each (name, description) pair.
void groups(fakes::FakeDispatch& computer, const wchar_t* member,
            std::initializer_list<std::pair<const wchar_t*, const wchar_t*>> entries) {
  std::vector<std::pair<std::wstring, Variant>> items;
  for (const auto& [name, description] : entries) {
    auto item = computer.sibling(std::wstring(member) + L"." + name);
    item->on(L"GetDescription").call(description), item->on(L"Name").get(name);
    items.emplace_back(name, Variant(DispatchPtr(item)));
  }
  auto collection = computer.sibling(member);
  collection->items(items), computer.on(member).get(Variant(DispatchPtr(collection)));
}

// PC042 of SALES seen from the console CONSOLE1, its registry in memory.
struct Pc042Test : ::testing::Test {
  Pc042Test() {
    bed.pc042();
    bed.computer->on(L"Name").get([this](auto) { return name; });
  }
  fakes::DetailsTestBed bed{true};
  FakeRegistry& reg = bed.registry;
  details::FrmComputerDetails window{bed.env};
  forms::Form& form = window.form();
  std::wstring name = L"PC042";
};

struct ApplicationsTest : Pc042Test {
  ApplicationsTest() {
    bed.computer->property(L"Reachable", true);
    window.set_DomainObject(bed.domain_object), window.set_Computer(bed.computer), form.load();
    window.LoadedOnce = true, form.show(0);  // shown without the staged load
    tree().nodes().add(L"Root", kUnloadedText);
    reg.key("SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion")["SystemRoot"] = {kRegSz, {"C:\\WINNT\0", 9}};
    reg.key("SOFTWARE\\Quillmark\\Local_Machine_Settings")["Home"] = {kRegSz, {"QM\\\0", 4}};
    bed.log->clear();
  }
  forms::TreeView& tree() { return form.get<forms::TreeView>(L"tvwApps"); }
  auto& package(const std::string& path, const Data& name, bool marked = false) {
    auto& values = reg.key(std::string(kPackages) + "\\" + path);
    values["Name"] = {kRegSz, name + '\0'};
    if (marked) values["Re-Install"] = {kRegDword, {"\1\0\0\0", 4}};
    return values;
  }
  void double_click() { tree().user_dbl_click(); }
};

TEST_F(ApplicationsTest, PackagesFillTheTreeAndShowTheirDetails) {
  auto& word = package("Office\\MachInst\\Word97", "Word Processor");
  word["AppVersion"] = {kRegSz, {"8.0\0", 4}}, word["Date"] = {kRegSz, {"1998-01-02\0", 11}};
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

constexpr char kEnvironment[] = "SYSTEM\\CurrentCOntrolSet\\Control\\Session Manager\\Environment";
constexpr wchar_t kLogical[] = L"|QM Logical Computer Group||6,6";

// With two global groups and one local group; the product hive is mounted, the configuration
// files in C:\QM\Cfg describe an Intel machine in the logical groups Lab and Office.
struct MachineConfigTest : Pc042Test {
  MachineConfigTest() {
    bed.computer->on(L"GetGroups").call([](auto) {});
    groups(*bed.computer, L"GlobalGroups", {{L"Admins", L""}, {L"Staff", L"All staff"}});
    groups(*bed.computer, L"LocalGroups", {{L"Admins", L"Local admins"}});
    reg.key("QM"), reg.key(kEnvironment)["MachinesCfg_Path"] = {kRegSz, {"C:\\QM\\Cfg\0", 10}};
    reg.ini_keys = kHardware, reg.ini_keys["PC042/MachineGroups"] = "Lab,,Office";
    window.set_DomainObject(bed.domain_object), window.set_Computer(bed.computer), form.load();
    list().add(L"stale", L"stale"), label().set_caption(L"old"), bed.log->clear();
  }
  forms::ListItems& list() { return form.get<forms::ListView>(L"ListView1", 1).list_items(); }
  forms::Label& label() { return form.get<forms::Label>(L"Label2", 3); }
  Lines rows() { return fakes::list_rows(list()); }
};

TEST_F(MachineConfigTest, HostCallsCaptionsFilesAndRowsInOrder) {
  window.Label1_Click(6);
  // The stages and the host methods in order; the rows below show what was read.
  EXPECT_EQ(fakes::starting_with(bed.log->trace(), {L"let Caption", L"call"}),
            (Lines{L"let Caption = \"SALES\\PC042 -> Getting Domain Groups ...\"", L"call Computer.GetGroups",
                   L"call GlobalGroups.Admins.GetDescription", L"call GlobalGroups.Staff.GetDescription",
                   L"call LocalGroups.Admins.GetDescription", L"let Caption = \"SALES\\PC042 -> Getting Packages ...\"",
                   L"let Caption = \"SALES\\PC042\""}));
  EXPECT_EQ(bed.ui.pointers(), (std::vector<int>{11, 0}));
  const std::string machines = "//1024/C:\\QM\\Cfg\\MACHINES.CFG", hardware = "//1024/C:\\QM\\Cfg\\HARDWARE.CFG";
  // The connection by the computer's Name, the folder read once per file step.
  EXPECT_EQ(reg.log, (std::vector<std::string>{"PC042 2147483650", "1024", "PC042/Hardware.cfg" + machines,
      "P3/CPUMAKE" + hardware, "P3/CPUMODEL" + hardware, "P3/CPUSERIES" + hardware, "P3/NIC" + hardware,
      "P3/VideoDriver" + hardware, "1024", "PC042/MachineGroups" + machines}));
  EXPECT_EQ(label().caption(), L"Intel Pentium III (NIC=3C905,Video=ati)");
  // A domain and a local group of one name share the local group's row.
  EXPECT_EQ(rows(), (Lines{L"Admins|Local|Admins|Local admins||8,8", L"Staff|Global|Staff|All staff||5,5",
                           L"Lab|Vyx|Lab" + std::wstring(kLogical), L"Office|Vyx|Office" + std::wstring(kLogical)}));
  EXPECT_TRUE(window.QMHome == L"QM\\" && reg.open.empty());
}

TEST_F(MachineConfigTest, WithoutAProfileTheLabelIsTwoSpacesAndGroupNamesKeepTheirSpaces) {
  reg.ini_keys["PC042/Hardware.cfg"] = "", reg.ini_keys["PC042/MachineGroups"] = "Lab, Office,Staff,";
  window.Label1_Click(4);
  EXPECT_EQ(label().caption(), L"  ");
  EXPECT_EQ(rows(), (Lines{L"Admins|Local|Admins|Local admins||8,8", L"Staff|Vyx|Staff" + std::wstring(kLogical),
                           L"Lab|Vyx|Lab" + std::wstring(kLogical), L" Office|Vyx| Office" + std::wstring(kLogical)}));
}

TEST_F(MachineConfigTest, WithoutRegistryHiveOrPathOnlyTheGroupsShow) {
  reg.key("SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion")["SystemRoot"] = {kRegSz, "C:\\WINNT"};
  reg.files["\\\\PC042\\C$\\WINNT\\SYSTEM32\\system.dbx"] = 7;
  // machine, QM key, MachinesCfg_Path, label, hive mounted here, captions shown
  for (const auto& [machine, hive, path, text, loaded, captions] : {std::tuple{L"GONE", true, true, L"old", false, 3},
       {L"PC042", false, true, L"old", true, 4}, {L"PC042", true, false, L"", false, 3}}) {
    name = machine, window.QMHiveLoaded = false, label().set_caption(L"old"), bed.log->clear(), reg.log.clear();
    if (!hive) reg.keys.erase("QM");
    if (!path) reg.keys[kEnvironment].clear();
    window.Label1_Click(6);
    EXPECT_EQ(label().caption(), text);
    EXPECT_EQ(form.caption(), L"SALES\\" + std::wstring(machine));
    EXPECT_EQ(std::vector(bed.ui.pointers().end() - 2, bed.ui.pointers().end()), (std::vector<int>{11, 0}));
    EXPECT_EQ(fakes::starting_with(bed.log->trace(), {L"let Caption"}).size(), size_t(captions));
    EXPECT_TRUE(std::ranges::none_of(reg.log, [](auto& l) { return l.ends_with(".CFG"); }));
    EXPECT_TRUE(window.QMHiveLoaded == loaded && list().count() == 2);
    EXPECT_EQ(window.QMHome, path ? L"" : L"QM\\");
    reg.key("QM");
  }
  EXPECT_EQ(bed.tavisk.calls, Lines{L"NetRegLoadKey PC042 -2147483646 QM C:\\WINNT\\SYSTEM32\\system.dbx"});
}

struct Count {
  int calls = 0, fail_at = 0;
  bool fails() { return ++calls == fail_at; }
};

// The mount brings the hive's two packages; it may fail with a status or
// raise, as a library that cannot be called does.
struct HiveTavisk : fakes::FakeTavisk {
  HiveTavisk(FakeRegistry& reg, const Count& host) : reg(reg), host(host) {}
  int32_t NetRegLoadKey(std::wstring_view, int32_t, std::wstring_view, std::wstring_view) override {
    mounted_after = host.calls;
    if (raises) throw Error(raises, L"Tavisk.dll cannot be called");
    if (status != 0) return status;
    for (const char* package : {"\\Office\\MachInst\\Word97", "\\Tools\\MachInst\\Zip"})
      reg.key(kPackages + std::string(package));
    return 0;
  }
  FakeRegistry& reg;
  const Count& host;
  int32_t status = 0, raises = 0, mounted_after = 0;
};

// PC042 of SALES seen from CONSOLE1, its hive not yet mounted; a global and a
// local group; the configuration files describe an Intel machine. Every host
// call counts, and the one numbered host.fail_at raises; every registry, INI
// and file call counts, and the one numbered registry.fail_at fails. Each INI
// read notes what the make-and-model label shows at that moment.
struct Loads {
  explicit Loads(int host_fail_at = 0) {
    auto& computer = bed.computer;
    bed.pc042(), computer->property(L"Reachable", true), computer->on(L"GetGroups").call([](auto) {});
    for (const wchar_t* kind : {L"GlobalGroups", L"LocalGroups"}) groups(*computer, kind, {{kind, L""}});
    reg.key("SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion")["SystemRoot"] = {kRegSz, "C:\\WINNT"};
    reg.key("SOFTWARE\\Quillmark\\Local_Machine_Settings")["Home"] = {kRegSz, "QM\\"};
    reg.key(kEnvironment)["MachinesCfg_Path"] = {kRegSz, "C:"};
    reg.files["\\\\PC042\\C$\\WINNT\\SYSTEM32\\system.dbx"] = 0x27;
    reg.ini_keys = kHardware;
    bed.env.services = &services;
    window = std::make_unique<details::FrmComputerDetails>(bed.env);
    window->set_DomainObject(bed.domain_object), window->set_Computer(computer);
    form().load(), window->LoadedOnce = true, form().show(0), form().set_caption(L"SALES\\PC042");
    tree().nodes().add(L"Root", kUnloadedText), label().set_caption(L"old");
    host = Count{0, host_fail_at}, bed.log->clear();
    bed.log->on_call = [this] {
      if (host.fails()) throw Error(5, L"injected failure");
    };
    reg.fails = [this](std::string_view function) {
      if (function == "GetPrivateProfileStringA") labels.push_back(label().caption());
      return registry.fails();
    };
  }
  forms::Form& form() { return window->form(); }
  forms::TreeView& tree() { return form().get<forms::TreeView>(L"tvwApps"); }
  forms::Label& label() { return form().get<forms::Label>(L"Label2", 3); }
  // A double-click on the unloaded tree, then a click on "&Work Groups".
  void both_loads() {
    tree().user_dbl_click();
    expect_usable("the tree load");
    tree_calls = host.calls;
    form().get<forms::Label>(L"Label1", 6).user_click();
    expect_usable("LoadQMDetails");
  }
  void expect_usable(const char* after) {
    SCOPED_TRACE(after);
    EXPECT_EQ(form().caption(), L"SALES\\PC042");
    EXPECT_TRUE(bed.ui.pointers().empty() || bed.ui.pointers().back() == forms::mouse_pointer::kDefault);
    EXPECT_TRUE(reg.open.empty());
    EXPECT_FALSE(tree().updating());
  }
  std::set<std::wstring> keys() {
    std::set<std::wstring> keys;
    for (int i = 1; i <= tree().nodes().count(); ++i) keys.insert(tree().nodes().item(i).key());
    return keys;
  }
  std::vector<std::wstring> boxes() {
    std::vector<std::wstring> texts;
    for (const fakes::Prompt& p : bed.ui.prompts()) texts.push_back(p.prompt);
    return texts;
  }

  fakes::DetailsTestBed bed;
  FakeRegistry& reg = bed.registry;
  Count host, registry;
  int tree_calls = 0;
  std::vector<std::wstring> labels;
  HiveTavisk tavisk{reg, host};
  component::Services services{bed.odbc, tavisk, bed.clock, reg, nullptr};
  std::unique_ptr<details::FrmComputerDetails> window;
};

TEST(ApplicationsFaults, EachHostCallFailingEndsItsLoadWithOneBox) {
  Loads clean;
  clean.both_loads();
  ASSERT_TRUE(clean.boxes().empty() && clean.tavisk.mounted_after > 0);
  // The make-and-model label shows each step, the profile's read first: at
  // the reads of the profile, make, model, series, card, driver and groups.
  EXPECT_EQ(clean.labels, (std::vector<std::wstring>{L"old", L"", L"Intel", L"Intel Pentium",
      L"Intel Pentium III", L"Intel Pentium III (NIC=3C905,", L"Intel Pentium III (NIC=3C905,Video=ati)"}));
  std::set<std::wstring> all = clean.keys();
  ASSERT_EQ(all.size(), 7u);
  all.insert(L"Root");  // a load that never started
  for (int n = 1; n <= clean.host.calls; ++n) {
    SCOPED_TRACE(testing::Message() << "host call " << n << ": " << to_ansi(clean.bed.log->trace()[n - 1]));
    Loads run(n);
    run.both_loads();
    const std::set<std::wstring> keys = run.keys();
    EXPECT_TRUE(std::includes(all.begin(), all.end(), keys.begin(), keys.end()));
    // The Name handed to the mount is read inside its trap.
    const std::wstring member = n <= clean.tree_calls ? L"tvwApps_DblClick" : L"Label1_Click";
    const std::wstring box = member + L": injected failure\r\n\r\n(Error 5)";
    EXPECT_EQ(run.boxes(), n == clean.tavisk.mounted_after ? std::vector<std::wstring>{} : std::vector{box});
  }
}

TEST(ApplicationsFaults, RegistryAndMountFailuresAreSilentAndTheLoadsGoOn) {
  Loads clean;
  clean.both_loads();
  for (int n = 1; n <= clean.registry.calls; ++n) {
    SCOPED_TRACE(testing::Message() << "registry call " << n);
    Loads run;
    run.registry.fail_at = n;
    run.both_loads();
    EXPECT_TRUE(run.boxes().empty());
  }
  // A refused mount, a missing library (53), a missing entry point (453).
  for (const auto& [status, raises] : {std::pair{1314, 0}, {0, 53}, {0, 453}}) {
    SCOPED_TRACE(testing::Message() << "mount " << status << ", raises " << raises);
    Loads run;
    run.tavisk.status = status, run.tavisk.raises = raises;
    run.both_loads();
    EXPECT_TRUE(run.boxes().empty());
    EXPECT_TRUE(!run.window->QMHiveLoaded && run.window->QMHome == L"QM\\" && run.tree().nodes().count() == 0);
  }
}

// What the real registry cannot show: the buffer sizes asked for, the value
// reset by its kind, a REG_DWORD read again into 32 bits, the machine root's
// connection and the INI buffer growth. The values themselves are read back
// from the real registry under Wine.
using Log = std::vector<std::string>;

TEST(RegistryAccess, GetRegValueAsksAgainOnlyForLongTextResetsByKindAndClosesTheKey) {
  const std::tuple<uint32_t, Data, Variant, int32_t, Variant, Log> cases[] = {
      {kRegSz, Data(1500, 'x') + '\0', L"x", 0, std::wstring(1500, L'x'), {"1024", "-", "1501"}},
      {kRegBinary, "", true, 0, false, {"1024"}},
      {kRegBinary, Data(5000, 1), Variant(), kStatusMoreData, int16_t{0}, {"1024"}},
      {11, Data(2000, 1), int32_t{7}, kStatusMoreData, int16_t{0}, {"1024"}},
      {0, "missing", true, 2, false, {"1024"}},
      {0, "no key", L"x", 2, L"", {}},
      // A REG_DWORD is read again into 32 bits; that read's status is the result.
      {kRegDword, {"\x07\x01\0\0", 4}, L"x", 0, int32_t{0x107}, {"1024"}},
      {kRegDword, {"\x07\x01\0\0\0\0\0\0", 8}, L"x", kStatusMoreData, int32_t{0}, {"1024", "4"}},
      {kRegDword, {"\x07\x01", 2}, L"x", 0, int32_t{0x107}, {"1024", "4"}},
  };
  for (const auto& [type, data, before, status, expected, queries] : cases) {
    SCOPED_TRACE(testing::Message() << "type " << type << ", " << data.size() << " bytes");
    FakeRegistry api;
    if (data != "no key") api.keys["SOFTWARE\\Quill"];
    if (type != 0) api.keys["SOFTWARE\\Quill"]["v"] = {type, data};
    Variant value = before;
    EXPECT_EQ(GetRegValue(api, kLocalMachine, L"SOFTWARE\\Quill", L"v", value), status);
    EXPECT_EQ(value, expected);
    EXPECT_EQ(api.log, queries);
    EXPECT_TRUE(api.open.empty());
  }
}

TEST(RegistryAccess, TheMachineRootIsThisMachinesOwnOrAConnection) {
  auto computer = std::make_shared<fakes::FakeDispatch>(L"Computer");
  auto domain_object = std::make_shared<fakes::FakeDispatch>(L"DomainObject");
  domain_object->on(L"ThisComputerName").get(L"CONSOLE1"), domain_object->on(L"ThisDomainName").get(L"SALES");
  const std::tuple<const wchar_t*, const wchar_t*, int32_t, const char*> cases[] = {
      {L"CONSOLE1", L"SALES", 0, nullptr},
      {L"CONSOLE1", L"HR", 0, "CONSOLE1 2147483650"},
      {L"PC042", L"SALES", 0, "PC042 2147483650"},
      {L"GONE", L"SALES", 53, "GONE 2147483650"}};
  for (const auto& [name, domain, status, connect] : cases) {
    FakeRegistry api;
    computer->on(L"Name").get(name), computer->on(L"Domain").get(domain);
    RegKey root;
    EXPECT_EQ(OpenMachineRoot(api, outside::Computer(computer), outside::DomainObject(domain_object), root), status);
    EXPECT_EQ(root.get() == kLocalMachine, connect == nullptr);
    root.reset();
    EXPECT_EQ(api.log, connect ? Log{connect} : Log{});
    EXPECT_TRUE(api.open.empty());
  }
}

TEST(RegistryAccess, ReadIniStringGrowsUntilNothingIsCutOff) {
  const std::string list("Alpha\0Beta\0\0", 12), file = "/C:\\cfg\\m.ini";
  const std::tuple<std::wstring, std::wstring, std::string, std::wstring, Log> cases[] = {
      {L"Office", L"Path", Data(1023, 'p'), std::wstring(1023, L'p'), {"Office/Path/5/1024", "Office/Path/5/2048"}},
      {L"Big", L"null", Data(1100, 'k') + Data(2, '\0'), std::wstring(1100, L'k') + L'\0',
       {"Big/-/5/1024", "Big/-/5/2048"}},
      {L"Office", std::wstring(1, L'\0'), list, std::wstring(L"Alpha\0Beta\0", 11), {"Office/-/5/1024"}},
      {L"NULL", L"Path", "v", L"v", {"NULL/Path/5/1024"}},
  };
  for (const auto& [section, key, text, expected, calls] : cases) {
    FakeRegistry api;
    api.ini = text;
    EXPECT_EQ(ReadIniString(api, section, key, int16_t{5}, L"C:\\cfg\\m.ini"), expected);
    Log with_file = calls;
    for (std::string& call : with_file) call += file;
    EXPECT_EQ(api.log, with_file);
  }
  FakeRegistry api;
  api.ini = Data(100000, 'v');
  EXPECT_EQ(ReadIniString(api, L"Big", L"Key", L"", L"m.ini"), std::wstring(100000, L'v'));
  EXPECT_EQ(api.log.back(), "Big/Key//100352/m.ini");
}

}  // namespace
}  // namespace pendrel::apps
