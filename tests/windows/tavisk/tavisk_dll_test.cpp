// tavisk.dll under Wine: real hive files made with RegSaveKey, mounted under
// HKEY_LOCAL_MACHINE and read back through the registry API, also from two
// threads at once; the console user injected through the environment.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/win32/handles.h"
#include "platform/win32/hive_privileges.h"
#include "platform/win32/tavisk_binding.h"
#include "tavisk_api.h"

namespace {

using pendrel::win32::unique_kernel_handle;
using pendrel::win32::unique_hkey;

constexpr int32_t kLocalMachine = static_cast<int32_t>(0x80000002u);
constexpr char kMount[] = "QM_TEST";
constexpr char kConsoleUserVariable[] = "PENDREL_TAVISK_CONSOLE_USER";
constexpr char kSourceKey[] = "Software\\PendrelTaviskTest";

std::string computer_name() {
  char name[MAX_COMPUTERNAME_LENGTH + 1];
  DWORD size = sizeof name;
  EXPECT_TRUE(GetComputerNameA(name, &size));
  return std::string(name, size);
}

void set_privilege(const char* name, bool enabled) {
  unique_kernel_handle token;
  ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES, token.put()));
  TOKEN_PRIVILEGES privileges{};
  privileges.PrivilegeCount = 1;
  privileges.Privileges[0].Attributes = enabled ? SE_PRIVILEGE_ENABLED : 0;
  EXPECT_TRUE(LookupPrivilegeValueA(nullptr, name, &privileges.Privileges[0].Luid));
  EXPECT_TRUE(AdjustTokenPrivileges(token.get(), FALSE, &privileges, 0, nullptr, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS)) << name;
}

LONG open_mount(unique_hkey& key) {
  return RegOpenKeyExA(HKEY_LOCAL_MACHINE, kMount, 0, KEY_READ, key.put());
}

bool mount_exists() {
  unique_hkey key;
  return open_mount(key) == ERROR_SUCCESS;
}

// A value of the mounted hive, read with RegGetValue; "" when missing.
std::string mounted_text(const char* subkey, const char* name) {
  char text[256] = {};
  DWORD size = sizeof text;
  const std::string path = std::string(kMount) + subkey;
  const LONG status = RegGetValueA(HKEY_LOCAL_MACHINE, path.c_str(), name, RRF_RT_REG_SZ, nullptr,
                                   text, &size);
  EXPECT_EQ(status, ERROR_SUCCESS) << path << " " << name;
  return text;
}

void set_text(HKEY key, const char* name, const char* text) {
  ASSERT_EQ(RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                           static_cast<DWORD>(std::strlen(text) + 1)),
            ERROR_SUCCESS);
}


class TaviskHive : public ::testing::Test {
 protected:
  void SetUp() override {
    char folder[MAX_PATH];
    ASSERT_NE(GetTempPathA(MAX_PATH, folder), 0u);
    const std::string prefix = std::string(folder) + "tavisk" + std::to_string(GetCurrentProcessId());
    hive_ = prefix + ".dbx";
    not_a_hive_ = prefix + ".txt";
    DeleteFileA(hive_.c_str());

    unique_hkey source;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kSourceKey, 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, source.put(), nullptr),
              ERROR_SUCCESS);
    set_text(source.get(), "Home", "C:\\Quillmark\\");
    unique_hkey package;
    ASSERT_EQ(RegCreateKeyExA(source.get(), "LastRun\\APPIMAGE\\Editor", 0, nullptr, 0,
                              KEY_ALL_ACCESS, nullptr, package.put(), nullptr),
              ERROR_SUCCESS);
    set_text(package.get(), "Version", "2.1");
    set_privilege("SeBackupPrivilege", true);
    ASSERT_EQ(RegSaveKeyA(source.get(), hive_.c_str(), nullptr), ERROR_SUCCESS);
    source.reset();
    RegDeleteTreeA(HKEY_CURRENT_USER, kSourceKey);

    std::ofstream(not_a_hive_) << "[not a hive]\n";
    ASSERT_FALSE(mount_exists()) << "left over from an earlier run";
  }

  void TearDown() override {
    // Whatever a failed check left mounted or created.
    if (mount_exists()) {
      NetRegUnLoadKey("", kLocalMachine, kMount);
      RegDeleteTreeA(HKEY_LOCAL_MACHINE, kMount);
    }
    DeleteFileA(hive_.c_str());
    DeleteFileA(not_a_hive_.c_str());
  }

  std::string hive_;
  std::string not_a_hive_;
};

