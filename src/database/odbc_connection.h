// The management database over ODBC (unixODBC natively, odbc32 on Windows):
// the objects that CreateObject("ADODB.Connection") and
// CreateObject("ADODB.Recordset") stand for.
#pragma once

#include <memory>

#include "database/database.h"

namespace pendrel::database {

class OdbcObjects : public DatabaseObjects {
 public:
  std::shared_ptr<Connection> CreateConnection() override;
  std::shared_ptr<Recordset> CreateRecordset() override;
};

}  // namespace pendrel::database
