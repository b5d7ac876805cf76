// One computer's details as data: what the details window shows once its
// load has run (and, on request, its applications and work groups), with the
// message boxes the load would have shown. Written as one JSON object, or as
// CSV rows under one header, both UTF-8; the inventory writes many rows under
// one header, so header and row are separate.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/text.h"

namespace pendrel::report {

// A row of the Users or Work Groups list: its "Type", "Name", "Description".
struct ListRow {
  std::wstring type;
  std::wstring name;
  std::wstring description;
};

// A package of the applications tree: its folders and name joined by "\",
// without the "*" that marks it for re-install.
struct Package {
  std::wstring path;
  bool marked = false;
};

// A message box the load would have shown: the progress text of the caption
// at that moment (after " -> ", "" when the caption showed none) and the box.
struct ReportError {
  std::wstring stage;
  std::wstring text;
};

struct ComputerReport {
  std::wstring computer;
  std::wstring domain;
  std::optional<bool> active;  // none without an equipment row
  bool reachable = false;
  std::wstring ip_address;
  std::wstring host_name;
  std::wstring mac_address;
  std::wstring os;
  std::vector<std::wstring> server_types;
  std::wstring description;
  std::wstring remote_time;
  std::optional<int64_t> clock_skew_seconds;
  std::wstring time_zone;
  std::vector<ListRow> users;
  std::wstring console_account;
  // Filled only with the applications: the tree, the groups, make and model.
  bool with_apps = false;
  std::vector<Package> packages;
  std::vector<ListRow> groups;
  std::wstring make_model;
  std::vector<ReportError> errors;
};

enum class Format { Json, Csv };

// "json" or "csv", in any case; none for anything else.
std::optional<Format> parse_format(std::wstring_view text);

// The core's UTF-8 conversions, by the names the report's users know them.
using pendrel::from_utf8;
using pendrel::to_utf8;

// One JSON object, without a line end.
std::string to_json(const ComputerReport& report);

// One CSV field as RFC 4180 writes it: quoted (quotes doubled) when it holds
// a comma, a quote, CR or LF.
std::string csv_field(std::string_view text);
// The header line and one computer's row, each ending in CRLF.
std::string csv_header();
std::string csv_row(const ComputerReport& report);

// The report in the format: the JSON object, or the header and the row.
std::string format_report(const ComputerReport& report, Format format);

}  // namespace pendrel::report