TEST_F(TaviskHive, MountsReadsAndUnmountsOnThisComputerOnly) {
  ASSERT_EQ(NetRegLoadKey("", kLocalMachine, kMount, hive_.c_str()), 0);
  // The mounted hive holds what RegSaveKey saved.
  EXPECT_EQ(mounted_text("", "Home"), "C:\\Quillmark\\");
  EXPECT_EQ(mounted_text("\\LastRun\\APPIMAGE\\Editor", "Version"), "2.1");
  unique_hkey open_handle;
  ASSERT_EQ(open_mount(open_handle), ERROR_SUCCESS);
  EXPECT_EQ(NetRegUnLoadKey("", kLocalMachine, kMount), ERROR_ACCESS_DENIED);
  EXPECT_EQ(mounted_text("", "Home"), "C:\\Quillmark\\") << "still mounted";
  open_handle.reset();
  EXPECT_EQ(NetRegUnLoadKey("", kLocalMachine, kMount), 0);
  EXPECT_FALSE(mount_exists());

  // This computer by name, with the leading backslashes.
  ASSERT_EQ(NetRegLoadKey(("\\\\" + computer_name()).c_str(), kLocalMachine, kMount, hive_.c_str()), 0);
  EXPECT_EQ(NetRegUnLoadKey("", kLocalMachine, kMount), 0);
  EXPECT_EQ(NetRegLoadKey("NOSUCHPC", kLocalMachine, kMount, hive_.c_str()), ERROR_BAD_NETPATH);
  EXPECT_FALSE(mount_exists());
  EXPECT_EQ(NetRegUnLoadKey("NOSUCHPC", kLocalMachine, kMount), ERROR_BAD_NETPATH);
}

TEST_F(TaviskHive, AFailedMountLeavesTheKeyAsItWas) {
  EXPECT_EQ(NetRegLoadKey("", kLocalMachine, kMount, (hive_ + ".missing").c_str()),
            ERROR_FILE_NOT_FOUND);
  EXPECT_FALSE(mount_exists());
  EXPECT_NE(NetRegLoadKey("", kLocalMachine, kMount, not_a_hive_.c_str()), 0);
  EXPECT_FALSE(mount_exists());

  // A key that was there before the call is not the failed mount's to remove.
  unique_hkey existing;
  ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, kMount, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            existing.put(), nullptr),
            ERROR_SUCCESS);
  existing.reset();
  EXPECT_NE(NetRegLoadKey("", kLocalMachine, kMount, not_a_hive_.c_str()), 0);
  EXPECT_TRUE(mount_exists());
}

// Two 50-character buffers as the callers pass them (NUL-filled), each
// followed by guard bytes that no call may touch.
struct GuardedBuffers {
  static constexpr std::size_t kSize = 50;
  static constexpr std::size_t kGuard = 14;
  static constexpr char kGuardByte = '\x5a';
  char user[kSize + kGuard];
  char account[kSize + kGuard];

  GuardedBuffers() {
    for (char* buffer : {user, account}) {
      std::memset(buffer, 0, kSize);
      std::memset(buffer + kSize, kGuardByte, kGuard);
    }
  }
  void expect_guards_intact() const {
    for (const char* buffer : {user, account}) {
      for (std::size_t i = kSize; i < kSize + kGuard; ++i) {
        EXPECT_EQ(buffer[i], kGuardByte) << "written past the buffer at " << i;
      }
    }
  }
};

class ConsoleUser : public ::testing::Test {
 protected:
  void TearDown() override { SetEnvironmentVariableA(kConsoleUserVariable, nullptr); }
  static void inject(const std::string& value) {
    ASSERT_TRUE(SetEnvironmentVariableA(kConsoleUserVariable, value.c_str()));
  }
};

