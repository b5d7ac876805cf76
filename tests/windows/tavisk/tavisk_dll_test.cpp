// tavisk.dll under Wine: real hive files (written by the product hive writer
// with RegSaveKey) mounted under HKEY_LOCAL_MACHINE and read back through the
// registry API, also from two threads at once; the console user injected
// through the environment.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "apps/registry_access.h"
#include "core/text.h"
#include "platform/win32/apps/registry_api.h"
#include "platform/win32/handles.h"
#include "platform/win32/tavisk_binding.h"
#include "product_hive.h"
#include "tavisk_api.h"

namespace {

using pendrel::win32::unique_hkey;

constexpr int32_t kLocalMachine = static_cast<int32_t>(0x80000002u);
constexpr char kMount[] = "QM_TEST";
constexpr char kConsoleUserVariable[] = "PENDREL_TAVISK_CONSOLE_USER";

std::string computer_name() {
  char name[MAX_COMPUTERNAME_LENGTH + 1];
  DWORD size = sizeof name;
  EXPECT_TRUE(GetComputerNameA(name, &size));
  return std::string(name, size);
}

std::string temp_path(const char* name) {
  char folder[MAX_PATH];
  EXPECT_NE(GetTempPathA(MAX_PATH, folder), 0u);
  return folder + std::to_string(GetCurrentProcessId()) + name;
}

bool key_exists(const char* key, HKEY root = HKEY_LOCAL_MACHINE) {
  unique_hkey open;
  return RegOpenKeyExA(root, key, 0, KEY_READ, open.put()) == ERROR_SUCCESS;
}

class TaviskHive : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_FALSE(key_exists(kMount)) << "left over from an earlier run"; }
  void TearDown() override {
    // Whatever a failed check left mounted or created.
    if (key_exists(kMount)) {
      NetRegUnLoadKey("", kLocalMachine, kMount);
      RegDeleteTreeA(HKEY_LOCAL_MACHINE, kMount);
    }
    DeleteFileA(hive_.c_str());
    DeleteFileA(not_a_hive_.c_str());
  }

  const std::string hive_ = temp_path("tavisk.dbx"), not_a_hive_ = temp_path("tavisk.txt");
};

// Every package record of the demo computer comes back from the mounted hive.
TEST_F(TaviskHive, MountsReadsAndUnmountsOnThisComputerOnly) {
  const std::vector<pendrel::fixtures::ProductPackage> packages = pendrel::fixtures::DemoPackages();
  const std::wstring file = pendrel::from_ansi(hive_);
  for (int round = 0; round < 2; ++round) pendrel::fixtures::SaveProductHive(packages, file);  // replaces the file
  EXPECT_FALSE(key_exists("Software\\Pendrel\\HiveScratch", HKEY_CURRENT_USER));
  EXPECT_FALSE(key_exists("PendrelHiveScratch", HKEY_USERS));
  ASSERT_EQ(NetRegLoadKey("", kLocalMachine, kMount, hive_.c_str()), 0);
  pendrel::win32::Win32RegistryApi api;
  const auto value_of = [&](const std::wstring& key, const wchar_t* name) {
    pendrel::Variant value = std::wstring();
    pendrel::apps::GetRegValue(api, pendrel::apps::kLocalMachine, L"QM_TEST\\LastRun\\APPIMAGE\\" + key, name, value);
    return value;
  };
  for (const pendrel::fixtures::ProductPackage& p : packages) {
    SCOPED_TRACE(pendrel::to_ansi(p.path));
    EXPECT_NE(p.path.find(L"\\MachInst\\"), std::wstring::npos);
    EXPECT_EQ((std::vector{value_of(p.path, L"Name"), value_of(p.path, L"AppVersion"),
                           value_of(p.path, L"InstalledDate"), value_of(p.path, L"Date"),
                           value_of(p.path, L"Re-Install")}),
              (std::vector<pendrel::Variant>{p.name, p.version, p.installed_date, p.date,
                                             p.reinstall ? pendrel::Variant(int32_t{1}) : pendrel::Variant(L"")}));
  }
  // Not while a key of it is open.
  unique_hkey open_handle;
  ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kMount, 0, KEY_READ, open_handle.put()), ERROR_SUCCESS);
  EXPECT_EQ(NetRegUnLoadKey("", kLocalMachine, kMount), ERROR_ACCESS_DENIED);
  EXPECT_EQ(value_of(packages[0].path, L"Name"), pendrel::Variant(packages[0].name)) << "still mounted";
  open_handle.reset();
  EXPECT_EQ(NetRegUnLoadKey("", kLocalMachine, kMount), 0);
  EXPECT_FALSE(key_exists(kMount));

  // This computer by name, with the leading backslashes.
  ASSERT_EQ(NetRegLoadKey(("\\\\" + computer_name()).c_str(), kLocalMachine, kMount, hive_.c_str()), 0);
  EXPECT_EQ(NetRegUnLoadKey("", kLocalMachine, kMount), 0);
  EXPECT_EQ(NetRegLoadKey("NOSUCHPC", kLocalMachine, kMount, hive_.c_str()), ERROR_BAD_NETPATH);
  EXPECT_FALSE(key_exists(kMount));
  EXPECT_EQ(NetRegUnLoadKey("NOSUCHPC", kLocalMachine, kMount), ERROR_BAD_NETPATH);
}

