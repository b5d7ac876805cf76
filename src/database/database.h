// The management database as the details window reaches it: one connection
// object that offers both access styles the window uses (the ADO style of
// GetRecordset and the navigational style of OpenRecordset), with client-side
// recordsets whose rows are fetched once. The ODBC implementation lives in
// odbc_*.h; tests may put fakes behind these interfaces.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "core/error.h"
#include "core/variant.h"

// <cstdio> (pulled in by <string>) defines EOF, which would replace the name of
// the recordset member below; code that wants the C constant uses
// std::char_traits<char>::eof().
#undef EOF

namespace pendrel::database {

// ADO's values for the settings the window uses.
inline constexpr int32_t kAdUseClient = 3;
inline constexpr int32_t kAdOpenKeyset = 1;
inline constexpr int32_t kAdLockOptimistic = 3;
inline constexpr int32_t kAdStateClosed = 0;
inline constexpr int32_t kAdStateOpen = 1;

class Connection;

class Field {
 public:
  virtual ~Field() = default;
  virtual const std::wstring& Name() const = 0;
  virtual Variant Value() const = 0;
  // Changes the current row's value; Update writes it back.
  virtual void set_Value(Variant value) = 0;
};

class Recordset {
 public:
  virtual ~Recordset() = default;

  // ADO style.
  virtual void set_ActiveConnection(std::shared_ptr<Connection> connection) = 0;
  virtual int32_t CursorLocation() const = 0;
  virtual void set_CursorLocation(int32_t location) = 0;
  virtual int32_t CursorType() const = 0;
  virtual void set_CursorType(int32_t type) = 0;
  virtual int32_t LockType() const = 0;
  virtual void set_LockType(int32_t type) = 0;
  virtual const std::wstring& Source() const = 0;
  virtual void set_Source(std::wstring source) = 0;
  virtual void Open() = 0;
  virtual int32_t State() const = 0;
  virtual int32_t RecordCount() const = 0;
  virtual void Close() = 0;
  // Writes the changed fields of the current row back (optimistic: a row that
  // changed underneath raises an error and nothing is written).
  virtual void Update() = 0;

  // Navigational style.
  virtual void MoveFirst() = 0;
  virtual void MoveNext() = 0;
  virtual bool EOF() const = 0;
  // Criteria of the form [field]='value' (quotes inside the value doubled);
  // moves to the first matching row, NoMatch tells whether there was none.
  virtual void FindFirst(std::wstring_view criteria) = 0;
  virtual bool NoMatch() const = 0;
  // The field of the current row by name; unknown names raise an error.
  virtual Field& Fields(std::wstring_view name) = 0;
  // The default member: the field's value.
  Variant operator[](std::wstring_view name) { return Fields(name).Value(); }
};

class Connection {
 public:
  virtual ~Connection() = default;

  virtual int32_t CursorLocation() const = 0;
  virtual void set_CursorLocation(int32_t location) = 0;
  virtual const std::wstring& ConnectionString() const = 0;
  virtual void set_ConnectionString(std::wstring text) = 0;
  virtual void Open() = 0;
  virtual void Close() = 0;
  virtual int32_t State() const = 0;

  // The navigational style: an open recordset over a query text or a view or
  // query name.
  virtual std::shared_ptr<Recordset> OpenRecordset(std::wstring_view source) = 0;
};

// What CreateObject("ADODB.Connection") and CreateObject("ADODB.Recordset")
// stand for; either may fail with an Error.
class DatabaseObjects {
 public:
  virtual ~DatabaseObjects() = default;
  virtual std::shared_ptr<Connection> CreateConnection() = 0;
  virtual std::shared_ptr<Recordset> CreateRecordset() = 0;
};

// The object behind a reference; VB raises 91 when a member of Nothing is used.
template <class T>
T& deref(const std::shared_ptr<T>& object) {
  if (!object) throw Error::vb(vb_error::kObjectVariableNotSet);
  return *object;
}

// A value inserted between single quotes of a query text, its quotes doubled.
std::wstring quoted(std::wstring_view value);
// Exact matches, so that an unqualified call with a std::wstring or a literal
// does not pick std::quoted (found through argument-dependent lookup).
inline std::wstring quoted(const std::wstring& value) { return quoted(std::wstring_view(value)); }
inline std::wstring quoted(const wchar_t* value) { return quoted(std::wstring_view(value)); }

}  // namespace pendrel::database
