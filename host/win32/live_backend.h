// The live backend of the reference host: the machine and domain as the
// Windows network-management, time, registry, socket and connection APIs see
// them from this computer.
//
// Choices the host contract leaves open:
// - A computer whose name is this computer's own (NetBIOS or DNS host name)
//   is addressed locally: its registry through the predefined root keys.
// - A domain whose name is this computer's own, or its workgroup when it has
//   joined no domain, is its local account database.
// - Registry values: REG_SZ and REG_EXPAND_SZ (unexpanded) read as text,
//   REG_DWORD as a 32-bit integer, REG_MULTI_SZ as its strings joined by NUL
//   characters (as the component's own registry reader gives them), anything
//   else as bytes. Written: text as REG_SZ, integers as REG_DWORD, booleans as
//   the REG_DWORD 1 or 0 (the flags the logon extension reads), bytes as
//   REG_BINARY. Only a missing key or value gives the default; any other
//   failure (the computer cannot be reached, access denied) raises an Error
//   whose number is the HRESULT of the Win32 status.
// - This computer's time comes from its own clock and zone. A remote computer
//   that reports no zone gives the bias 9999 and tz 0, its time read as UTC.
// - Users are read at level 20 (name and full name); accounts of several
//   sessions are listed once among the logged-on users.
// - Wake-on-LAN goes to UDP port 9 of the limited broadcast address, or to the
//   IPv4 "address[:port]" in the environment variable PENDREL_WAKE_TARGET
//   (test builds only, PENDREL_TEST_SEAMS).
#pragma once

#include <memory>

#include "host/backend.h"

namespace pendrel::host {

std::unique_ptr<DomainBackend> make_live_domain();

}  // namespace pendrel::host
