// Inside the ODBC binding's sources only: the ODBC headers, handle ownership
// and the one checked path every ODBC call takes.
#pragma once

#ifdef _WIN32
#include "platform/win32/odbc_headers.h"
#else
#include <sql.h>
#include <sqlext.h>
#endif

#include <memory>
#include <string>
#include <string_view>
#include <utility>

#include "database/database.h"
#include "database/odbc_connection.h"

namespace pendrel::database::odbc {

// One owner per ODBC handle; freeing a statement also closes its cursor.
template <SQLSMALLINT Type>
class unique_handle {
 public:
  unique_handle() = default;
  unique_handle(const unique_handle&) = delete;
  unique_handle& operator=(const unique_handle&) = delete;
  unique_handle(unique_handle&& other) noexcept : handle_(other.release()) {}
  unique_handle& operator=(unique_handle&& other) noexcept {
    reset(other.release());
    return *this;
  }
  ~unique_handle() { reset(); }

  SQLHANDLE get() const { return handle_; }
  SQLHANDLE release() {
    SQLHANDLE h = handle_;
    handle_ = SQL_NULL_HANDLE;
    return h;
  }
  void reset(SQLHANDLE h = SQL_NULL_HANDLE) {
    if (handle_ != SQL_NULL_HANDLE) SQLFreeHandle(Type, handle_);
    handle_ = h;
  }
  explicit operator bool() const { return handle_ != SQL_NULL_HANDLE; }

 private:
  SQLHANDLE handle_ = SQL_NULL_HANDLE;
};

using unique_henv = unique_handle<SQL_HANDLE_ENV>;
using unique_hdbc = unique_handle<SQL_HANDLE_DBC>;
using unique_hstmt = unique_handle<SQL_HANDLE_STMT>;

// A connected connection handle: it disconnects before it is freed, since
// the driver manager refuses to free a handle that is still connected (and
// the connection, its file or its server session, would stay open).
class connected_hdbc {
 public:
  connected_hdbc() = default;
  explicit connected_hdbc(unique_hdbc dbc) : dbc_(std::move(dbc)) {}
  connected_hdbc(connected_hdbc&&) noexcept = default;
  connected_hdbc& operator=(connected_hdbc&& other) noexcept {
    disconnect_ignoring_errors();
    dbc_ = std::move(other.dbc_);
    return *this;
  }
  ~connected_hdbc() { disconnect_ignoring_errors(); }

  SQLHANDLE get() const { return dbc_.get(); }
  explicit operator bool() const { return static_cast<bool>(dbc_); }
  // Disconnects with the error checked; the handle is freed either way.
  void disconnect();

 private:
  // Nothing can be reported from a destructor, and a failed disconnect
  // leaves nothing this object could retry.
  void disconnect_ignoring_errors() {
    if (dbc_) static_cast<void>(SQLDisconnect(dbc_.get()));
  }

  unique_hdbc dbc_;
};

// The result of every ODBC call passes here: success, success with
// information and "no data" come back; anything else throws the Error built
// from the handle's diagnostic records.
SQLRETURN checked(SQLRETURN rc, SQLSMALLINT handle_type, SQLHANDLE handle, const wchar_t* call);

// ODBC's wide text is UTF-16; wchar_t is 32-bit outside Windows. to_sql
// raises an Error for text that is not Unicode (odbc_text.h).
using sql_string = std::basic_string<SQLWCHAR>;
sql_string to_sql(std::wstring_view text);
std::wstring from_sql(const SQLWCHAR* text, size_t length);

unique_hstmt new_statement(SQLHANDLE dbc);

// What an open OdbcConnection holds.
struct OpenHandles {
  unique_henv env;  // freed after the connection made in it
  connected_hdbc dbc;
};

std::shared_ptr<Recordset> make_recordset();

}  // namespace pendrel::database::odbc
