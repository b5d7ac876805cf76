// A client-side recordset: Open fetches every row once; moving, searching and
// reading fields never go back to the database, Update writes one row.
#include <algorithm>
#include <limits>
#include <optional>
#include <span>
#include <utility>
#include <unordered_map>
#include <vector>

#include "core/text.h"
#include "database/odbc_api.h"
#include "database/odbc_diagnostics.h"
#include "database/odbc_dialect.h"

namespace pendrel::database::odbc {
namespace {

enum class ValueKind { Text, Integer, BigInteger, Bit, Real, Timestamp, Binary };

ValueKind kind_of(SQLSMALLINT type) {
  switch (type) {
    case SQL_BIT:
      return ValueKind::Bit;
    case SQL_TINYINT:
    case SQL_SMALLINT:
    case SQL_INTEGER:
      return ValueKind::Integer;
    case SQL_BIGINT:
      return ValueKind::BigInteger;
    case SQL_REAL:
    case SQL_FLOAT:
    case SQL_DOUBLE:
    case SQL_NUMERIC:
    case SQL_DECIMAL:
      return ValueKind::Real;
    case SQL_TYPE_DATE:
    case SQL_TYPE_TIME:
    case SQL_TYPE_TIMESTAMP:
    case SQL_DATE:
    case SQL_TIME:
    case SQL_TIMESTAMP:
      return ValueKind::Timestamp;
    case SQL_BINARY:
    case SQL_VARBINARY:
    case SQL_LONGVARBINARY:
      return ValueKind::Binary;
    default:
      return ValueKind::Text;
  }
}

Variant read_chunked(SQLHANDLE stmt, SQLUSMALLINT column, bool binary) {
  SQLWCHAR buffer[512];
  SQLLEN indicator = 0;
  sql_string text;
  Bytes bytes;
  const SQLSMALLINT c_type = binary ? SQL_C_BINARY : SQL_C_WCHAR;
  // Each call hands over the next piece; the terminator takes room in text.
  const size_t room = binary ? sizeof(buffer) : sizeof(buffer) - sizeof(SQLWCHAR);
  for (;;) {
    SQLRETURN rc = checked(SQLGetData(stmt, column, c_type, buffer, sizeof(buffer), &indicator),
                           SQL_HANDLE_STMT, stmt, L"SQLGetData");
    if (rc == SQL_NO_DATA) break;
    if (indicator == SQL_NULL_DATA) return Variant::null();
    size_t got = indicator == SQL_NO_TOTAL || static_cast<size_t>(indicator) > room
                     ? room
                     : static_cast<size_t>(indicator);
    // Most values come in one piece: convert them straight from the buffer.
    if (!binary && rc == SQL_SUCCESS && text.empty()) return Variant(from_sql(buffer, got / sizeof(SQLWCHAR)));
    if (binary) {
      auto* p = reinterpret_cast<const uint8_t*>(buffer);
      bytes.insert(bytes.end(), p, p + got);
    } else {
      text.append(buffer, got / sizeof(SQLWCHAR));
    }
    if (rc == SQL_SUCCESS) break;
  }
  if (binary) return Variant(std::move(bytes));
  return Variant(from_sql(text.data(), text.size()));
}

template <typename T>
std::optional<T> read_fixed(SQLHANDLE stmt, SQLUSMALLINT column, SQLSMALLINT c_type) {
  T value{};
  SQLLEN indicator = 0;
  checked(SQLGetData(stmt, column, c_type, &value, sizeof(value), &indicator), SQL_HANDLE_STMT,
          stmt, L"SQLGetData");
  if (indicator == SQL_NULL_DATA) return std::nullopt;
  return value;
}

Variant read_value(SQLHANDLE stmt, SQLUSMALLINT column, ValueKind kind) {
  switch (kind) {
    case ValueKind::Bit: {
      auto v = read_fixed<unsigned char>(stmt, column, SQL_C_BIT);
      return v ? Variant(*v != 0) : Variant::null();
    }
    case ValueKind::Integer: {
      auto v = read_fixed<SQLINTEGER>(stmt, column, SQL_C_SLONG);
      return v ? Variant(static_cast<int32_t>(*v)) : Variant::null();
    }
    case ValueKind::BigInteger: {
      auto v = read_fixed<SQLBIGINT>(stmt, column, SQL_C_SBIGINT);
      if (!v) return Variant::null();
      if (*v >= std::numeric_limits<int32_t>::min() && *v <= std::numeric_limits<int32_t>::max()) {
        return Variant(static_cast<int32_t>(*v));
      }
      return Variant(static_cast<double>(*v));
    }
    case ValueKind::Real: {
      auto v = read_fixed<SQLDOUBLE>(stmt, column, SQL_C_DOUBLE);
      return v ? Variant(static_cast<double>(*v)) : Variant::null();
    }
    case ValueKind::Timestamp: {
      auto v = read_fixed<SQL_TIMESTAMP_STRUCT>(stmt, column, SQL_C_TYPE_TIMESTAMP);
      if (!v) return Variant::null();
      DateParts parts{v->year, v->month, v->day, v->hour, v->minute, v->second};
      if (v->year == 0) parts.year = 1899, parts.month = 12, parts.day = 30;
      return Variant(make_date(parts));
    }
    case ValueKind::Binary:
      return read_chunked(stmt, column, true);
    case ValueKind::Text:
      break;
  }
  return read_chunked(stmt, column, false);
}

// The text a criteria value is compared with: text as it is, without a copy;
// anything else as it converts.
struct ValueText {
  std::wstring converted;
  std::wstring_view view;
  explicit ValueText(const Variant& v) {
    if (v.kind() == Variant::Kind::Text) {
      view = v.text();
    } else {
      converted = v.to_text();
      view = converted;
    }
  }
  ValueText(const ValueText&) = delete;
  ValueText& operator=(const ValueText&) = delete;
  operator std::wstring_view() const { return view; }
};

// FNV-1a over the case-folded text, so that texts equal without regard to
// case hash alike.
size_t folded_hash(std::wstring_view text) {
  uint64_t hash = 14695981039346656037ull;
  for (wchar_t c : case_folded(text)) {
    hash ^= static_cast<uint64_t>(c);
    hash *= 1099511628211ull;
  }
  return static_cast<size_t>(hash);
}

// Parameter values stay where SQLBindParameter was told they are until the
// statement ran.
struct Parameter {
  sql_string text;
  SQLINTEGER integer = 0;
  unsigned char bit = 0;
  SQLDOUBLE real = 0;
  SQL_TIMESTAMP_STRUCT timestamp{};
  Bytes bytes;
  SQLLEN indicator = 0;
};

void bind(SQLHANDLE stmt, SQLUSMALLINT number, Parameter& p, const Variant& value) {
  SQLSMALLINT c_type, sql_type;
  SQLULEN size = 0;
  SQLPOINTER data;
  SQLLEN length = 0;
  switch (value.kind()) {
    case Variant::Kind::Boolean:
      p.bit = value.to_bool() ? 1 : 0;
      c_type = SQL_C_BIT, sql_type = SQL_BIT, data = &p.bit, length = 1;
      break;
    case Variant::Kind::Int16:
    case Variant::Kind::Int32:
      p.integer = value.to_long();
      c_type = SQL_C_SLONG, sql_type = SQL_INTEGER, data = &p.integer, length = sizeof(p.integer);
      break;
    case Variant::Kind::Double:
      p.real = value.to_double();
      c_type = SQL_C_DOUBLE, sql_type = SQL_DOUBLE, data = &p.real, length = sizeof(p.real);
      break;
    case Variant::Kind::Date: {
      DateParts parts = to_parts(value.to_date());
      p.timestamp = {static_cast<SQLSMALLINT>(parts.year), static_cast<SQLUSMALLINT>(parts.month),
                     static_cast<SQLUSMALLINT>(parts.day), static_cast<SQLUSMALLINT>(parts.hour),
                     static_cast<SQLUSMALLINT>(parts.minute), static_cast<SQLUSMALLINT>(parts.second),
                     0};
      c_type = SQL_C_TYPE_TIMESTAMP, sql_type = SQL_TYPE_TIMESTAMP, data = &p.timestamp;
      length = sizeof(p.timestamp), size = 19;
      break;
    }
    case Variant::Kind::Bytes:
      p.bytes = value.bytes();
      c_type = SQL_C_BINARY, sql_type = SQL_VARBINARY, data = p.bytes.data();
      length = static_cast<SQLLEN>(p.bytes.size()), size = std::max<size_t>(p.bytes.size(), 1);
      break;
    default:
      p.text = to_sql(value.to_text());
      c_type = SQL_C_WCHAR, sql_type = SQL_WVARCHAR, data = p.text.data();
      length = static_cast<SQLLEN>(p.text.size() * sizeof(SQLWCHAR));
      size = std::max<size_t>(p.text.size(), 1);
      break;
  }
  if (size == 0) size = static_cast<SQLULEN>(length);
  p.indicator = length;
  checked(SQLBindParameter(stmt, number, SQL_PARAM_INPUT, c_type, sql_type, size, 0, data, length,
                           &p.indicator),
          SQL_HANDLE_STMT, stmt, L"SQLBindParameter");
}

// Manual commit for one Update; rolls back unless committed.
class Transaction {
 public:
  explicit Transaction(SQLHANDLE dbc) : dbc_(dbc) {
    checked(SQLSetConnectAttr(dbc_, SQL_ATTR_AUTOCOMMIT,
                              reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_OFF), SQL_IS_UINTEGER),
            SQL_HANDLE_DBC, dbc_, L"SQLSetConnectAttr");
  }
  Transaction(const Transaction&) = delete;
  Transaction& operator=(const Transaction&) = delete;
  void commit() {
    checked(SQLEndTran(SQL_HANDLE_DBC, dbc_, SQL_COMMIT), SQL_HANDLE_DBC, dbc_, L"SQLEndTran");
    committed_ = true;
  }
  ~Transaction() {
    // Nothing can be reported from here; the statement's own error is on its way.
    if (!committed_) {
      ignore_errors([&] {
        checked(SQLEndTran(SQL_HANDLE_DBC, dbc_, SQL_ROLLBACK), SQL_HANDLE_DBC, dbc_, L"SQLEndTran");
      });
    }
    ignore_errors([&] {
      checked(SQLSetConnectAttr(dbc_, SQL_ATTR_AUTOCOMMIT,
                                reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_ON), SQL_IS_UINTEGER),
              SQL_HANDLE_DBC, dbc_, L"SQLSetConnectAttr");
    });
  }

