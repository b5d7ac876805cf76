// The exports of tavisk.dll. Texts are NUL-terminated ANSI; every function
// returns a Win32 status, 0 meaning success.
#pragma once

#include <windows.h>

#include <cstdint>

extern "C" {

// Finds the account at the console of server ("\\name", "name" or empty for
// this computer). On success user gets the account name and account gets
// "AUTHORITY\account", each cut to 49 characters and a NUL: nothing is
// written past 50 characters of either buffer. On failure both are untouched.
//
// Where the console user comes from, in this order:
//  - in test builds (PENDREL_TEST_SEAMS), the environment variable
//    PENDREL_TAVISK_CONSOLE_USER ("AUTHORITY\account") of the calling
//    process, for any server: tests use it to stand in for the
//    console of the computer asked about; set but empty means "nobody at the
//    console" (1312);
//  - this computer: the user this process runs as, with the authority that
//    LookupAccountName gives for it (this computer's name when it gives none);
//  - another computer: its remote registry values DefaultDomainName and
//    DefaultUserName under SOFTWARE\Microsoft\Windows NT\CurrentVersion\Winlogon
//    (the last interactive logon); the connection's status when it fails.
int32_t WINAPI NetGetInteractiveUser(const char* server, char* user, char* account);

// Mounts hive_file (a path on that computer) as key under root of machine
// (empty for this computer, else its name, with or without a leading "\\").
// A failed mount leaves no key that was not there before.
int32_t WINAPI NetRegLoadKey(const char* machine, int32_t root, const char* key,
                             const char* hive_file);

// Unmounts key under root of machine; fails with 5 while a handle to it is open.
int32_t WINAPI NetRegUnLoadKey(const char* machine, int32_t root, const char* key);
}
