// The product hive under Wine: mounted by the applications tab through the
// real registry and tavisk.dll, on this machine by its own root and on a
// connected root through the administrative share. (What the fixture writer
// writes comes back whole: tavisk_dll_test.)
// The test run stands the share in for a directory link of the prefix
// (dosdevices/unc/<this computer>/C$ to drive_c), as Wine has no file sharing.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <memory>

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

using testing::key_exists;
using testing::next_key_handle;
using testing::this_computer_name;

std::wstring windows_file(const wchar_t* name) {
  wchar_t folder[MAX_PATH] = {};
  GetWindowsDirectoryW(folder, MAX_PATH);
  return std::wstring(folder) + name;
}

int32_t unmount() { return win32::tavisk_library().NetRegUnLoadKey(L"", kTaviskLocalMachine, L"QM"); }

// The host's Computer (Name, Domain SALES) and DomainObject (this computer's
// name, ThisDomainName).
struct Host {
  Host(const std::wstring& name, const wchar_t* this_domain) {
    computer->property(L"Name", name);
    computer->property(L"Domain", L"SALES");
    domain_object->property(L"ThisComputerName", this_computer_name());
    domain_object->property(L"ThisDomainName", this_domain);
  }
  std::shared_ptr<fakes::FakeDispatch> computer = std::make_shared<fakes::FakeDispatch>(L"Computer");
  std::shared_ptr<fakes::FakeDispatch> domain_object = computer->sibling(L"DomainObject");
};

TEST(ProductHiveMountWine, AnotherComputersRegistryIsOutOfReach) {
  const Host host(L"PC042", L"SALES");
  win32::Win32RegistryApi api;
  const HKEY before = next_key_handle();
  RegKey root;
  const outside::Computer computer(host.computer);
  EXPECT_EQ(OpenMachineRoot(api, computer, outside::DomainObject(host.domain_object), root), 53);
  EXPECT_FALSE(root);
  EXPECT_EQ(next_key_handle(), before);
}

// The registry with the hive file's accesses kept.
struct RecordingRegistryApi : testing::ConnectingRegistryApi {
  std::vector<std::string> files;
  uint32_t GetFileAttributesA(const char* path) override {
    files.push_back(std::string("get ") + path);
    return ConnectingRegistryApi::GetFileAttributesA(path);
  }
  bool SetFileAttributesA(const char* path, uint32_t attributes) override {
    files.push_back("set " + std::string(path) + " " + std::to_string(attributes));
    return ConnectingRegistryApi::SetFileAttributesA(path, attributes);
  }
};

// The real library with each mount's arguments kept.
struct RecordingTavisk : Tavisk {
  std::vector<std::wstring> loads;
  Tavisk& real = win32::tavisk_library();
  int32_t NetGetInteractiveUser(std::wstring_view server, std::wstring& user, std::wstring& account) override {
    return real.NetGetInteractiveUser(server, user, account);
  }
  int32_t NetRegLoadKey(std::wstring_view machine, int32_t root, std::wstring_view key,
                        std::wstring_view file) override {
    loads.push_back(std::wstring(machine) + L"|" + std::to_wstring(root) + L"|" + std::wstring(key) + L"|" +
                    std::wstring(file));
    return real.NetRegLoadKey(machine, root, key, file);
  }
  int32_t NetRegUnLoadKey(std::wstring_view machine, int32_t root, std::wstring_view key) override {
    return real.NetRegUnLoadKey(machine, root, key);
  }
};

enum class HiveFile { Valid, Locked, Corrupt };

struct MountCase {
  const char* what;
  bool this_machine;  // Name and Domain are the DomainObject's own
  HiveFile hive;
  bool loaded_after;
  friend void PrintTo(const MountCase& c, std::ostream* os) { *os << c.what; }
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
  constexpr DWORD kProductAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
  if (c.hive == HiveFile::Valid || c.hive == HiveFile::Locked) {
    fixtures::SaveProductHive({{L"Office\\MachInst\\Word97", L"Word Processor 97", L"8.0", L"", L""}}, hive_);
    SetFileAttributesW(hive_.c_str(), kProductAttributes);  // as the product keeps its hive
  } else if (c.hive == HiveFile::Corrupt) {
    std::ofstream(to_ansi(hive_), std::ios::binary) << std::string(4096, '\xa5');
  }
  const Host host(name_, c.this_machine ? L"SALES" : L"HEADOFFICE");
  forms::Form form(L"frmComputerDetails", nullptr);
  fakes::ScriptedUserInterface ui;
  RecordingRegistryApi registry;
  RecordingTavisk tavisk;
  std::wstring home;
  bool loaded = !c.loaded_after;  // the load sets it either way
  const AppsWindow window{form, ui, outside::Computer(host.computer), outside::DomainObject(host.domain_object),
                          registry, tavisk, name_, home, loaded};
  // Held by the test alone.
  win32::unique_kernel_handle lock(
      c.hive == HiveFile::Locked ? CreateFileW(hive_.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr)
                                 : nullptr);
  ASSERT_NE(lock.get(), INVALID_HANDLE_VALUE);

  // Taken once the test's own objects are made: the first of them keep handles of the runtime open.
  const HKEY before = next_key_handle();
  const bool mounted = c.loaded_after;
  {
    RegKey root;
    ASSERT_EQ(OpenMachineRoot(registry, window.computer, window.domain_object, root), 0);
    EXPECT_EQ(root.get() == kLocalMachine, c.this_machine);
    MountProductHive(window, root);
    EXPECT_EQ(loaded, c.loaded_after);
    Variant name = std::wstring();
    EXPECT_EQ(GetRegValue(registry, root.get(), L"QM\\LastRun\\APPIMAGE\\Office\\MachInst\\Word97", L"Name", name),
              mounted ? 0 : 2);
    EXPECT_EQ(name, mounted ? L"Word Processor 97" : L"");
  }
  EXPECT_EQ(next_key_handle(), before);
  lock.reset();
  EXPECT_EQ(form.caption(), L"SALES\\" + name_ + L" -> Loading QM Details ...");
  const std::wstring load = name_ + L"|-2147483646|QM|C:\\windows\\SYSTEM32\\system.dbx";
  EXPECT_EQ(tavisk.loads, std::vector<std::wstring>{load});
  // Another computer's hive through its administrative share, this one's by its own path.
  const std::string access =
      (c.this_machine ? "C:" : "\\\\" + to_ansi(name_) + "\\C$") + "\\windows\\SYSTEM32\\system.dbx";
  EXPECT_EQ(registry.files, (std::vector<std::string>{"get " + access, "set " + access + " 0"}));
  EXPECT_EQ(GetFileAttributesW(hive_.c_str()) & kProductAttributes, 0u);
  EXPECT_EQ(key_exists(HKEY_LOCAL_MACHINE, L"QM"), c.loaded_after);
  if (mounted) {
    EXPECT_EQ(tavisk.NetRegUnLoadKey(name_, kTaviskLocalMachine, L"QM"), 0);
    EXPECT_FALSE(key_exists(HKEY_LOCAL_MACHINE, L"QM"));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ProductHiveMount,
    ::testing::Values(MountCase{"ConnectedThroughTheShare", false, HiveFile::Valid, true},
                      MountCase{"ThisMachineByItsOwnPath", true, HiveFile::Valid, true},
                      MountCase{"HiveLocked", false, HiveFile::Locked, false},
                      MountCase{"HiveCorrupt", true, HiveFile::Corrupt, false}),
    [](const auto& info) { return std::string(info.param.what); });

}  // namespace
}  // namespace pendrel::apps
