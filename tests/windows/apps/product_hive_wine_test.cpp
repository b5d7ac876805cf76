// The product hive under Wine: written by the fixture writer, mounted by the
// applications tab through the real registry and tavisk.dll, on this machine
// by its own root and on a connected root through the administrative share.
// The test run stands the share in for a directory link of the prefix
// (dosdevices/unc/<this computer>/C$ to drive_c), as Wine has no file sharing.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <memory>
#include <optional>

#include "apps/product_hive.h"
#include "apps_wine_support.h"
#include "core/text.h"
#include "fake_dispatch.h"
#include "forms/form.h"
#include "forms/scripted_ui.h"
#include "platform/win32/apps/registry_api.h"
#include "platform/win32/tavisk_binding.h"
#include "product_hive.h"

namespace pendrel::apps {
namespace {

using fixtures::ProductPackage;
using testing::key_exists;
using testing::next_key_handle;
using testing::this_computer_name;

constexpr wchar_t kPackages[] = L"QM\\LastRun\\APPIMAGE\\";

// A text value of HKEY_LOCAL_MACHINE, "<absent>" when missing.
std::wstring text_value(const std::wstring& path, const wchar_t* name) {
  wchar_t text[256] = L"<poisoned>";
  DWORD size = sizeof text;
  if (RegGetValueW(HKEY_LOCAL_MACHINE, path.c_str(), name, RRF_RT_REG_SZ, nullptr, text, &size)) return L"<absent>";
  return text;
}

DWORD reinstall_value(const std::wstring& path) {
  DWORD number = 0xdeadbeef, size = sizeof number;
  if (RegGetValueW(HKEY_LOCAL_MACHINE, path.c_str(), L"Re-Install", RRF_RT_REG_DWORD, nullptr, &number, &size)) {
    return 0;
  }
  return number;
}

std::wstring windows_file(const wchar_t* name) {
  wchar_t folder[MAX_PATH] = {};
  GetWindowsDirectoryW(folder, MAX_PATH);
  return std::wstring(folder) + name;
}

int32_t mount(const std::wstring& file) {
  return win32::tavisk_library().NetRegLoadKey(L"", kTaviskLocalMachine, L"QM", file);
}

int32_t unmount() { return win32::tavisk_library().NetRegUnLoadKey(L"", kTaviskLocalMachine, L"QM"); }

TEST(ProductHiveWriter, EveryPackageRecordComesBackFromTheMountedHive) {
  const std::wstring file = windows_file(L"\\Temp\\pendrel-demo.dbx");
  const std::vector<ProductPackage> packages = fixtures::DemoPackages();
  EXPECT_GE(packages.size(), 250u);
  EXPECT_EQ(std::count_if(packages.begin(), packages.end(), [](auto& p) { return p.reinstall; }), 12);
  EXPECT_TRUE(std::any_of(packages.begin(), packages.end(),
                          [](auto& p) { return p.path.find(L"\\MachInst\\NT4\\") != std::wstring::npos; }));
  for (int round = 0; round < 2; ++round) fixtures::SaveProductHive(packages, file);  // replaces the file
  EXPECT_FALSE(key_exists(HKEY_CURRENT_USER, L"Software\\Pendrel\\HiveScratch"));
  EXPECT_FALSE(key_exists(HKEY_USERS, L"PendrelHiveScratch"));
  ASSERT_EQ(mount(file), 0);
  for (const ProductPackage& p : packages) {
    const std::wstring key = kPackages + p.path;
    ASSERT_NE(p.path.find(L"\\MachInst\\"), std::wstring::npos) << to_ansi(p.path);
    EXPECT_EQ(text_value(key, L"Name"), p.name);
    EXPECT_EQ(text_value(key, L"AppVersion"), p.version.empty() ? L"<absent>" : p.version) << to_ansi(p.path);
    EXPECT_EQ(text_value(key, L"InstalledDate"), p.installed_date);
    EXPECT_EQ(text_value(key, L"Date"), p.date);
    EXPECT_EQ(reinstall_value(key), p.reinstall ? 1u : 0u) << to_ansi(p.path);
  }
  EXPECT_EQ(unmount(), 0);

  const auto start = std::chrono::steady_clock::now();
  const std::vector<ProductPackage> many = fixtures::GeneratedPackages(20000);
  fixtures::SaveProductHive(many, file);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(60));
  EXPECT_EQ(many[1234].path, L"Folder003\\MachInst\\Pkg01234");
  ASSERT_EQ(mount(file), 0);
  EXPECT_EQ(text_value(kPackages + many.back().path, L"Name"), L"Package 19999");
  EXPECT_EQ(reinstall_value(kPackages + many[19980].path), 1u);
  EXPECT_EQ(unmount(), 0);
  DeleteFileW(file.c_str());
}

TEST(ProductHiveWriter, MachineConfigurationAndSettingsReadBackAsTheDetailsWindowReadsThem) {
  const std::wstring folder = windows_file(L"\\Temp");
  fixtures::WriteMachineConfig(folder, L"PC042", L"Desk98", L"Lab,,Office",
                               {{L"CPUMAKE", L"Intel"}, {L"CPUMODEL", L"Pentium"}, {L"CPUSERIES", L"III"},
                                {L"NIC", L"3C905"}, {L"VideoDriver", L"ati"}});
  fixtures::WriteMachineConfig(folder, L"PC043", L"Desk99", L"Lab", {{L"CPUMAKE", L"Cyrix"}});
  fixtures::SetMachineSettings(L"QM\\", folder);
  win32::Win32RegistryApi api;
  const std::wstring machines = folder + L"\\MACHINES.CFG", hardware = folder + L"\\HARDWARE.CFG";
  EXPECT_EQ(ReadIniString(api, L"PC042", L"Hardware.cfg", L"", machines), L"Desk98");
  EXPECT_EQ(ReadIniString(api, L"PC042", L"MachineGroups", L"", machines), L"Lab,,Office");
  EXPECT_EQ(ReadIniString(api, L"NULL", L"NULL", L"", machines), std::wstring(L"PC042\0PC043\0", 12));
  EXPECT_EQ(ReadIniString(api, L"Desk98", L"NULL", L"", hardware),
            std::wstring(L"CPUMAKE\0CPUMODEL\0CPUSERIES\0NIC\0VideoDriver\0", 43));
  EXPECT_EQ(ReadIniString(api, L"Desk98", L"VideoDriver", L"", hardware), L"ati");
  const std::pair<const wchar_t*, const wchar_t*> values[] = {
      {L"SOFTWARE\\Quillmark\\Local_Machine_Settings", L"Home"},
      {L"SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment", L"MachinesCfg_Path"}};
  for (const std::wstring& expected : {std::wstring(L"QM\\"), folder}) {
    const auto& [key, name] = values[expected == folder];
    Variant value = std::wstring(L"old");
    EXPECT_EQ(GetRegValue(api, kLocalMachine, key, name, value), 0);
    EXPECT_EQ(value, expected);
  }
  fixtures::SetMachineSettings(L"", L"");
  for (const auto& [key, name] : values) EXPECT_EQ(text_value(key, name), L"<absent>");
  DeleteFileW(machines.c_str());
  DeleteFileW(hardware.c_str());
}

// The real registry with the hive file's paths kept. Wine connects to this
// computer's own name by handing back the predefined key itself, which the
// window would take for this machine's root; a connection of its own (as to
// any other computer) keeps the connected path, and its closing, under test.
class RecordingRegistryApi : public win32::Win32RegistryApi {
 public:
  std::vector<std::string> files;

