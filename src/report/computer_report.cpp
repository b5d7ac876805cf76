#include "report/computer_report.h"

#include <array>
#include <nlohmann/json.hpp>

namespace pendrel::report {
namespace {

// Fields in the order of the record, as a reader expects them, not sorted.
using json = nlohmann::ordered_json;

json rows_json(const std::vector<ListRow>& rows) {
  json list = json::array();
  for (const ListRow& row : rows) {
    list.push_back({{"type", to_utf8(row.type)}, {"name", to_utf8(row.name)}, {"description", to_utf8(row.description)}});
  }
  return list;
}

json texts_json(const std::vector<std::wstring>& texts) {
  json list = json::array();
  for (const std::wstring& text : texts) list.push_back(to_utf8(text));
  return list;
}

std::string text_of(bool value) { return value ? "true" : "false"; }

template <class T, class Show>
std::string joined(const std::vector<T>& items, Show show) {
  std::string out;
  for (const T& item : items) {
    if (!out.empty()) out += "; ";
    out += show(item);
  }
  return out;
}

// A list row in one CSV cell: "Type: Name", then " (Description)" when there is one.
std::string row_text(const ListRow& row) {
  std::string text = to_utf8(row.type) + ": " + to_utf8(row.name);
  if (!row.description.empty()) text += " (" + to_utf8(row.description) + ")";
  return text;
}

std::string packages_text(const ComputerReport& r, bool marked_only) {
  std::vector<std::wstring> paths;
  for (const Package& package : r.packages) {
    if (!marked_only || package.marked) paths.push_back(package.path);
  }
  return joined(paths, [](const std::wstring& path) { return to_utf8(path); });
}

// The CSV columns, header and cell together so that they cannot drift apart.
struct Column {
  const char* name;
  std::string (*cell)(const ComputerReport&);
};

const std::array<Column, 20> kColumns{{
    {"computer", [](const ComputerReport& r) { return to_utf8(r.computer); }},
    {"domain", [](const ComputerReport& r) { return to_utf8(r.domain); }},
    {"active", [](const ComputerReport& r) { return r.active ? text_of(*r.active) : std::string(); }},
    {"reachable", [](const ComputerReport& r) { return text_of(r.reachable); }},
    {"ip_address", [](const ComputerReport& r) { return to_utf8(r.ip_address); }},
    {"host_name", [](const ComputerReport& r) { return to_utf8(r.host_name); }},
    {"mac_address", [](const ComputerReport& r) { return to_utf8(r.mac_address); }},
    {"os", [](const ComputerReport& r) { return to_utf8(r.os); }},
    {"server_types",
     [](const ComputerReport& r) { return joined(r.server_types, [](const std::wstring& t) { return to_utf8(t); }); }},
    {"description", [](const ComputerReport& r) { return to_utf8(r.description); }},
    {"remote_time", [](const ComputerReport& r) { return to_utf8(r.remote_time); }},
    {"clock_skew_seconds",
     [](const ComputerReport& r) { return r.clock_skew_seconds ? std::to_string(*r.clock_skew_seconds) : std::string(); }},
    {"time_zone", [](const ComputerReport& r) { return to_utf8(r.time_zone); }},
    {"users", [](const ComputerReport& r) { return joined(r.users, row_text); }},
    {"console_account", [](const ComputerReport& r) { return to_utf8(r.console_account); }},
    {"packages", [](const ComputerReport& r) { return packages_text(r, false); }},
    {"marked_packages", [](const ComputerReport& r) { return packages_text(r, true); }},
    {"groups", [](const ComputerReport& r) { return joined(r.groups, row_text); }},
    {"make_model", [](const ComputerReport& r) { return to_utf8(r.make_model); }},
    {"errors",
     [](const ComputerReport& r) {
       return joined(r.errors, [](const ReportError& e) {
         return e.stage.empty() ? to_utf8(e.text) : to_utf8(e.stage) + ": " + to_utf8(e.text);
       });
     }},
}};

}  // namespace

std::optional<Format> parse_format(std::wstring_view text) {
  std::wstring lower;
  for (wchar_t c : text) lower += (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c - L'A' + L'a') : c;
  if (lower == L"json") return Format::Json;
  if (lower == L"csv") return Format::Csv;
  return std::nullopt;
}

std::string to_json(const ComputerReport& r) {
  json out = {
      {"computer", to_utf8(r.computer)},
      {"domain", to_utf8(r.domain)},
      {"active", r.active ? json(*r.active) : json(nullptr)},
      {"reachable", r.reachable},
      {"ip_address", to_utf8(r.ip_address)},
      {"host_name", to_utf8(r.host_name)},
      {"mac_address", to_utf8(r.mac_address)},
      {"os", to_utf8(r.os)},
      {"server_types", texts_json(r.server_types)},
      {"description", to_utf8(r.description)},
      {"remote_time", to_utf8(r.remote_time)},
      {"clock_skew_seconds", r.clock_skew_seconds ? json(*r.clock_skew_seconds) : json(nullptr)},
      {"time_zone", to_utf8(r.time_zone)},
      {"users", rows_json(r.users)},
      {"console_account", to_utf8(r.console_account)},
  };
  if (r.with_apps) {
    json packages = json::array();
    for (const Package& package : r.packages) packages.push_back({{"path", to_utf8(package.path)}, {"marked", package.marked}});
    out["packages"] = std::move(packages);
    out["groups"] = rows_json(r.groups);
    out["make_model"] = to_utf8(r.make_model);
  }
  json errors = json::array();
  for (const ReportError& error : r.errors) errors.push_back({{"stage", to_utf8(error.stage)}, {"text", to_utf8(error.text)}});
  out["errors"] = std::move(errors);
  return out.dump();
}

std::string csv_field(std::string_view text) {
  if (text.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(text);
  std::string quoted = "\"";
  for (char c : text) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return quoted + '"';
}

std::string csv_header() {
  std::string line;
  for (const Column& column : kColumns) {
    if (!line.empty()) line += ',';
    line += column.name;
  }
  return line + "\r\n";
}

std::string csv_row(const ComputerReport& report) {
  std::string line;
  for (std::size_t i = 0; i < kColumns.size(); ++i) {
    if (i > 0) line += ',';
    line += csv_field(kColumns[i].cell(report));
  }
  return line + "\r\n";
}

std::string format_report(const ComputerReport& report, Format format) {
  return format == Format::Json ? to_json(report) : csv_header() + csv_row(report);
}

}  // namespace pendrel::report
