// The ODBC headers as the Windows build takes them: mingw-w64's sql.h uses
// <windows.h>'s types (HWND, WCHAR ...) without including it. The ODBC binding
// of src/database includes this instead, so <windows.h> stays in this folder.
#pragma once

#include <windows.h>

#include <sql.h>
#include <sqlext.h>
