// The echo transport of Ping1 on Windows: names resolve through getaddrinfo
// (IPv4, the canonical name as full name), echo requests go out through the
// ICMP helper API of iphlpapi.dll.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "details/ping_object.h"
#include "platform/win32/details/winsock.h"

namespace pendrel::win32 {

class Win32EchoTransport final : public details::EchoTransport {
 public:
  // Windows Sockets and the ICMP handle are opened on first use, so a window
  // that never pings opens neither.
  std::optional<details::ResolvedHost> resolve(const std::wstring& host) override;
  // The status of an outcome other than a reply is its IP_STATUS code
  // (11010 for a time-out); a failure to open the ICMP handle or to read the
  // address reports the Windows error code.
  details::EchoResult echo(const std::wstring& address, uint32_t timeout_ms) override;

 private:
  std::optional<WinsockSession> winsock_;
  unique_icmp_handle icmp_;
};

}  // namespace pendrel::win32