  int32_t RegConnectRegistryA(const char* machine, RegHandle key, RegHandle& result) override {
    const int32_t status = Win32RegistryApi::RegConnectRegistryA(machine, key, result);
    if (status != 0 || result != kLocalMachine) return status;
    // An empty path opens the predefined key itself too; creating one does not.
    HKEY own = nullptr;
    const LONG created = RegCreateKeyExA(HKEY_LOCAL_MACHINE, "", 0, nullptr, 0, KEY_READ, nullptr, &own, nullptr);
    if (created == ERROR_SUCCESS) result = reinterpret_cast<RegHandle>(own);
    return created;
  }
  uint32_t GetFileAttributesA(const char* path) override {
    files.push_back(std::string("get ") + path);
    return Win32RegistryApi::GetFileAttributesA(path);
  }
  bool SetFileAttributesA(const char* path, uint32_t attributes) override {
    files.push_back("set " + std::string(path) + " " + std::to_string(attributes));
    return Win32RegistryApi::SetFileAttributesA(path, attributes);
  }
};

// The real library, with each mount's arguments and status kept; `refuse`
// makes the mount fail with that status without reaching the library.
class RecordingTavisk : public Tavisk {
 public:
  std::vector<std::wstring> loads;
  std::vector<int32_t> statuses;
  std::optional<int32_t> refuse;

