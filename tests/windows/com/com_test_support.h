// Shared by the COM layer's Windows tests.
#pragma once

#include <windows.h>
#include <objbase.h>

#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "core/text.h"
#include "core/variant.h"
#include "fake_dispatch.h"
#include "../server_checks.h"
#include "pendrel_probe.h"
#include "platform/win32/com_ptr.h"

namespace pendrel {
// Readable failure messages: kind index and the value as the fakes show it.
inline void PrintTo(const Variant& v, std::ostream* os) {
  *os << "kind " << static_cast<int>(v.kind()) << " " << to_ansi(fakes::CallLog::describe(v));
}
}  // namespace pendrel

namespace pendrel::win32::testing {

// A new Probe, created the way a script does: by its ProgID.
inline com_ptr<IDispatch> create_probe() {
  CLSID clsid{};
  HRESULT hr = CLSIDFromProgID(L"PendrelProbe.Probe", &clsid);
  EXPECT_EQ(hr, S_OK) << "PendrelProbe.Probe is not registered";
  com_ptr<IDispatch> probe;
  hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, probe.put_void());
  EXPECT_EQ(hr, S_OK) << std::hex << "CoCreateInstance hr " << hr;
  return probe;
}

inline std::wstring probe_path() { return beside_exe(L"pendrelprobe.dll"); }

}  // namespace pendrel::win32::testing
