#include "inventory/output.h"

#include <cwctype>
#include <iterator>
#include <nlohmann/json.hpp>

#include "core/error.h"

namespace pendrel::inventory {

using nlohmann::json;
using report::from_utf8;
using report::to_utf8;

namespace {

std::wstring text_member(const json& object, const char* name) {
  auto it = object.find(name);
  return it != object.end() && it->is_string() ? from_utf8(it->get<std::string>()) : std::wstring();
}

std::vector<report::ListRow> rows_member(const json& object, const char* name) {
  std::vector<report::ListRow> rows;
  auto it = object.find(name);
  if (it == object.end() || !it->is_array()) return rows;
  for (const json& row : *it) {
    rows.push_back({text_member(row, "type"), text_member(row, "name"), text_member(row, "description")});
  }
  return rows;
}

// The first field of a CSV record that starts at `at`, and where the record
// ends (after its line break), or nothing when the record is unfinished.
std::optional<std::pair<std::string, std::size_t>> csv_record(std::string_view text, std::size_t at) {
  std::string first;
  bool quoted = false, in_first = true;
  for (std::size_t i = at; i < text.size(); ++i) {
    const char c = text[i];
    if (quoted) {
      if (c != '"') {
        if (in_first) first += c;
      } else if (i + 1 < text.size() && text[i + 1] == '"') {
        if (in_first) first += '"';
        ++i;
      } else if (i + 1 == text.size()) {
        return std::nullopt;  // a closing quote or the first of a doubled one
      } else {
        quoted = false;
      }
    } else if (c == '"') {
      quoted = true;
    } else if (c == ',') {
      in_first = false;
    } else if (c == '\n') {
      return std::pair{first, i + 1};
    } else if (c != '\r' && in_first) {
      first += c;
    }
  }
  return std::nullopt;
}

}  // namespace

std::optional<OutputFormat> output_format_of(const std::filesystem::path& path) {
  std::wstring extension = path.extension().wstring();
  for (wchar_t& c : extension) c = static_cast<wchar_t>(std::towlower(c));
  if (extension == L".csv") return OutputFormat::Csv;
  if (extension == L".jsonl") return OutputFormat::JsonLines;
  return std::nullopt;
}

std::string failure_json(std::wstring_view computer, std::wstring_view error) {
  report::ComputerReport failed;
  failed.computer = computer;
  failed.errors.push_back({L"", std::wstring(error)});
  return report::to_json(failed);
}

report::ComputerReport report_of_json(std::string_view text) {
  json object = json::parse(text, nullptr, false);
  if (!object.is_object()) throw Error(5, L"The report is no JSON object: " + from_utf8(text.substr(0, 200)));
  report::ComputerReport r;
  r.computer = text_member(object, "computer");
  r.domain = text_member(object, "domain");
  if (auto it = object.find("active"); it != object.end() && it->is_boolean()) r.active = it->get<bool>();
  r.reachable = object.value("reachable", false);
  r.ip_address = text_member(object, "ip_address");
  r.host_name = text_member(object, "host_name");
  r.mac_address = text_member(object, "mac_address");
  r.os = text_member(object, "os");
  if (auto it = object.find("server_types"); it != object.end() && it->is_array()) {
    for (const json& type : *it) r.server_types.push_back(type.is_string() ? from_utf8(type.get<std::string>()) : L"");
  }
  r.description = text_member(object, "description");
  r.remote_time = text_member(object, "remote_time");
  if (auto it = object.find("clock_skew_seconds"); it != object.end() && it->is_number_integer()) {
    r.clock_skew_seconds = it->get<int64_t>();
  }
  r.time_zone = text_member(object, "time_zone");
  r.users = rows_member(object, "users");
  r.console_account = text_member(object, "console_account");
  if (auto it = object.find("packages"); it != object.end() && it->is_array()) {
    r.with_apps = true;
    for (const json& package : *it) r.packages.push_back({text_member(package, "path"), package.value("marked", false)});
  }
  r.groups = rows_member(object, "groups");
  r.make_model = text_member(object, "make_model");
  if (auto it = object.find("errors"); it != object.end() && it->is_array()) {
    for (const json& error : *it) r.errors.push_back({text_member(error, "stage"), text_member(error, "text")});
  }
  return r;
}

DoneRows read_done_rows(std::string_view content, OutputFormat format) {
  DoneRows done;
  std::size_t at = 0;
  if (format == OutputFormat::JsonLines) {
    for (std::size_t end; (end = content.find('\n', at)) != std::string_view::npos; at = end + 1) {
      json row = json::parse(content.substr(at, end - at), nullptr, false);
      if (!row.is_object()) break;
      done.computers.insert(text_member(row, "computer"));
      done.complete_bytes = end + 1;
    }
    return done;
  }
  const std::string header = report::csv_header();
  if (!content.starts_with(header)) return done;
  at = done.complete_bytes = header.size();
  while (auto record = csv_record(content, at)) {
    done.computers.insert(from_utf8(record->first));
    at = done.complete_bytes = record->second;
  }
  return done;
}

RowFile::RowFile(const std::filesystem::path& path, OutputFormat format, bool resume) : format_(format) {
  std::error_code ignored;
  std::size_t keep = 0;
  if (resume && std::filesystem::exists(path, ignored)) {
    std::ifstream in(path, std::ios::binary);
    const std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    DoneRows rows = read_done_rows(content, format);
    done_ = std::move(rows.computers);
    keep = rows.complete_bytes;
    std::filesystem::resize_file(path, keep, ignored);
  }
  out_.open(path, std::ios::binary | (keep > 0 ? std::ios::app : std::ios::trunc));
  if (!out_) throw Error(75, L"Path/File access error: cannot write '" + path.wstring() + L"'");
  if (keep == 0 && format_ == OutputFormat::Csv) out_ << report::csv_header() << std::flush;
}

void RowFile::write(std::string_view json_text) {
  if (format_ == OutputFormat::Csv) {
    out_ << report::csv_row(report_of_json(json_text));
  } else {
    // One line whatever the report's own layout: dump escapes line breaks.
    json row = json::parse(json_text, nullptr, false);
    if (!row.is_object()) row = json::parse(failure_json(L"", L"The report is no JSON object"));
    out_ << row.dump(-1, ' ', false, json::error_handler_t::replace) << '\n';
  }
  out_.flush();
}

}  // namespace pendrel::inventory