  int32_t NetGetInteractiveUser(std::wstring_view server, std::wstring& user, std::wstring& account) override {
    return real().NetGetInteractiveUser(server, user, account);
  }
  int32_t NetRegLoadKey(std::wstring_view machine, int32_t root, std::wstring_view key,
                        std::wstring_view hive_file) override {
    loads.push_back(std::wstring(machine) + L"|" + std::to_wstring(root) + L"|" + std::wstring(key) + L"|" +
                    std::wstring(hive_file));
    statuses.push_back(refuse ? *refuse : real().NetRegLoadKey(machine, root, key, hive_file));
    return statuses.back();
  }
  int32_t NetRegUnLoadKey(std::wstring_view machine, int32_t root, std::wstring_view key) override {
    return real().NetRegUnLoadKey(machine, root, key);
  }

 private:
  static Tavisk& real() { return win32::tavisk_library(); }
};

enum class HiveFile { Valid, Missing, Locked, Corrupt };

struct MountCase {
  const char* what;
  bool this_machine;  // Name and Domain are the DomainObject's own
  HiveFile hive;
  bool qm_present;
  std::optional<int32_t> refuse;
  bool loaded_before;
  bool loaded_after;
};

class ProductHiveMount : public ::testing::TestWithParam<MountCase> {
 protected:
  void SetUp() override {
    ASSERT_FALSE(key_exists(HKEY_LOCAL_MACHINE, L"QM")) << "left over from an earlier run";
    ASSERT_NE(GetFileAttributesW((L"\\\\" + name_ + L"\\C$\\windows").c_str()), INVALID_FILE_ATTRIBUTES)
        << "the administrative share of this computer is missing from the prefix";
  }
  void TearDown() override {
    if (key_exists(HKEY_LOCAL_MACHINE, L"QM") && unmount() != 0) RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"QM");
    SetFileAttributesW(hive_.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(hive_.c_str());
  }

