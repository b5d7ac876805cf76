#include "platform/win32/apps/registry_api.h"

#include <windows.h>

namespace pendrel::win32 {

namespace {

// The predefined keys are sign-extended on 64-bit Windows, so
// HKEY_LOCAL_MACHINE is mapped to and from the 32-bit value the portable side
// knows it by.
HKEY to_hkey(apps::RegHandle handle) {
  return handle == apps::kLocalMachine ? HKEY_LOCAL_MACHINE : reinterpret_cast<HKEY>(handle);
}

apps::RegHandle from_hkey(HKEY key) {
  return key == HKEY_LOCAL_MACHINE ? apps::kLocalMachine : reinterpret_cast<apps::RegHandle>(key);
}

}  // namespace

int32_t Win32RegistryApi::RegOpenKeyExA(apps::RegHandle key, const char* subkey, uint32_t options,
                                        uint32_t access, apps::RegHandle& result) {
  HKEY opened = nullptr;
  const LONG status = ::RegOpenKeyExA(to_hkey(key), subkey, options, access, &opened);
  result = status == ERROR_SUCCESS ? from_hkey(opened) : 0;
  return status;
}

int32_t Win32RegistryApi::RegQueryValueExA(apps::RegHandle key, const char* value_name,
                                           uint32_t& type, uint8_t* data, uint32_t& size) {
  DWORD value_type = 0;
  DWORD value_size = size;
  const LONG status =
      ::RegQueryValueExA(to_hkey(key), value_name, nullptr, &value_type, data, &value_size);
  type = value_type;
  size = value_size;
  return status;
}

int32_t Win32RegistryApi::RegEnumKeyA(apps::RegHandle key, uint32_t index, char* name,
                                      uint32_t size) {
  return ::RegEnumKeyA(to_hkey(key), index, name, size);
}

int32_t Win32RegistryApi::RegCloseKey(apps::RegHandle key) { return ::RegCloseKey(to_hkey(key)); }

int32_t Win32RegistryApi::RegConnectRegistryA(const char* machine, apps::RegHandle key,
                                              apps::RegHandle& result) {
  HKEY connected = nullptr;
  const LONG status = ::RegConnectRegistryA(machine, to_hkey(key), &connected);
  result = status == ERROR_SUCCESS ? from_hkey(connected) : 0;
  return status;
}

uint32_t Win32RegistryApi::GetPrivateProfileStringA(const char* section, const char* key,
                                                    const char* default_text, char* buffer,
                                                    uint32_t size, const char* file) {
  return ::GetPrivateProfileStringA(section, key, default_text, buffer, size, file);
}

uint32_t Win32RegistryApi::GetFileAttributesA(const char* path) {
  return ::GetFileAttributesA(path);
}

bool Win32RegistryApi::SetFileAttributesA(const char* path, uint32_t attributes) {
  return ::SetFileAttributesA(path, attributes) != FALSE;
}

}  // namespace pendrel::win32
