// The management database over ODBC (unixODBC natively, odbc32 on Windows):
// the objects that CreateObject("ADODB.Connection") and
// CreateObject("ADODB.Recordset") stand for.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "database/database.h"

namespace pendrel::database {
namespace odbc {

// The environment and connection handles of an open connection; only the
// binding's sources see the ODBC headers that define them.
struct OpenHandles;

class OdbcConnection : public Connection {
 public:
  OdbcConnection();
  // Disconnects an open connection.
  ~OdbcConnection() override;

  int32_t CursorLocation() const override { return cursor_location_; }
  void set_CursorLocation(int32_t location) override;
  const std::wstring& ConnectionString() const override { return connection_string_; }
  void set_ConnectionString(std::wstring text) override;
  void Open() override;
  void Close() override;
  int32_t State() const override { return open_ ? kAdStateOpen : kAdStateClosed; }
  std::shared_ptr<Recordset> OpenRecordset(std::wstring_view source) override;

  // Runs a statement that gives no rows (INSERT, UPDATE, DELETE), as the
  // text stands, and gives the rows it affected (-1 when the driver cannot
  // tell). A driver that counts no rows for RETURNING or a trigger cannot
  // serve OpenRecordset for such a statement.
  int64_t Execute(std::wstring_view sql);

  // The open connection's handles; error 3709 when closed.
  const OpenHandles& handles() const;

  std::weak_ptr<OdbcConnection> self;

 private:
  int32_t cursor_location_ = 2;  // adUseServer until told otherwise, as ADO starts
  std::wstring connection_string_;
  std::unique_ptr<OpenHandles> open_;  // none while closed
};

}  // namespace odbc

class OdbcObjects : public DatabaseObjects {
 public:
  std::shared_ptr<Connection> CreateConnection() override;
  std::shared_ptr<Recordset> CreateRecordset() override;
};

}  // namespace pendrel::database