 private:
  SQLHANDLE dbc_;
  bool committed_ = false;
};

// Every fetched value in blocks of whole rows that never move once filled: a
// result the driver cannot count in advance grows without being copied.
class Rows {
 public:
  explicit Rows(size_t width = 0) : width_(width), rows_per_block_(std::max<size_t>(1, kBlockValues / std::max<size_t>(1, width))) {}
  size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  void clear() {
    blocks_.clear();
    size_ = 0;
  }
  // Appends one row of width values.
  template <class Read>
  void add_row(Read&& read) {
    if (size_ % rows_per_block_ == 0) blocks_.emplace_back().reserve(rows_per_block_ * width_);
    for (size_t c = 0; c < width_; ++c) blocks_.back().push_back(read(c));
    ++size_;
  }
  std::span<Variant> operator[](size_t row) {
    return {blocks_[row / rows_per_block_].data() + (row % rows_per_block_) * width_, width_};
  }
  std::span<const Variant> operator[](size_t row) const {
    return {blocks_[row / rows_per_block_].data() + (row % rows_per_block_) * width_, width_};
  }

 private:
  static constexpr size_t kBlockValues = 1024;
  size_t width_;
  size_t rows_per_block_;
  size_t size_ = 0;
  std::vector<std::vector<Variant>> blocks_;
};