TEST_F(TaviskHive, AFailedMountLeavesTheKeyAsItWas) {
  EXPECT_EQ(NetRegLoadKey("", kLocalMachine, kMount, (hive_ + ".missing").c_str()), ERROR_FILE_NOT_FOUND);
  EXPECT_FALSE(key_exists(kMount));
  std::ofstream(not_a_hive_) << "[not a hive]\n";
  EXPECT_NE(NetRegLoadKey("", kLocalMachine, kMount, not_a_hive_.c_str()), 0);
  EXPECT_FALSE(key_exists(kMount));

  // A key that was there before the call is not the failed mount's to remove.
  unique_hkey existing;
  ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, kMount, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, existing.put(),
                            nullptr),
            ERROR_SUCCESS);
  existing.reset();
  EXPECT_NE(NetRegLoadKey("", kLocalMachine, kMount, not_a_hive_.c_str()), 0);
  EXPECT_TRUE(key_exists(kMount));
}

// Two 50-character buffers as the callers pass them (NUL-filled), each
// followed by guard bytes that no call may touch.
struct GuardedBuffers {
  char user[64], account[64];
  GuardedBuffers() {
    for (char* buffer : {user, account}) std::memset(buffer, 0, 50), std::memset(buffer + 50, 'Z', 14);
  }
  bool guards_intact() const {
    return std::string(user + 50, 14) == std::string(14, 'Z') && std::string(account + 50, 14) == std::string(14, 'Z');
  }
};

