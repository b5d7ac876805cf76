#include "database/database.h"

namespace pendrel::database {

std::wstring quoted(std::wstring_view value) {
  std::wstring text;
  text.reserve(value.size());
  for (wchar_t c : value) {
    text += c;
    if (c == L'\'') text += L'\'';
  }
  return text;
}

}  // namespace pendrel::database