class OdbcRecordset;

class OdbcField : public Field {
 public:
  OdbcField(OdbcRecordset& owner, size_t column, std::wstring name)
      : owner_(owner), column_(column), name_(std::move(name)) {}
  const std::wstring& Name() const override { return name_; }
  Variant Value() const override;
  void set_Value(Variant value) override;

 private:
  OdbcRecordset& owner_;
  size_t column_;
  std::wstring name_;
};

class OdbcRecordset : public Recordset {
 public:
  void set_ActiveConnection(std::shared_ptr<Connection> connection) override {
    if (open_) throw object_open();
    auto odbc = std::dynamic_pointer_cast<OdbcConnection>(connection);
    if (!odbc) throw connection_not_usable();
    connection_ = std::move(odbc);
  }
  int32_t CursorLocation() const override { return cursor_location_; }
  void set_CursorLocation(int32_t location) override { settable(), cursor_location_ = location; }
  int32_t CursorType() const override { return cursor_type_; }
  void set_CursorType(int32_t type) override { settable(), cursor_type_ = type; }
  int32_t LockType() const override { return lock_type_; }
  void set_LockType(int32_t type) override { settable(), lock_type_ = type; }
  const std::wstring& Source() const override { return source_; }
  void set_Source(std::wstring source) override { settable(), source_ = std::move(source); }
  int32_t State() const override { return open_ ? kAdStateOpen : kAdStateClosed; }

