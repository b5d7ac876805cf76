// The translation of Jet idioms: it only adds or swaps the quoting of names
// (brackets become double quotes), so the text without any quote, bracket or
// space stays the same, and a translated text translates to itself; FindFirst
// criteria that parse, written again with a bracketed or a quoted field, parse
// to the same field and value; a quoted name after FROM is the single source.
#include <string>
#include <string_view>

#include "core/error.h"
#include "database/odbc_dialect.h"
#include "fuzz_support.h"

namespace {

using namespace pendrel;
using namespace pendrel::database;
using fuzz::require;

// Translation may also set two delimited names apart with a space.
std::wstring without_quoting(std::wstring_view text) {
  std::wstring out;
  for (wchar_t c : text)
    if (c != L'"' && c != L'[' && c != L']' && c != L' ') out += c;
  return out;
}

std::wstring literal(std::wstring_view value) {
  std::wstring out = L"'";
  for (wchar_t c : value) out += c == L'\'' ? std::wstring(L"''") : std::wstring(1, c);
  return out + L"'";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::wstring text = fuzz::wide_text(data, size);

  const std::wstring translated = translate_jet(text);
  require(without_quoting(translated) == without_quoting(text), "translation changes only the quoting of names");
  require(translate_jet(translated) == translated, "a translated text translates to itself");

  const std::wstring query = query_of_source(text);
  require(query == text || query.starts_with(L"SELECT * FROM "), "a source is kept or becomes SELECT * FROM");
  single_source(text);

  require(single_source(L"SELECT a FROM " + double_quoted(text)) == double_quoted(text),
          "a quoted name after FROM is the single source");

  Criteria criteria;
  try {
    criteria = parse_criteria(text);
  } catch (const Error& e) {
    require(e.number() == 3001, "criteria that do not parse raise 3001");
    return 0;
  }
  const Criteria quoted = parse_criteria(double_quoted(criteria.field) + L" = " + literal(criteria.value));
  require(quoted.field == criteria.field && quoted.value == criteria.value, "quoted criteria parse back");
  if (criteria.field.find(L']') == std::wstring::npos) {
    const Criteria bracketed = parse_criteria(L"[" + criteria.field + L"]=" + literal(criteria.value));
    require(bracketed.field == criteria.field && bracketed.value == criteria.value, "bracketed criteria parse back");
  }
  return 0;
}
