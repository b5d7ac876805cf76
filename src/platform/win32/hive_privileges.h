// RegLoadKey, RegUnLoadKey and RegSaveKey need the backup and restore
// privileges enabled. They belong to the process's token, which every thread
// shares: the holders of a module count under one lock, the first enables
// them and the last gives the token back what it had before. Two calls that
// overlap on two threads therefore never see them switched off under them,
// as they would if each call put back what it found. A privilege the account
// does not hold is left for the registry call to report (1314).
#pragma once

#include <windows.h>

#include <mutex>

#include "platform/win32/handles.h"

namespace pendrel::win32 {

class HivePrivileges {
 public:
  HivePrivileges() {
    Shared& shared = Shared::get();
    const std::lock_guard lock(shared.mutex);
    if (shared.holders++ == 0) shared.enable();
  }
  HivePrivileges(const HivePrivileges&) = delete;
  HivePrivileges& operator=(const HivePrivileges&) = delete;
  ~HivePrivileges() {
    Shared& shared = Shared::get();
    const std::lock_guard lock(shared.mutex);
    if (--shared.holders == 0) shared.restore();
  }

 private:
  // A TOKEN_PRIVILEGES with room for two.
  struct TwoPrivileges {
    DWORD count;
    LUID_AND_ATTRIBUTES privileges[2];
    TOKEN_PRIVILEGES* get() { return reinterpret_cast<TOKEN_PRIVILEGES*>(this); }
  };

  struct Shared {
    std::mutex mutex;
    int holders = 0;
    unique_kernel_handle token;
    TwoPrivileges previous{};
    bool adjusted = false;

    static Shared& get() {
      static Shared shared;
      return shared;
    }
    void enable() {
      if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, token.put())) return;
      TwoPrivileges wanted{};
      for (const wchar_t* name : {L"SeBackupPrivilege", L"SeRestorePrivilege"}) {
        if (LookupPrivilegeValueW(nullptr, name, &wanted.privileges[wanted.count].Luid)) {
          wanted.privileges[wanted.count++].Attributes = SE_PRIVILEGE_ENABLED;
        }
      }
      if (wanted.count == 0) return;
      DWORD size = sizeof previous;
      adjusted = AdjustTokenPrivileges(token.get(), FALSE, wanted.get(), sizeof previous, previous.get(), &size);
    }
    void restore() {
      // PreviousState lists only the privileges the call changed.
      if (adjusted && previous.count > 0) AdjustTokenPrivileges(token.get(), FALSE, previous.get(), 0, nullptr, nullptr);
      adjusted = false;
      previous = TwoPrivileges{};
      token.reset();
    }
  };
};

}  // namespace pendrel::win32
