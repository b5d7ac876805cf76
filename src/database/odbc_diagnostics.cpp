#include "database/odbc_diagnostics.h"

namespace pendrel::database {

Error error_from_diagnostics(const std::vector<Diagnostic>& records, std::wstring_view call) {
  for (const Diagnostic& record : records) {
    if (record.state == L"01S00") return Error(kEFail, L"Invalid connection string attribute");
  }
  if (records.empty()) return Error(kEFail, std::wstring(call) + L" failed without diagnostics");
  return Error(kEFail, records.front().message);
}

Error no_current_record() {
  return Error(3021,
               L"Either BOF or EOF is True, or the current record has been deleted. Requested "
               L"operation requires a current record.");
}

Error item_not_found() {
  return Error(3265,
               L"Item cannot be found in the collection corresponding to the requested name or "
               L"ordinal.");
}

Error object_closed() { return Error(3704, L"Operation is not allowed when the object is closed."); }

Error object_open() { return Error(3705, L"Operation is not allowed when the object is open."); }

Error connection_not_usable() {
  return Error(3709,
               L"The connection cannot be used to perform this operation. It is either closed or "
               L"invalid in this context.");
}

}  // namespace pendrel::database
