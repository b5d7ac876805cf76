// Two details windows on two threads mount and unmount their hives at the
// same time: the backup and restore privileges stay on until the last call
// that needs them has ended, so that no call finds them switched off under it
// (1314), and are off again afterwards.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "platform/win32/handles.h"
#include "platform/win32/hive_privileges.h"
#include "tavisk_api.h"

namespace tavisk_threads {

constexpr int32_t kLocalMachine = static_cast<int32_t>(0x80000002u);

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

}  // namespace tavisk_threads