TEST_F(ConsoleUser, AnOverlongAccountIsCutInsideBothBuffers) {
  const std::string account = "PENDREL\\" + std::string(188, 'x') + "tail";
  ASSERT_EQ(account.size(), 200u);
  inject(account);
  const std::string server = "\\\\" + computer_name();
  GuardedBuffers buffers;
  ASSERT_EQ(NetGetInteractiveUser(server.c_str(), buffers.user, buffers.account), 0);
  EXPECT_EQ(std::string(buffers.user), std::string(49, 'x'));
  EXPECT_EQ(std::string(buffers.account), account.substr(0, 49));
  buffers.expect_guards_intact();

  std::wstring user = L"stale";
  std::wstring wide_account = L"stale";
  EXPECT_EQ(pendrel::win32::tavisk_library().NetGetInteractiveUser(
                std::wstring(server.begin(), server.end()), user, wide_account),
            0);
  EXPECT_EQ(user, std::wstring(49, L'x'));
  EXPECT_EQ(wide_account, L"PENDREL\\" + std::wstring(41, L'x'));

  // A user name of exactly the buffer's size is cut too.
  inject("SALES\\" + std::string(50, 'u'));
  GuardedBuffers exact;
  ASSERT_EQ(NetGetInteractiveUser(server.c_str(), exact.user, exact.account), 0);
  EXPECT_EQ(std::string(exact.user), std::string(49, 'u'));
  exact.expect_guards_intact();

  // The injected user stands for any computer's console; empty, for none.
  inject("");
  GuardedBuffers nobody;
  EXPECT_EQ(NetGetInteractiveUser("\\\\NOSUCHPC", nobody.user, nobody.account), ERROR_NO_SUCH_LOGON_SESSION);
  EXPECT_STREQ(nobody.account, "");
  nobody.expect_guards_intact();
}

TEST_F(ConsoleUser, WithoutInjectionThisComputerGivesTheProcessUser) {
  char name[257];
  DWORD size = sizeof name;
  ASSERT_TRUE(GetUserNameA(name, &size));
  GuardedBuffers local;
  ASSERT_EQ(NetGetInteractiveUser(("\\\\" + computer_name()).c_str(), local.user, local.account), 0);
  EXPECT_STREQ(local.user, name);
  const std::string account = local.account;
  const std::size_t backslash = account.find('\\');
  ASSERT_NE(backslash, std::string::npos) << account;
  EXPECT_GT(backslash, 0u) << "no authority in " << account;
  EXPECT_EQ(account.substr(backslash + 1), name);

  GuardedBuffers remote;
  EXPECT_EQ(NetGetInteractiveUser("\\\\NOSUCHPC", remote.user, remote.account), ERROR_BAD_NETPATH);
  EXPECT_STREQ(remote.account, "");
}

// Two details windows on two threads mount and unmount their hives at the
// same time: the backup and restore privileges stay on until the last call
// that needs them has ended, so that no call finds them switched off under it
// (1314), and are off again afterwards.
TEST(TaviskThreads, TwoThreadsMountAndUnmountTheirOwnHivesInALoop) {
  char folder[MAX_PATH];
  ASSERT_NE(GetTempPathA(MAX_PATH, folder), 0u);
  const std::string keys[] = {"QM_THREAD1", "QM_THREAD2"};
  const std::string files[] = {folder + keys[0] + ".dbx", folder + keys[1] + ".dbx"};
  {
    pendrel::win32::unique_hkey source;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\PendrelHiveThreads", 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, source.put(), nullptr),
              ERROR_SUCCESS);
    const pendrel::win32::HivePrivileges privileges;
    for (const std::string& file : files) {
      DeleteFileA(file.c_str());
      ASSERT_EQ(RegSaveKeyA(source.get(), file.c_str(), nullptr), ERROR_SUCCESS);
    }
  }
  RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\PendrelHiveThreads");

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
    pendrel::win32::unique_hkey left;
    EXPECT_NE(RegOpenKeyExA(HKEY_LOCAL_MACHINE, keys[t].c_str(), 0, KEY_READ, left.put()), ERROR_SUCCESS);
  }
  // Nothing enables the restore privilege any longer: a mount of our own fails.
  const LONG own = RegLoadKeyA(HKEY_LOCAL_MACHINE, keys[0].c_str(), files[0].c_str());
  EXPECT_EQ(own, ERROR_PRIVILEGE_NOT_HELD);
  if (own == ERROR_SUCCESS) RegUnLoadKeyA(HKEY_LOCAL_MACHINE, keys[0].c_str());
  for (const std::string& file : files) DeleteFileA(file.c_str());
}

}  // namespace
