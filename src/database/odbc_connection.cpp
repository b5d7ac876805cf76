#include "database/odbc_connection.h"

#include <vector>

#include "database/odbc_api.h"
#include "database/odbc_diagnostics.h"
#include "database/odbc_text.h"

namespace pendrel::database {
namespace odbc {

sql_string to_sql(std::wstring_view text) {
  const std::u16string units = to_utf16(text);
  return sql_string(units.begin(), units.end());
}

std::wstring from_sql(const SQLWCHAR* text, size_t length) {
  return from_utf16(text, length);
}

SQLRETURN checked(SQLRETURN rc, SQLSMALLINT handle_type, SQLHANDLE handle, const wchar_t* call) {
  if (rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO || rc == SQL_NO_DATA) return rc;
  std::vector<Diagnostic> records;
  if (handle != SQL_NULL_HANDLE) {
    for (SQLSMALLINT i = 1;; ++i) {
      SQLWCHAR state[6] = {};
      SQLINTEGER native = 0;
      SQLWCHAR message[1024] = {};
      SQLSMALLINT length = 0;
      SQLRETURN d = SQLGetDiagRecW(handle_type, handle, i, state, &native, message,
                                   static_cast<SQLSMALLINT>(std::size(message)), &length);
      if (d != SQL_SUCCESS && d != SQL_SUCCESS_WITH_INFO) break;
      size_t used = std::min<size_t>(static_cast<size_t>(length), std::size(message) - 1);
      records.push_back({from_sql(state, 5), static_cast<int32_t>(native), from_sql(message, used)});
    }
  }
  throw error_from_diagnostics(records, call);
}

void connected_hdbc::disconnect() {
  unique_hdbc dbc = std::move(dbc_);
  checked(SQLDisconnect(dbc.get()), SQL_HANDLE_DBC, dbc.get(), L"SQLDisconnect");
}

unique_hstmt new_statement(SQLHANDLE dbc) {
  SQLHANDLE stmt = SQL_NULL_HANDLE;
  checked(SQLAllocHandle(SQL_HANDLE_STMT, dbc, &stmt), SQL_HANDLE_DBC, dbc, L"SQLAllocHandle");
  unique_hstmt owned;
  owned.reset(stmt);
  return owned;
}

OdbcConnection::OdbcConnection() = default;
OdbcConnection::~OdbcConnection() = default;

void OdbcConnection::set_CursorLocation(int32_t location) { cursor_location_ = location; }

void OdbcConnection::set_ConnectionString(std::wstring text) {
  if (open_) throw object_open();
  connection_string_ = std::move(text);
}

void OdbcConnection::Open() {
  if (open_) throw object_open();
  auto handles = std::make_unique<OpenHandles>();
  SQLHANDLE h = SQL_NULL_HANDLE;
  checked(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &h), SQL_HANDLE_ENV, SQL_NULL_HANDLE,
          L"SQLAllocHandle");
  handles->env.reset(h);
  SQLHANDLE env = handles->env.get();
  checked(SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0),
          SQL_HANDLE_ENV, env, L"SQLSetEnvAttr");
  unique_hdbc dbc;
  checked(SQLAllocHandle(SQL_HANDLE_DBC, env, &h), SQL_HANDLE_ENV, env, L"SQLAllocHandle");
  dbc.reset(h);
  sql_string text = to_sql(connection_string_);
  SQLWCHAR completed[1024];
  SQLSMALLINT completed_length = 0;
  checked(SQLDriverConnectW(dbc.get(), nullptr, text.data(), static_cast<SQLSMALLINT>(text.size()),
                            completed, static_cast<SQLSMALLINT>(std::size(completed)),
                            &completed_length, SQL_DRIVER_NOPROMPT),
          SQL_HANDLE_DBC, dbc.get(), L"SQLDriverConnect");
  handles->dbc = connected_hdbc(std::move(dbc));
  open_ = std::move(handles);
}

void OdbcConnection::Close() {
  if (!open_) throw object_closed();
  // Closed even when the disconnect fails: the handles go with this local.
  std::unique_ptr<OpenHandles> handles = std::move(open_);
  handles->dbc.disconnect();
}

const OpenHandles& OdbcConnection::handles() const {
  if (!open_) throw connection_not_usable();
  return *open_;
}

std::shared_ptr<Recordset> OdbcConnection::OpenRecordset(std::wstring_view source) {
  if (!open_) throw object_closed();
  std::shared_ptr<Recordset> recordset = make_recordset();
  recordset->set_ActiveConnection(self.lock());
  recordset->set_CursorLocation(kAdUseClient);
  recordset->set_Source(std::wstring(source));
  recordset->Open();
  return recordset;
}

}  // namespace odbc

std::shared_ptr<Connection> OdbcObjects::CreateConnection() {
  auto connection = std::make_shared<odbc::OdbcConnection>();
  connection->self = connection;
  return connection;
}

std::shared_ptr<Recordset> OdbcObjects::CreateRecordset() { return odbc::make_recordset(); }

}  // namespace pendrel::database
