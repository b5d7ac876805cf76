// Turning ODBC diagnostic records into the library's error; free of the ODBC
// headers so that the mapping can be tested with records made up by a test.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/error.h"

namespace pendrel::database {

struct Diagnostic {
  std::wstring state;  // the five-character SQLSTATE
  int32_t native = 0;
  std::wstring message;
};

// What a client of ADO over ODBC sees for a failed call: E_FAIL with the text
// of the first record. A record with SQLSTATE 01S00 anywhere makes the
// description exactly "Invalid connection string attribute", the text the
// load's connection repair looks for.
Error error_from_diagnostics(const std::vector<Diagnostic>& records, std::wstring_view call);

inline constexpr int32_t kEFail = static_cast<int32_t>(0x80004005);

// ADO's errors of the recordset and connection objects.
Error no_current_record();        // 3021
Error item_not_found();           // 3265
Error object_closed();            // 3704
Error object_open();              // 3705
Error connection_not_usable();    // 3709

}  // namespace pendrel::database
