// Two details windows on two threads mount and unmount their hives at the
// same time: the backup and restore privileges that one call enables stay on
// until the last call that needs them has ended, so no call of the other
// thread finds them switched off under it (1314), and then go back off.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "platform/win32/handles.h"
#include "platform/win32/hive_privileges.h"
#include "tavisk_api.h"

namespace {

constexpr int32_t kLocalMachine = static_cast<int32_t>(0x80000002u);

// How many of the backup and restore privileges the process token has on.
int hive_privileges_on() {
  pendrel::win32::unique_kernel_handle token;
  char buffer[4096];
  DWORD size = sizeof buffer;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.put()) ||
      !GetTokenInformation(token.get(), TokenPrivileges, buffer, size, &size)) {
    return -1;
  }
  const auto* held = reinterpret_cast<const TOKEN_PRIVILEGES*>(buffer);
  int on = 0;
  for (const char* name : {"SeBackupPrivilege", "SeRestorePrivilege"}) {
    LUID luid{};
    LookupPrivilegeValueA(nullptr, name, &luid);
    for (DWORD i = 0; i < held->PrivilegeCount; ++i) {
      const LUID_AND_ATTRIBUTES& p = held->Privileges[i];
      on += p.Luid.LowPart == luid.LowPart && p.Luid.HighPart == luid.HighPart && (p.Attributes & SE_PRIVILEGE_ENABLED);
    }
  }
  return on;
}

TEST(TaviskThreads, TwoThreadsMountAndUnmountTheirOwnHivesInALoop) {
  char folder[MAX_PATH];
  ASSERT_NE(GetTempPathA(MAX_PATH, folder), 0u);
  const std::string keys[] = {"QM_THREAD1", "QM_THREAD2"};
  std::vector<std::string> files;
  {
    pendrel::win32::unique_hkey source;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\PendrelHiveThreads\\LastRun", 0, nullptr, 0,
                              KEY_ALL_ACCESS, nullptr, source.put(), nullptr),
              ERROR_SUCCESS);
    const pendrel::win32::HivePrivileges privileges;
    for (const std::string& key : keys) {
      files.push_back(std::string(folder) + key + ".dbx");
      DeleteFileA(files.back().c_str());
      ASSERT_EQ(RegSaveKeyA(source.get(), files.back().c_str(), nullptr), ERROR_SUCCESS);
    }
  }
  RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\PendrelHiveThreads");
  ASSERT_EQ(hive_privileges_on(), 0);

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
  EXPECT_EQ(hive_privileges_on(), 0);
  for (int t = 0; t < 2; ++t) {
    EXPECT_TRUE(failures[t].empty()) << keys[t] << ", first " << failures[t].front() << " of " << failures[t].size();
    pendrel::win32::unique_hkey left;
    EXPECT_NE(RegOpenKeyExA(HKEY_LOCAL_MACHINE, keys[t].c_str(), 0, KEY_READ, left.put()), ERROR_SUCCESS);
    DeleteFileA(files[t].c_str());
  }
}

}  // namespace
