// The three calls of the Tavisk remote administration library as the windows
// make them: wide text here, NUL-terminated ANSI text at the library's entry
// points, a 32-bit status with 0 meaning success.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace pendrel {

// The root key every caller passes: HKEY_LOCAL_MACHINE as a 32-bit integer.
inline constexpr int32_t kTaviskLocalMachine = static_cast<int32_t>(0x80000002u);

// Size of each of the two buffers NetGetInteractiveUser writes into.
inline constexpr std::size_t kTaviskBufferSize = 50;

class Tavisk {
 public:
  virtual ~Tavisk() = default;

  // The account at the console of server ("\\" + computer name). user gets
  // the text of the library's second buffer, non-empty when a console user
  // was found; account that of the third: authority, backslash, account name.
  // Both are assigned after every call, whatever the status, because callers
  // read the buffers without looking at the status.
  virtual int32_t NetGetInteractiveUser(std::wstring_view server, std::wstring& user,
                                        std::wstring& account) = 0;

  // Mounts hive_file (a path on machine's own disks) as key under machine's
  // root key.
  virtual int32_t NetRegLoadKey(std::wstring_view machine, int32_t root, std::wstring_view key,
                                std::wstring_view hive_file) = 0;

  // Unmounts what NetRegLoadKey mounted.
  virtual int32_t NetRegUnLoadKey(std::wstring_view machine, int32_t root,
                                  std::wstring_view key) = 0;
};

// The library's functions are stdcall, as Windows' own are: on x86 the
// called function takes its arguments off the stack, so a pointer to it must
// say so. Other targets have one convention.
#if defined(_WIN32) && (defined(__i386__) || defined(_M_IX86))
#define PENDREL_TAVISK_CALL __stdcall
#else
#define PENDREL_TAVISK_CALL
#endif

// The library's exported functions as plain function pointers.
struct TaviskEntryPoints {
  int32_t(PENDREL_TAVISK_CALL* NetGetInteractiveUser)(const char* server, char* user, char* account);
  int32_t(PENDREL_TAVISK_CALL* NetRegLoadKey)(const char* machine, int32_t root, const char* key,
                                              const char* hive_file);
  int32_t(PENDREL_TAVISK_CALL* NetRegUnLoadKey)(const char* machine, int32_t root, const char* key);
};

// Tavisk over its raw entry points: texts go in converted to the ANSI code
// page; NetGetInteractiveUser gets two buffers of kTaviskBufferSize characters
// filled with NUL, and only the text before the first NUL of each (or the
// whole buffer when it holds none) comes back.
class RawTavisk : public Tavisk {
 public:
  explicit RawTavisk(const TaviskEntryPoints& entry_points) : entry_(entry_points) {}

  int32_t NetGetInteractiveUser(std::wstring_view server, std::wstring& user,
                                std::wstring& account) override;
  int32_t NetRegLoadKey(std::wstring_view machine, int32_t root, std::wstring_view key,
                        std::wstring_view hive_file) override;
  int32_t NetRegUnLoadKey(std::wstring_view machine, int32_t root,
                          std::wstring_view key) override;

 private:
  TaviskEntryPoints entry_;
};

}  // namespace pendrel