  void Open() override;
  void Close() override {
    if (!open_) throw object_closed();
    open_ = false;
    rows_.clear();
    fields_.clear();
    indexes_.clear();
    pending_.reset();
  }
  int32_t RecordCount() const override {
    if (!open_) throw object_closed();
    return static_cast<int32_t>(rows_.size());
  }
  void Update() override;

  void MoveFirst() override { move_to(0); }
  void MoveNext() override {
    if (!open_) throw object_closed();
    if (position_ >= rows_.size()) throw no_current_record();
    move_to(position_ + 1);
  }
  bool EOF() const override {
    if (!open_) throw object_closed();
    return position_ >= rows_.size();
  }
  void FindFirst(std::wstring_view criteria) override;
  bool NoMatch() const override { return no_match_; }
  Field& Fields(std::wstring_view name) override {
    if (!open_) throw object_closed();
    return *fields_[column_of(name)];
  }

  size_t column_of(std::wstring_view name) const {
    for (size_t c = 0; c < fields_.size(); ++c) {
      if (equal_no_case(fields_[c]->Name(), name)) return c;
    }
    // The SQLite driver reports a column named "Users.Name" as "Name" (it
    // cuts at the last dot); such a column is still found by its full name
    // when the cut name is unique.
    size_t dot = name.rfind(L'.');
    if (dot != std::wstring_view::npos) {
      std::wstring_view tail = name.substr(dot + 1);
      size_t found = fields_.size();
      for (size_t c = 0; c < fields_.size(); ++c) {
        if (!equal_no_case(fields_[c]->Name(), tail)) continue;
        if (found != fields_.size()) throw item_not_found();
        found = c;
      }
      if (found != fields_.size()) return found;
    }
    throw item_not_found();
  }

  Variant value(size_t column) const {
    if (!open_) throw object_closed();
    if (position_ >= rows_.size()) throw no_current_record();
    return rows_[position_][column];
  }
  void set_value(size_t column, Variant value);

 private:
  void settable() const {
    if (open_) throw object_open();
  }
  void move_to(size_t position) {
    if (!open_) throw object_closed();
    if (pending_) Update();  // moving off an edited row saves it, as ADO does
    if (position > rows_.size() || (position == 0 && rows_.empty())) throw no_current_record();
    position_ = position;
  }
  std::wstring where_clause(const std::vector<Variant>& original,
                            std::vector<const Variant*>& arguments) const;

  struct Pending {
    std::vector<Variant> original;
    std::vector<bool> changed;
  };

  std::shared_ptr<OdbcConnection> connection_;
  int32_t cursor_location_ = 2;  // ADO's defaults: server-side, forward-only, read-only
  int32_t cursor_type_ = 0;
  int32_t lock_type_ = 1;
  std::wstring source_;
  bool open_ = false;
  std::wstring update_target_;
  std::vector<ValueKind> kinds_;
  std::vector<std::unique_ptr<OdbcField>> fields_;
  Rows rows_;
  size_t position_ = 0;
  bool no_match_ = false;
  std::optional<Pending> pending_;
  // Per searched column, built on the first FindFirst over it and dropped when
  // one of its values changes: every non-null row as the hash of its
  // case-folded text, sorted by hash and, within one hash, in recordset order.
  struct IndexEntry {
    size_t hash;
    size_t row;
    friend bool operator<(const IndexEntry& a, const IndexEntry& b) {
      return a.hash != b.hash ? a.hash < b.hash : a.row < b.row;
    }
  };
  std::unordered_map<size_t, std::vector<IndexEntry>> indexes_;
  const std::vector<IndexEntry>& index_of(size_t column);
};

Variant OdbcField::Value() const { return owner_.value(column_); }
void OdbcField::set_Value(Variant value) { owner_.set_value(column_, std::move(value)); }

