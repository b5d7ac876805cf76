// The inventory's output file: one row per computer, CSV (RFC 4180, under
// the report's header) or JSON lines (one report object a line), written
// and flushed as each computer finishes, so that a run that is interrupted
// leaves a file of the rows done.
#pragma once

#include <cstddef>
#include <filesystem>
#include <fstream>
#include <optional>
#include <set>
#include <string>
#include <string_view>

#include "report/computer_report.h"

namespace pendrel::inventory {

enum class OutputFormat { Csv, JsonLines };

// By the file's extension, in any case: .csv or .jsonl.
std::optional<OutputFormat> output_format_of(const std::filesystem::path& path);

// The report that stands for a computer that gave none (its failure or
// time-out), as JSON: the computer's name and the error.
std::string failure_json(std::wstring_view computer, std::wstring_view error);

// The report of a JSON object as Report writes it; members it lacks keep
// their defaults. Raises Error 5 for text that is no JSON object.
report::ComputerReport report_of_json(std::string_view json);

// What an existing output file holds: the computers with a row and how many
// bytes its complete rows (and header) take; anything after them is the
// unfinished row of an interrupted run.
struct DoneRows {
  std::set<std::wstring> computers;
  std::size_t complete_bytes = 0;
};
DoneRows read_done_rows(std::string_view content, OutputFormat format);

class RowFile {
 public:
  // Starts the file afresh, or with resume keeps its complete rows (and
  // drops an unfinished one). Raises Error 75 when the file cannot be opened.
  RowFile(const std::filesystem::path& path, OutputFormat format, bool resume);

  const std::set<std::wstring>& done() const { return done_; }
  // One row from the report's JSON, flushed.
  void write(std::string_view json);

 private:
  OutputFormat format_;
  std::ofstream out_;
  std::set<std::wstring> done_;
};

}  // namespace pendrel::inventory
