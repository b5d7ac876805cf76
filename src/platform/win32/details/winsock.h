// RAII owners for Windows Sockets and the ICMP helper API.
#pragma once

#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>
#include <iphlpapi.h>
#include <icmpapi.h>

#include "platform/win32/handles.h"

namespace pendrel::win32 {

// One WSAStartup, ended by WSACleanup. Raises an Error with the Windows
// Sockets code when the library cannot start.
class WinsockSession {
 public:
  WinsockSession();
  WinsockSession(const WinsockSession&) = delete;
  WinsockSession& operator=(const WinsockSession&) = delete;
  ~WinsockSession();
};

// An ICMP handle; IcmpCreateFile fails with INVALID_HANDLE_VALUE, which the
// caller keeps out of it, so null is the empty handle here as elsewhere.
using unique_icmp_handle = unique_handle<HANDLE, IcmpCloseHandle>;
// The list getaddrinfo hands back.
using unique_addrinfo = unique_handle<ADDRINFOW*, FreeAddrInfoW>;

}  // namespace pendrel::win32