TEST(TaviskConsoleUser, ThisComputersProcessUserElseTheInjectedOneCutInsideBothBuffers) {
  const std::string server = "\\\\" + computer_name();
  char name[257];
  DWORD size = sizeof name;
  ASSERT_TRUE(GetUserNameA(name, &size));
  GuardedBuffers local;
  ASSERT_EQ(NetGetInteractiveUser(server.c_str(), local.user, local.account), 0);
  EXPECT_STREQ(local.user, name);
  const std::string own = local.account;
  const std::size_t backslash = own.find('\\');
  EXPECT_TRUE(backslash != std::string::npos && backslash > 0 && own.substr(backslash + 1) == name)
      << "no authority in " << own;
  GuardedBuffers remote;
  EXPECT_EQ(NetGetInteractiveUser("\\\\NOSUCHPC", remote.user, remote.account), ERROR_BAD_NETPATH);
  EXPECT_STREQ(remote.account, "");

  struct Injection {
    ~Injection() { SetEnvironmentVariableA(kConsoleUserVariable, nullptr); }
  } injection;
  // The injected user stands for any computer's console; empty, for none.
  const std::string overlong = "PENDREL\\" + std::string(188, 'x') + "tail", exact = "SALES\\" + std::string(50, 'u');
  const struct {
    std::string injected;
    std::string server;
    int32_t status;
    std::string user, account;
  } cases[] = {
      {overlong, server, 0, std::string(49, 'x'), overlong.substr(0, 49)},
      {exact, server, 0, std::string(49, 'u'), exact.substr(0, 49)},
      {"", "\\\\NOSUCHPC", ERROR_NO_SUCH_LOGON_SESSION, "", ""},
  };
  for (const auto& c : cases) {
    ASSERT_TRUE(SetEnvironmentVariableA(kConsoleUserVariable, c.injected.c_str()));
    GuardedBuffers buffers;
    EXPECT_EQ(NetGetInteractiveUser(c.server.c_str(), buffers.user, buffers.account), c.status) << c.injected;
    EXPECT_EQ(std::string(buffers.user), c.user);
    EXPECT_EQ(std::string(buffers.account), c.account);
    EXPECT_TRUE(buffers.guards_intact()) << "written past a buffer for " << c.injected;
  }
  // The binding gives the texts before the buffers' NULs.
  ASSERT_TRUE(SetEnvironmentVariableA(kConsoleUserVariable, overlong.c_str()));
  std::wstring user = L"stale", account = L"stale";
  EXPECT_EQ(pendrel::win32::tavisk_library().NetGetInteractiveUser(pendrel::from_ansi(server), user, account), 0);
  EXPECT_EQ(user, std::wstring(49, L'x'));
  EXPECT_EQ(account, L"PENDREL\\" + std::wstring(41, L'x'));
}

// Two details windows on two threads mount and unmount their hives at the
// same time: the backup and restore privileges stay on until the last call
// that needs them has ended, so that no call finds them switched off under it
// (1314), and are off again afterwards.
TEST(TaviskThreads, TwoThreadsMountAndUnmountTheirOwnHivesInALoop) {
  const std::string keys[] = {"QM_THREAD1", "QM_THREAD2"};
  const std::string files[] = {temp_path(keys[0].c_str()), temp_path(keys[1].c_str())};
  for (const std::string& file : files) pendrel::fixtures::SaveProductHive({}, pendrel::from_ansi(file));
  std::vector<std::string> failures[2];
  std::vector<std::thread> threads;
  for (int t = 0; t < 2; ++t) {
    threads.emplace_back([&, t] {
      for (int round = 0; round < 500; ++round) {
        if (const int32_t s = NetRegLoadKey("", kLocalMachine, keys[t].c_str(), files[t].c_str())) {
          failures[t].push_back("load " + std::to_string(round) + ": " + std::to_string(s));
        }
        if (const int32_t s = NetRegUnLoadKey("", kLocalMachine, keys[t].c_str())) {
          failures[t].push_back("unload " + std::to_string(round) + ": " + std::to_string(s));
        }
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  for (int t = 0; t < 2; ++t) {
    EXPECT_TRUE(failures[t].empty()) << keys[t] << ", first " << failures[t].front() << " of " << failures[t].size();
    EXPECT_FALSE(key_exists(keys[t].c_str()));
  }
  // Nothing enables the restore privilege any longer: a mount of our own fails.
  const LONG own = RegLoadKeyA(HKEY_LOCAL_MACHINE, keys[0].c_str(), files[0].c_str());
  EXPECT_EQ(own, ERROR_PRIVILEGE_NOT_HELD);
  if (own == ERROR_SUCCESS) RegUnLoadKeyA(HKEY_LOCAL_MACHINE, keys[0].c_str());
  for (const std::string& file : files) DeleteFileA(file.c_str());
}

}  // namespace
