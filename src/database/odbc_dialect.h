// The one place where the Jet idioms of the window's fixed query texts meet
// drivers that speak standard SQL.
#pragma once

#include <string>
#include <string_view>

namespace pendrel::database {

// The query a recordset source stands for: a lone view or query name becomes
// "SELECT * FROM name"; any other text is kept.
std::wstring query_of_source(std::wstring_view source);

// Rewrites Jet's idioms outside string literals:
//  - [name] becomes "name" (a double quote inside is doubled);
//  - in a query over one view or table, a qualified name Q.C whose qualifier
//    is not that source can only mean the source's column literally named
//    "Q.C" (a saved query keeps the table prefix in its column names), so it
//    becomes "Q.C".
std::wstring translate_jet(std::wstring_view sql);

// The single view or table after FROM of a plain "SELECT ... FROM name [WHERE
// ...]" query, spelled as SQL (quoted only where the text quoted it; Jet's
// brackets become double quotes), or "" when the query has joins, several
// sources or no FROM.
std::wstring single_source(std::wstring_view sql);

// FindFirst criteria "[field]='value'" (also without brackets, spaces around
// the "="), the value's doubled quotes undone. Throws Error (3001) otherwise.
struct Criteria {
  std::wstring field;
  std::wstring value;
};
Criteria parse_criteria(std::wstring_view criteria);

// A name as an SQL delimited identifier: in double quotes, a double quote
// inside doubled.
std::wstring double_quoted(std::wstring_view name);

}  // namespace pendrel::database
