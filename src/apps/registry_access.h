// The registry and INI reads of the applications tab: typed values under the
// shown computer's HKEY_LOCAL_MACHINE (the machine root) and strings of the
// INI-style configuration files. Every call goes through the 8-bit (ANSI) forms
// of the Windows functions; names, paths and texts are converted at the call.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include "core/variant.h"

namespace pendrel::outside {
class Computer;
class DomainObject;
}  // namespace pendrel::outside

namespace pendrel::apps {

// An open registry key as the Windows functions see it. The portable side only
// compares it with the predefined HKEY_LOCAL_MACHINE and hands it back.
using RegHandle = std::uintptr_t;

// The predefined HKEY_LOCAL_MACHINE, the only root the applications tab uses.
inline constexpr RegHandle kLocalMachine = 0x80000002;
// KEY_READ: every open for reading, enumerating or testing existence.
inline constexpr uint32_t kKeyRead = 0x20019;

inline constexpr uint32_t kRegSz = 1;
inline constexpr uint32_t kRegExpandSz = 2;
inline constexpr uint32_t kRegBinary = 3;
inline constexpr uint32_t kRegDword = 4;
inline constexpr uint32_t kRegMultiSz = 7;

inline constexpr int32_t kStatusMoreData = 234;
// This module's own status for a value type it does not read.
inline constexpr int32_t kStatusNotHandled = -1;

// INVALID_FILE_ATTRIBUTES: the file cannot be reached.
inline constexpr uint32_t kNoFileAttributes = 0xFFFFFFFF;

// The Windows calls the applications tab needs (registry, INI and the file
// attributes of the product's hive), in their ANSI forms and with their
// argument order. A null pointer stands where Windows takes NULL.
class RegistryApi {
 public:
  virtual ~RegistryApi() = default;

  virtual int32_t RegOpenKeyExA(RegHandle key, const char* subkey, uint32_t options,
                                uint32_t access, RegHandle& result) = 0;
  // data may be null to learn type and size; size is the buffer's size in
  // bytes on the way in and the data's size on the way out.
  virtual int32_t RegQueryValueExA(RegHandle key, const char* value_name, uint32_t& type,
                                   uint8_t* data, uint32_t& size) = 0;
  // The name of subkey `index` of key, NUL-terminated in `size` characters.
  virtual int32_t RegEnumKeyA(RegHandle key, uint32_t index, char* name, uint32_t size) = 0;
  virtual int32_t RegCloseKey(RegHandle key) = 0;
  virtual int32_t RegConnectRegistryA(const char* machine, RegHandle key, RegHandle& result) = 0;
  // Returns the number of characters written, without the final NUL.
  virtual uint32_t GetPrivateProfileStringA(const char* section, const char* key,
                                            const char* default_text, char* buffer, uint32_t size,
                                            const char* file) = 0;
  // kNoFileAttributes when the file is missing or out of reach.
  virtual uint32_t GetFileAttributesA(const char* path) = 0;
  virtual bool SetFileAttributesA(const char* path, uint32_t attributes) = 0;
};

// Owns one open key and closes it with RegCloseKey; the predefined
// HKEY_LOCAL_MACHINE is held like any key but never closed.
class RegKey {
 public:
  RegKey() = default;
  RegKey(RegistryApi& api, RegHandle handle, bool connected = false)
      : api_(&api), handle_(handle), connected_(connected) {}
  RegKey(RegKey&& o) noexcept
      : api_(o.api_), handle_(std::exchange(o.handle_, 0)), connected_(std::exchange(o.connected_, false)) {}
  RegKey& operator=(RegKey&& o) noexcept;
  RegKey(const RegKey&) = delete;
  RegKey& operator=(const RegKey&) = delete;
  ~RegKey() { reset(); }

  RegHandle get() const { return handle_; }
  // A machine root reached through RegConnectRegistry (a connection to this
  // machine's own name may hand back the predefined key itself).
  bool connected() const { return connected_; }
  explicit operator bool() const { return handle_ != 0; }
  void reset();

 private:
  RegistryApi* api_ = nullptr;
  RegHandle handle_ = 0;
  bool connected_ = false;
};

// Opens subkey under root with read access; the status of the open. On
// failure key is left as it was, as are the machine roots below.
int32_t OpenKey(RegistryApi& api, RegHandle root, const std::wstring& subkey, RegKey& key);

// The machine root of the computer a window shows: the predefined
// HKEY_LOCAL_MACHINE when Computer's Name and Domain are the DomainObject's
// ThisComputerName and ThisDomainName, otherwise a connection to the
// computer's registry under its Name exactly as given. A non-zero status means
// the registry is out of reach.
int32_t OpenMachineRoot(RegistryApi& api, const outside::Computer& computer,
                        const outside::DomainObject& domain_object, RegKey& root);
// The machine root the package reads use: always a connection, even to this
// machine.
int32_t ConnectMachineRoot(RegistryApi& api, const std::wstring& machine, RegKey& root);

// Reads one value of an open key. Text values (REG_SZ, REG_EXPAND_SZ, not
// expanded) lose their terminator, REG_DWORD becomes a 32-bit integer and
// REG_BINARY the text "{Binary}"; any other type gives kStatusNotHandled and
// leaves value as it was, as does a failure to learn the value's type. A
// failed read of the text makes value empty text. value_type, when given,
// receives the registry type whenever the type could be learned. A text value
// whose data size is 0 comes back as empty text.
int32_t QueryRegValue(RegistryApi& api, RegHandle key, const std::wstring& value_name,
                      Variant& value, uint32_t* value_type = nullptr);

// Reads one value of subkey under root into value, whose kind on entry
// chooses the value it is reset to when nothing is read: empty text for a
// text, false for a boolean, the 16-bit integer 0 for any other kind (Empty
// included). Text values come back without their terminator, REG_MULTI_SZ as
// its strings separated by single NULs; REG_DWORD as a 32-bit integer (data
// of another size as a 32-bit read of it gives: 234 and 0 for eight bytes);
// REG_BINARY and other types leave the reset value (status 234 when binary
// data is longer than 1024 bytes). A value whose data size is 0 comes back as
// empty text for a text type.
int32_t GetRegValue(RegistryApi& api, RegHandle root, const std::wstring& subkey,
                    const std::wstring& value_name, Variant& value);

// True exactly when subkey opens for reading under root.
bool RegKeyExists(RegistryApi& api, RegHandle root, const std::wstring& subkey);

// One string of an INI file. A key (or section) that is "NULL" in any case, or
// a single NUL character, is absent: without a key the result lists the
// section's key names, without both the file's section names, each followed by
// a NUL. The default is converted to text. Nothing is cut short, however long.
std::wstring ReadIniString(RegistryApi& api, const std::wstring& section, const std::wstring& key,
                           const Variant& default_value, const std::wstring& file_path);

}  // namespace pendrel::apps
