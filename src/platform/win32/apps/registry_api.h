// The applications tab's registry and INI reads over the real advapi32 and
// kernel32 functions, on this machine or a connected one.
#pragma once

#include "apps/registry_access.h"

namespace pendrel::win32 {

class Win32RegistryApi : public apps::RegistryApi {
 public:
  int32_t RegOpenKeyExA(apps::RegHandle key, const char* subkey, uint32_t options, uint32_t access,
                        apps::RegHandle& result) override;
  int32_t RegQueryValueExA(apps::RegHandle key, const char* value_name, uint32_t& type,
                           uint8_t* data, uint32_t& size) override;
  int32_t RegEnumKeyA(apps::RegHandle key, uint32_t index, char* name, uint32_t size) override;
  int32_t RegCloseKey(apps::RegHandle key) override;
  int32_t RegConnectRegistryA(const char* machine, apps::RegHandle key,
                              apps::RegHandle& result) override;
  uint32_t GetPrivateProfileStringA(const char* section, const char* key, const char* default_text,
                                    char* buffer, uint32_t size, const char* file) override;
  uint32_t GetFileAttributesA(const char* path) override;
  bool SetFileAttributesA(const char* path, uint32_t attributes) override;
};

}  // namespace pendrel::win32
