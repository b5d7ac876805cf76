#include "outside/tavisk.h"

#include <array>

#include "core/text.h"

namespace pendrel {

int32_t RawTavisk::NetGetInteractiveUser(std::wstring_view server, std::wstring& user,
                                         std::wstring& account) {
  const std::string ansi_server = to_ansi(server);
  std::array<char, kTaviskBufferSize> user_buffer{};
  std::array<char, kTaviskBufferSize> account_buffer{};
  const int32_t status =
      entry_.NetGetInteractiveUser(ansi_server.c_str(), user_buffer.data(), account_buffer.data());
  user = from_ansi_buffer(user_buffer.data(), user_buffer.size());
  account = from_ansi_buffer(account_buffer.data(), account_buffer.size());
  return status;
}

int32_t RawTavisk::NetRegLoadKey(std::wstring_view machine, int32_t root, std::wstring_view key,
                                 std::wstring_view hive_file) {
  return entry_.NetRegLoadKey(to_ansi(machine).c_str(), root, to_ansi(key).c_str(),
                              to_ansi(hive_file).c_str());
}

int32_t RawTavisk::NetRegUnLoadKey(std::wstring_view machine, int32_t root,
                                   std::wstring_view key) {
  return entry_.NetRegUnLoadKey(to_ansi(machine).c_str(), root, to_ansi(key).c_str());
}

}  // namespace pendrel