void OdbcRecordset::Open() {
  if (open_) throw object_open();
  if (!connection_) throw connection_not_usable();
  SQLHANDLE dbc = connection_->handles().dbc.get();
  std::wstring query = translate_jet(query_of_source(source_));
  unique_hstmt stmt = new_statement(dbc);
  sql_string text = to_sql(query);
  checked(SQLExecDirectW(stmt.get(), text.data(), static_cast<SQLINTEGER>(text.size())),
          SQL_HANDLE_STMT, stmt.get(), L"SQLExecDirect");
  SQLSMALLINT count = 0;
  checked(SQLNumResultCols(stmt.get(), &count), SQL_HANDLE_STMT, stmt.get(), L"SQLNumResultCols");
  std::vector<ValueKind> kinds;
  std::vector<std::unique_ptr<OdbcField>> fields;
  for (SQLUSMALLINT c = 1; c <= count; ++c) {
    SQLWCHAR name[256];
    SQLSMALLINT name_length = 0, type = 0, digits = 0, nullable = 0;
    SQLULEN size = 0;
    checked(SQLDescribeColW(stmt.get(), c, name, static_cast<SQLSMALLINT>(std::size(name)),
                            &name_length, &type, &size, &digits, &nullable),
            SQL_HANDLE_STMT, stmt.get(), L"SQLDescribeCol");
    size_t used = std::min<size_t>(static_cast<size_t>(name_length), std::size(name) - 1);
    kinds.push_back(kind_of(type));
    fields.push_back(std::make_unique<OdbcField>(*this, c - 1, from_sql(name, used)));
  }
  Rows rows(kinds.size());
  while (checked(SQLFetch(stmt.get()), SQL_HANDLE_STMT, stmt.get(), L"SQLFetch") != SQL_NO_DATA) {
    rows.add_row([&](size_t c) { return read_value(stmt.get(), static_cast<SQLUSMALLINT>(c + 1), kinds[c]); });
  }
  kinds_ = std::move(kinds);
  fields_ = std::move(fields);
  rows_ = std::move(rows);
  update_target_ = single_source(query);
  position_ = 0;
  no_match_ = false;
  indexes_.clear();
  pending_.reset();
  open_ = true;
}

void OdbcRecordset::set_value(size_t column, Variant value) {
  if (!open_) throw object_closed();
  if (position_ >= rows_.size()) throw no_current_record();
  // A field keeps its column's type, as an ADO field converts what it is given.
  if (!value.is_null()) {
    switch (kinds_[column]) {
      case ValueKind::Bit: value = Variant(value.to_bool()); break;
      case ValueKind::Integer: value = Variant(value.to_long()); break;
      case ValueKind::Text: value = Variant(value.to_text()); break;
      default: break;
    }
  }
  if (!pending_) {
    const std::span<const Variant> row = std::as_const(rows_)[position_];
    pending_ = Pending{std::vector<Variant>(row.begin(), row.end()), std::vector<bool>(kinds_.size())};
  }
  pending_->changed[column] = true;
  rows_[position_][column] = std::move(value);
  indexes_.erase(column);
}

std::wstring OdbcRecordset::where_clause(const std::vector<Variant>& original,
                                         std::vector<const Variant*>& arguments) const {
  // The row is the one whose every comparable column still holds what was read.
  std::wstring where;
  for (size_t c = 0; c < original.size(); ++c) {
    if (kinds_[c] == ValueKind::Real || kinds_[c] == ValueKind::Binary) continue;
    where += where.empty() ? L" WHERE " : L" AND ";
    where += double_quoted(fields_[c]->Name());
    if (original[c].is_null()) {
      where += L" IS NULL";
    } else {
      where += L" = ?";
      arguments.push_back(&original[c]);
    }
  }
  return where;
}