  const std::wstring name_ = this_computer_name();
  const std::wstring hive_ = windows_file(L"\\SYSTEM32\\system.dbx");
};

TEST_P(ProductHiveMount, MountsOnlyAWorkingHiveAndLeavesNoKeyOpen) {
  const MountCase& c = GetParam();
  switch (c.hive) {
    case HiveFile::Valid:
    case HiveFile::Locked:
      fixtures::SaveProductHive({{L"Office\\MachInst\\Word97", L"Word Processor 97", L"8.0", L"", L""}}, hive_);
      // The product keeps its hive read-only, hidden and a system file.
      SetFileAttributesW(hive_.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
      break;
    case HiveFile::Corrupt:
      std::ofstream(to_ansi(hive_), std::ios::binary) << std::string(4096, '\xa5');
      break;
    case HiveFile::Missing:
      break;
  }
  auto computer = std::make_shared<fakes::FakeDispatch>(L"Computer");
  computer->property(L"Name", name_);
  computer->property(L"Domain", L"SALES");
  auto domain_object = computer->sibling(L"DomainObject");
  domain_object->property(L"ThisComputerName", name_);
  domain_object->property(L"ThisDomainName", c.this_machine ? L"SALES" : L"HEADOFFICE");
  forms::Form form(L"frmComputerDetails", nullptr);
  fakes::ScriptedUserInterface ui;
  RecordingRegistryApi registry;
  RecordingTavisk tavisk;
  tavisk.refuse = c.refuse;
  const std::wstring computer_name = name_;
  std::wstring home;
  bool loaded = c.loaded_before;
  const AppsWindow window{form, ui, outside::Computer(computer), outside::DomainObject(domain_object),
                          registry, tavisk, computer_name, home, loaded};
  win32::unique_kernel_handle lock;
  if (c.hive == HiveFile::Locked) {
    lock.reset(CreateFileW(hive_.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_NE(lock.get(), INVALID_HANDLE_VALUE);
  }
  if (c.qm_present) {
    win32::unique_hkey qm;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"QM", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, qm.put(), nullptr),
              ERROR_SUCCESS);
  }

  // Taken once the test's own objects are made: the first of them keep
  // handles of the runtime open.
  const HKEY before = next_key_handle();
  {
    RegKey root;
    ASSERT_EQ(OpenMachineRoot(registry, window.computer, window.domain_object, root), 0);
    EXPECT_EQ(root.get() == kLocalMachine, c.this_machine);
    MountProductHive(window, root.get());
    EXPECT_EQ(loaded, c.loaded_after);
    const bool mounted = c.loaded_after && !c.qm_present;
    Variant name = std::wstring();
    EXPECT_EQ(GetRegValue(registry, root.get(), L"QM\\LastRun\\APPIMAGE\\Office\\MachInst\\Word97", L"Name", name),
              mounted ? 0 : 2);
    EXPECT_EQ(name, mounted ? L"Word Processor 97" : L"");
  }
  EXPECT_EQ(next_key_handle(), before);
  lock.reset();
  EXPECT_EQ(form.caption(), c.qm_present ? L"" : L"SALES\\" + name_ + L" -> Loading QM Details ...");
  const bool tried = !c.qm_present && c.hive != HiveFile::Missing;
  const std::wstring load = name_ + L"|-2147483646|QM|C:\\windows\\SYSTEM32\\system.dbx";
  EXPECT_EQ(tavisk.loads, tried ? std::vector<std::wstring>{load} : std::vector<std::wstring>{});
  // Another computer's hive through its administrative share, this one's by its own path.
  const std::string hive = "C:\\windows\\SYSTEM32\\system.dbx";
  const std::string access = c.this_machine ? hive : "\\\\" + to_ansi(name_) + "\\C$" + hive.substr(2);
  std::vector<std::string> files;
  if (!c.qm_present) files.push_back("get " + access);
  if (tried) files.push_back("set " + access + " 0");
  EXPECT_EQ(registry.files, files);
  if (tried && c.hive != HiveFile::Corrupt) {
    const DWORD kept = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    EXPECT_EQ(GetFileAttributesW(hive_.c_str()) & kept, 0u);
  }
  for (int32_t status : tavisk.statuses) EXPECT_EQ(status == 0, c.loaded_after) << "NetRegLoadKey gave " << status;
  EXPECT_EQ(key_exists(HKEY_LOCAL_MACHINE, L"QM"), c.qm_present || c.loaded_after);
  if (c.loaded_after && !c.qm_present) {
    EXPECT_EQ(tavisk.NetRegUnLoadKey(computer_name, kTaviskLocalMachine, L"QM"), 0);
    EXPECT_FALSE(key_exists(HKEY_LOCAL_MACHINE, L"QM"));
  }
  if (c.qm_present) RegDeleteKeyW(HKEY_LOCAL_MACHINE, L"QM");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ProductHiveMount,
    ::testing::Values(MountCase{"ConnectedThroughTheShare", false, HiveFile::Valid, false, {}, false, true},
                      MountCase{"ThisMachineByItsOwnPath", true, HiveFile::Valid, false, {}, false, true},
                      MountCase{"AlreadyMountedKeepsTrue", false, HiveFile::Valid, true, {}, true, true},
                      MountCase{"AlreadyMountedKeepsFalse", true, HiveFile::Valid, true, {}, false, false},
                      MountCase{"HiveMissing", false, HiveFile::Missing, false, {}, true, false},
                      MountCase{"HiveLocked", false, HiveFile::Locked, false, {}, true, false},
                      MountCase{"HiveCorrupt", true, HiveFile::Corrupt, false, {}, true, false},
                      MountCase{"MountRefused", false, HiveFile::Valid, false, 5, true, false}),
    [](const auto& info) { return std::string(info.param.what); });

TEST(ProductHiveMountWine, AnotherComputersRegistryIsOutOfReach) {
  auto computer = std::make_shared<fakes::FakeDispatch>(L"Computer");
  computer->property(L"Name", L"PC042");
  computer->property(L"Domain", L"SALES");
  auto domain_object = computer->sibling(L"DomainObject");
  domain_object->property(L"ThisComputerName", this_computer_name());
  domain_object->property(L"ThisDomainName", L"SALES");
  win32::Win32RegistryApi registry;
  const HKEY before = next_key_handle();
  RegKey root;
  EXPECT_EQ(OpenMachineRoot(registry, outside::Computer(computer), outside::DomainObject(domain_object), root), 53);
  EXPECT_FALSE(root);
  EXPECT_EQ(next_key_handle(), before);
}

}  // namespace
}  // namespace pendrel::apps
