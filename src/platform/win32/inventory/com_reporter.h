// A worker's way to reports through COM: its own single-threaded apartment,
// its own reference host objects created by ProgID and opened as a console
// script opens them, and a new Pendrel.Properties per computer, whose
// Report gives the computer's JSON.
#pragma once

#include <string>

#include "core/dispatch.h"
#include "inventory/options.h"
#include "inventory/run.h"

namespace pendrel::win32 {

// CoInitializeEx for the thread's lifetime; raises the HRESULT as an Error.
class ComApartment {
 public:
  ComApartment();
  ~ComApartment();
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;
};

// A registered class by ProgID, through its IDispatch.
DispatchPtr create_by_prog_id(const std::wstring& prog_id);

// Loads the servers of the reporters' classes on the calling thread (in its
// apartment, which must outlive the workers), so that the workers neither
// load them at the same time nor unload them as each leaves its apartment:
// under Wine (8.0) threads loading and unloading pendrel.dll at once through
// COM can deadlock in the loader. A class that cannot be loaded is left to
// each worker's report.
void load_servers();

class ComReporter : public inventory::Reporter {
 public:
  explicit ComReporter(const inventory::Options& options);
  ~ComReporter() override;
  std::string report(const std::wstring& computer) override;

 private:
  ComApartment apartment_;  // first in, last out: the objects below go before it
  inventory::Options options_;
  DispatchPtr domain_;
};

}  // namespace pendrel::win32