void OdbcRecordset::Update() {
  if (!open_) throw object_closed();
  if (!pending_) return;
  if (update_target_.empty()) {
    throw Error(kEFail, L"Insufficient base table information for updating or refreshing.");
  }
  SQLHANDLE dbc = connection_->handles().dbc.get();
  std::vector<const Variant*> key;
  std::wstring where = where_clause(pending_->original, key);
  const std::wstring& target = update_target_;
  // A view updated through a trigger reports no affected rows, so the row is
  // counted first, inside the same transaction as the write.
  Transaction transaction(dbc);
  {
    unique_hstmt stmt = new_statement(dbc);
    std::vector<Parameter> parameters(key.size());
    for (size_t i = 0; i < key.size(); ++i) {
      bind(stmt.get(), static_cast<SQLUSMALLINT>(i + 1), parameters[i], *key[i]);
    }
    sql_string text = to_sql(L"SELECT COUNT(*) FROM " + target + where);
    checked(SQLExecDirectW(stmt.get(), text.data(), static_cast<SQLINTEGER>(text.size())),
            SQL_HANDLE_STMT, stmt.get(), L"SQLExecDirect");
    checked(SQLFetch(stmt.get()), SQL_HANDLE_STMT, stmt.get(), L"SQLFetch");
    auto found = read_fixed<SQLINTEGER>(stmt.get(), 1, SQL_C_SLONG);
    if (!found || *found == 0) {
      throw Error(kEFail,
                  L"Row cannot be located for updating. Some values may have been changed since "
                  L"it was last read.");
    }
    if (*found > 1) {
      throw Error(kEFail,
                  L"Key column information is insufficient or incorrect. Too many rows were "
                  L"affected by update.");
    }
  }
  std::vector<const Variant*> arguments;
  std::wstring set;
  const std::span<const Variant> row = std::as_const(rows_)[position_];
  for (size_t c = 0; c < row.size(); ++c) {
    if (!pending_->changed[c]) continue;
    set += set.empty() ? L" SET " : L", ";
    set += double_quoted(fields_[c]->Name()) + L" = ?";
    arguments.push_back(&row[c]);
  }
  arguments.insert(arguments.end(), key.begin(), key.end());
  unique_hstmt stmt = new_statement(dbc);
  std::vector<Parameter> parameters(arguments.size());
  for (size_t i = 0; i < arguments.size(); ++i) {
    bind(stmt.get(), static_cast<SQLUSMALLINT>(i + 1), parameters[i], *arguments[i]);
  }
  sql_string text = to_sql(L"UPDATE " + target + set + where);
  checked(SQLExecDirectW(stmt.get(), text.data(), static_cast<SQLINTEGER>(text.size())),
          SQL_HANDLE_STMT, stmt.get(), L"SQLExecDirect");
  stmt.reset();
  transaction.commit();
  pending_.reset();
}

const std::vector<OdbcRecordset::IndexEntry>& OdbcRecordset::index_of(size_t column) {
  auto [index, made] = indexes_.try_emplace(column);
  if (made) {
    std::vector<IndexEntry>& entries = index->second;
    entries.reserve(rows_.size());
    for (size_t r = 0; r < rows_.size(); ++r) {
      const Variant& v = rows_[r][column];
      if (!v.is_null()) entries.push_back({folded_hash(ValueText(v)), r});
    }
    std::sort(entries.begin(), entries.end());
  }
  return index->second;
}

void OdbcRecordset::FindFirst(std::wstring_view criteria) {
  if (!open_) throw object_closed();
  Criteria c = parse_criteria(criteria);
  size_t column = column_of(c.field);
  if (pending_) Update();
  // Jet compares text without regard to case, and so do account names.
  const std::vector<IndexEntry>& index = index_of(column);
  const size_t wanted = folded_hash(c.value);
  auto hit = std::lower_bound(index.begin(), index.end(), IndexEntry{wanted, 0});
  for (; hit != index.end() && hit->hash == wanted; ++hit) {
    if (equal_no_case(ValueText(rows_[hit->row][column]), c.value)) break;
  }
  no_match_ = hit == index.end() || hit->hash != wanted;
  // Without a match the current row stays where it was, as Jet leaves it.
  if (!no_match_) position_ = hit->row;
}

}  // namespace

std::shared_ptr<Recordset> make_recordset() { return std::make_shared<OdbcRecordset>(); }

int64_t OdbcConnection::Execute(std::wstring_view sql) {
  unique_hstmt stmt = new_statement(handles().dbc.get());
  sql_string text = to_sql(sql);
  // SQL_NO_DATA: a searched UPDATE or DELETE that met no row.
  const SQLRETURN rc = checked(SQLExecDirectW(stmt.get(), text.data(), static_cast<SQLINTEGER>(text.size())),
                               SQL_HANDLE_STMT, stmt.get(), L"SQLExecDirect");
  if (rc == SQL_NO_DATA) return 0;
  SQLLEN rows = -1;
  checked(SQLRowCount(stmt.get(), &rows), SQL_HANDLE_STMT, stmt.get(), L"SQLRowCount");
  return rows;
}

}  // namespace pendrel::database::odbc
