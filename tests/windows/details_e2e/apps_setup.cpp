// Gives this machine what the details window's applications and work groups
// tabs read on a managed computer: a small product hive in the Windows
// directory, the machine settings and the machine and hardware configuration
// files, with this machine's own computer name as the managed computer (Wine
// connects a registry only to its own name). Prints that name.
//   details_apps_setup
#include <windows.h>

#include <cstdio>
#include <string>

#include "core/error.h"
#include "product_hive.h"

namespace {

namespace fx = pendrel::fixtures;

void make_folder(const std::wstring& folder) {
  if (!CreateDirectoryW(folder.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
    throw pendrel::Error(static_cast<long>(GetLastError()), L"Cannot make " + folder);
  }
}

}  // namespace

int wmain() {
  try {
    wchar_t name[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
    if (!GetComputerNameW(name, &size)) throw pendrel::Error(static_cast<long>(GetLastError()), L"GetComputerName");
    const std::wstring windows = fx::WindowsDirectory();
    // A folder of its own, an operating-system key below MachInst, a package
    // without a version and one marked for re-installation.
    fx::SaveProductHive({{L"Office\\MachInst\\Word97", L"Microsoft Word 97", L"8.0", L"1999-03-02", L"1998-11-20"},
                         {L"Office\\MachInst\\NT4\\Excel97", L"Microsoft Excel 97", L"8.0a", L"1999-03-03",
                          L"1998-12-01", true},
                         {L"Utilities\\MachInst\\WinZip", L"WinZip", L"", L"2000-01-10", L"1999-10-05"}},
                        windows + L"\\system32\\system.dbx");
    const std::wstring config = windows.substr(0, 2) + L"\\Quillmark";
    make_folder(config);
    make_folder(config + L"\\Config");
    fx::SetMachineSettings(L"QM\\", config + L"\\Config");
    fx::WriteMachineConfig(config + L"\\Config", name, L"Desk", L"Sales Workstations,,Lab, Lab",
                           {{L"CPUMAKE", L"Intel"},
                            {L"CPUMODEL", L"Pentium"},
                            {L"CPUSERIES", L"III"},
                            {L"NIC", L"3C905"},
                            {L"VideoDriver", L"ati"}});
    std::wprintf(L"%ls\n", name);
    return 0;
  } catch (const pendrel::Error& e) {
    std::fwprintf(stderr, L"details_apps_setup: %ls (error %ld)\n", e.description().c_str(),
                  static_cast<long>(e.number()));
    return 1;
  }
}
