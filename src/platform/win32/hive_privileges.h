// RegLoadKey, RegUnLoadKey and RegSaveKey need the backup and restore
// privileges enabled: held for one scope, after which the process's token
// gets back what it had. A privilege the account does not hold is left for
// the registry call to report (1314).
#pragma once

#include <windows.h>

#include "platform/win32/handles.h"

namespace pendrel::win32 {

class HivePrivileges {
 public:
  HivePrivileges() {
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, token_.put())) return;
    TwoPrivileges wanted{};
    for (const wchar_t* name : {L"SeBackupPrivilege", L"SeRestorePrivilege"}) {
      if (LookupPrivilegeValueW(nullptr, name, &wanted.privileges[wanted.count].Luid)) {
        wanted.privileges[wanted.count++].Attributes = SE_PRIVILEGE_ENABLED;
      }
    }
    if (wanted.count == 0) return;
    DWORD size = sizeof previous_;
    adjusted_ = AdjustTokenPrivileges(token_.get(), FALSE, wanted.get(), sizeof previous_, previous_.get(), &size);
  }
  HivePrivileges(const HivePrivileges&) = delete;
  HivePrivileges& operator=(const HivePrivileges&) = delete;
  ~HivePrivileges() {
    // PreviousState lists only the privileges the call changed.
    if (adjusted_ && previous_.count > 0) AdjustTokenPrivileges(token_.get(), FALSE, previous_.get(), 0, nullptr, nullptr);
  }

 private:
  // A TOKEN_PRIVILEGES with room for two.
  struct TwoPrivileges {
    DWORD count;
    LUID_AND_ATTRIBUTES privileges[2];
    TOKEN_PRIVILEGES* get() { return reinterpret_cast<TOKEN_PRIVILEGES*>(this); }
  };

  unique_kernel_handle token_;
  TwoPrivileges previous_{};
  bool adjusted_ = false;
};

}  // namespace pendrel::win32
