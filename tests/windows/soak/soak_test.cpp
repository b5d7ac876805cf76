// Create / Show / Quit / release cycles of each of the three classes in one
// process, as a console that opens property windows all day does, over the
// reference host's fixture objects: PENDREL_SOAK_CYCLES of them (100 unless
// set; `./pendrel soak` runs 1,000). What the process holds must stay flat, no
// window may outlive its object, and the DLL must be free to unload at the end.
//
// Counts, as Wine keeps them (Wine 8 answers neither GetGuiResources nor
// GetProcessHandleCount): the process's windows stand for its USER objects,
// the live entries of its GDI handle table (PEB GdiSharedHandleTable, which
// Wine keeps per process) for its GDI objects, and its entries in the system
// handle list for its handles.
#include <windows.h>
#include <winternl.h>

#include <cstdio>
#include <cstdlib>
#include <utility>
#include <vector>

#include "support.h"

namespace pendrel::win32::testing {
namespace {

constexpr int kDefaultCycles = 100;
// Objects a Wine process makes once on first use (caches, fonts, atoms) may
// still appear after the first cycles.
constexpr long kTolerance = 8;
constexpr const wchar_t* kClasses[] = {L"Pendrel.Properties", L"Pendrel.LogonProperties",
                                       L"Pendrel.UnavailableProperties"};

BOOL CALLBACK count_window(HWND window, LPARAM count) {
  ++*reinterpret_cast<long*>(count);
  EnumChildWindows(window, count_window, count);
  return TRUE;
}

BOOL CALLBACK count_process_window(HWND window, LPARAM count) {
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  if (process == GetCurrentProcessId()) count_window(window, count);
  return TRUE;
}

long user_objects() {
  long windows = 0;
  EnumWindows(count_process_window, reinterpret_cast<LPARAM>(&windows));
  return windows;
}

// One entry of the GDI handle table the PEB points to.
struct GdiHandleEntry {
  UINT64 object;
  ULONG owner;
  USHORT unique;
  UCHAR type;
  UCHAR flags;
  UINT64 user_pointer;
};
constexpr size_t kGdiHandles = 16384;
constexpr size_t kPebGdiSharedHandleTable = 0xF8;

long gdi_objects() {
  const auto* peb = reinterpret_cast<const BYTE*>(NtCurrentTeb()->ProcessEnvironmentBlock);
  const auto* table = *reinterpret_cast<const GdiHandleEntry* const*>(peb + kPebGdiSharedHandleTable);
  if (!table) return -1;
  long live = 0;
  for (size_t i = 0; i < kGdiHandles; ++i) live += table[i].type != 0;
  return live;
}

struct SystemHandle {
  ULONG owner;
  BYTE type;
  BYTE flags;
  USHORT handle;
  PVOID object;
  ACCESS_MASK access;
};
struct SystemHandles {
  ULONG count;
  SystemHandle handles[1];
};
constexpr ULONG kSystemHandleInformation = 16;
constexpr NTSTATUS kInfoLengthMismatch = static_cast<NTSTATUS>(0xC0000004);

long process_handles() {
  using Query = NTSTATUS(NTAPI*)(ULONG, PVOID, ULONG, PULONG);
  const auto query = reinterpret_cast<Query>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation")));
  std::vector<BYTE> buffer(1 << 16);
  ULONG size = 0;
  NTSTATUS status;
  while ((status = query(kSystemHandleInformation, buffer.data(), static_cast<ULONG>(buffer.size()), &size)) ==
         kInfoLengthMismatch) {
    buffer.resize(buffer.size() * 2);
  }
  if (status != 0) return -1;
  const auto* list = reinterpret_cast<const SystemHandles*>(buffer.data());
  long ours = 0;
  for (ULONG i = 0; i < list->count; ++i) ours += list->handles[i].owner == GetCurrentProcessId();
  return ours;
}

struct Counts {
  long user, gdi, handles;
};

Counts counts() { return {user_objects(), gdi_objects(), process_handles()}; }

// Top-level windows of pendrel.dll on this thread.
long our_windows(HMODULE pendrel) {
  std::pair<HMODULE, long> search{pendrel, 0};
  const auto count = [](HWND window, LPARAM param) CALLBACK -> BOOL {
    auto& [module, found] = *reinterpret_cast<std::pair<HMODULE, long>*>(param);
    found += reinterpret_cast<HMODULE>(GetWindowLongPtrW(window, GWLP_HINSTANCE)) == module;
    return TRUE;
  };
  EnumThreadWindows(GetCurrentThreadId(), count, reinterpret_cast<LPARAM>(&search));
  return search.second;
}

void cycle(const wchar_t* prog_id, const DispatchPtr& domain, const DispatchPtr& computer, HMODULE& pendrel) {
  show_form(prog_id, domain, computer)->call(L"Quit");
  pump();
  if (!pendrel) pendrel = GetModuleHandleW(L"pendrel.dll");
  ASSERT_EQ(our_windows(pendrel), 0) << to_ansi(prog_id) << ": a window outlived its object";
}

int cycles() {
  const char* set = std::getenv("PENDREL_SOAK_CYCLES");
  return set && std::atoi(set) > 0 ? std::atoi(set) : kDefaultCycles;
}

void print(int at, const Counts& c) {
  std::printf("after %4d cycles: USER %ld, GDI %ld, handles %ld\n", at, c.user, c.gdi, c.handles);
  std::fflush(stdout);
}

TEST(Soak, CyclesOfEachClassLeaveNothingBehind) {
  const int n = cycles();
  ComApartment apartment;
  HMODULE pendrel = nullptr;
  Counts start{};
  {
    const auto [domain, computer] = fixture_host(PENDREL_FIXTURE);
    ASSERT_TRUE(computer);
    // What the first cycle makes once (window classes, common controls, fonts).
    for (const wchar_t* prog_id : kClasses) ASSERT_NO_FATAL_FAILURE(cycle(prog_id, domain, computer, pendrel));
    start = counts();
    print(0, start);
    for (int i = 1; i <= n; ++i) {
      for (const wchar_t* prog_id : kClasses) ASSERT_NO_FATAL_FAILURE(cycle(prog_id, domain, computer, pendrel));
      if (i % 100 == 0 && i < n) print(i, counts());
    }
  }
  pump();
  const Counts end = counts();
  print(n, end);
  EXPECT_LE(std::labs(end.user - start.user), kTolerance);
  EXPECT_LE(std::labs(end.gdi - start.gdi), kTolerance);
  EXPECT_LE(std::labs(end.handles - start.handles), kTolerance);

  ASSERT_TRUE(pendrel);
  const auto can_unload = reinterpret_cast<HRESULT(STDAPICALLTYPE*)()>(
      reinterpret_cast<void*>(GetProcAddress(pendrel, "DllCanUnloadNow")));
  ASSERT_TRUE(can_unload);
  EXPECT_EQ(can_unload(), S_OK);
}

}  // namespace
}  // namespace pendrel::win32::testing
