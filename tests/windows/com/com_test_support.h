// Shared by the COM layer's Windows tests.
#pragma once

#include <ostream>

#include "core/variant.h"
#include "fake_dispatch.h"
#include "pendrel_probe.h"
#include "support.h"

namespace pendrel {
// Readable failure messages: kind index and the value as the fakes show it.
inline void PrintTo(const Variant& v, std::ostream* os) {
  *os << "kind " << static_cast<int>(v.kind()) << " " << to_ansi(fakes::CallLog::describe(v));
}
}  // namespace pendrel

namespace pendrel::win32::testing {

inline com_ptr<IDispatch> create_probe() { return create_dispatch(L"PendrelProbe.Probe"); }

}  // namespace pendrel::win32::testing
