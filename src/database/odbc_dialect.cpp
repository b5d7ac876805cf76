#include "database/odbc_dialect.h"

#include <cwctype>
#include <optional>
#include <vector>

#include "core/error.h"
#include "core/text.h"

namespace pendrel::database {
namespace {

enum class TokenKind { Word, Literal, Quoted, Bracketed, Other };

struct Token {
  TokenKind kind;
  std::wstring text;  // Word: the name; Bracketed: the name inside; else the raw text
};

bool word_start(wchar_t c) { return std::iswalpha(c) || c == L'_'; }
bool word_char(wchar_t c) { return std::iswalnum(c) || c == L'_'; }

// Reads a run delimited by `close`, where a doubled `close` stands for one.
size_t delimited_end(std::wstring_view sql, size_t start, wchar_t close) {
  size_t i = start + 1;
  while (i < sql.size()) {
    if (sql[i] == close) {
      if (close != L']' && i + 1 < sql.size() && sql[i + 1] == close) {
        i += 2;
        continue;
      }
      return i + 1;
    }
    ++i;
  }
  return sql.size();
}

std::vector<Token> tokenize(std::wstring_view sql) {
  std::vector<Token> tokens;
  tokens.reserve(8);
  size_t i = 0;
  while (i < sql.size()) {
    wchar_t c = sql[i];
    size_t end;
    TokenKind kind;
    if (c == L'\'') {
      end = delimited_end(sql, i, L'\'');
      kind = TokenKind::Literal;
    } else if (c == L'"') {
      end = delimited_end(sql, i, L'"');
      kind = TokenKind::Quoted;
    } else if (c == L'[') {
      end = delimited_end(sql, i, L']');
      size_t inner_end = end > i + 1 && sql[end - 1] == L']' ? end - 1 : end;
      tokens.push_back({TokenKind::Bracketed, std::wstring(sql.substr(i + 1, inner_end - i - 1))});
      i = end;
      continue;
    } else if (word_start(c)) {
      end = i;
      while (end < sql.size() && word_char(sql[end])) ++end;
      kind = TokenKind::Word;
    } else {
      end = i + 1;
      kind = TokenKind::Other;
    }
    tokens.push_back({kind, std::wstring(sql.substr(i, end - i))});
    i = end;
  }
  return tokens;
}

bool is_space(const Token& t) { return t.kind == TokenKind::Other && std::iswspace(t.text[0]); }

std::wstring name_of(const Token& t) {
  if (t.kind == TokenKind::Bracketed) return t.text;
  if (t.kind == TokenKind::Quoted) {
    std::wstring name;
    for (size_t i = 1; i + 1 < t.text.size(); ++i) {
      name += t.text[i];
      if (t.text[i] == L'"') ++i;
    }
    return name;
  }
  return t.text;
}

const Token* single_source_of(const std::vector<Token>& tokens) {
  std::vector<const Token*> words;  // without white space
  for (const Token& t : tokens) {
    if (!is_space(t)) words.push_back(&t);
  }
  for (size_t i = 0; i < words.size(); ++i) {
    if (words[i]->kind != TokenKind::Word || !equal_no_case(words[i]->text, L"from")) continue;
    if (i + 1 >= words.size() || words[i + 1]->kind == TokenKind::Literal ||
        words[i + 1]->kind == TokenKind::Other) {
      return nullptr;
    }
    if (i + 2 == words.size()) return words[i + 1];
    const Token& next = *words[i + 2];
    if (next.kind == TokenKind::Word &&
        (equal_no_case(next.text, L"where") || equal_no_case(next.text, L"order") ||
         equal_no_case(next.text, L"group"))) {
      return words[i + 1];
    }
    if (next.kind == TokenKind::Other && next.text == L";") return words[i + 1];
    return nullptr;
  }
  return nullptr;
}

}  // namespace

std::wstring query_of_source(std::wstring_view source) {
  std::vector<Token> tokens = tokenize(source);
  size_t start = 0, end = tokens.size();
  while (start < end && is_space(tokens[start])) ++start;
  while (end > start && is_space(tokens[end - 1])) --end;
  bool lone_name = end == start + 1 && (tokens[start].kind == TokenKind::Word ||
                                        tokens[start].kind == TokenKind::Bracketed ||
                                        tokens[start].kind == TokenKind::Quoted);
  if (lone_name && !equal_no_case(tokens[start].text, L"select")) {
    const Token& t = tokens[start];
    return L"SELECT * FROM " + (t.kind == TokenKind::Word ? t.text : double_quoted(name_of(t)));
  }
  return std::wstring(source);
}

std::wstring single_source(std::wstring_view sql) {
  std::vector<Token> tokens = tokenize(sql);
  const Token* source = single_source_of(tokens);
  if (!source) return {};
  return source->kind == TokenKind::Bracketed ? double_quoted(source->text) : source->text;
}

std::wstring translate_jet(std::wstring_view sql) {
  std::vector<Token> tokens = tokenize(sql);
  const Token* source_token = single_source_of(tokens);
  std::wstring source = source_token ? name_of(*source_token) : std::wstring();
  std::wstring out;
  // Two delimited names side by side ([a][b], "a"[b]) stay two names: written
  // as "a""b" they would be one name holding a quote.
  auto put = [&out](const std::wstring& piece) {
    if (!out.empty() && out.back() == L'"' && !piece.empty() && piece.front() == L'"') out += L' ';
    out += piece;
  };
  for (size_t i = 0; i < tokens.size(); ++i) {
    const Token& t = tokens[i];
    if (t.kind == TokenKind::Bracketed) {
      put(double_quoted(t.text));
    } else if (t.kind == TokenKind::Word && !source.empty() && i + 2 < tokens.size() &&
               tokens[i + 1].text == L"." && tokens[i + 2].kind == TokenKind::Word &&
               !equal_no_case(t.text, source) && (i == 0 || tokens[i - 1].text != L".")) {
      put(double_quoted(t.text + L"." + tokens[i + 2].text));
      i += 2;
    } else {
      put(t.text);
    }
  }
  return out;
}

namespace {

// The exact shape the windows send, [field]='value' with no spaces and every
// quote inside the value doubled, read without tokenizing: the same result
// as the general parse below, and none for anything else.
std::optional<Criteria> plain_criteria(std::wstring_view criteria) {
  if (criteria.empty() || criteria[0] != L'[') return std::nullopt;
  const size_t close = criteria.find(L']');
  if (close == std::wstring_view::npos || criteria.size() < close + 4 || criteria[close + 1] != L'=' ||
      criteria[close + 2] != L'\'' || criteria.back() != L'\'') {
    return std::nullopt;
  }
  Criteria result{std::wstring(criteria.substr(1, close - 1)), {}};
  const std::wstring_view inner = criteria.substr(close + 3, criteria.size() - close - 4);
  result.value.reserve(inner.size());
  for (size_t i = 0; i < inner.size(); ++i) {
    if (inner[i] == L'\'') {
      if (i + 1 >= inner.size() || inner[i + 1] != L'\'') return std::nullopt;
      ++i;
    }
    result.value += inner[i];
  }
  return result;
}

}  // namespace

Criteria parse_criteria(std::wstring_view criteria) {
  if (std::optional<Criteria> plain = plain_criteria(criteria)) return *std::move(plain);
  std::vector<Token> all = tokenize(criteria);
  std::vector<Token> tokens;
  tokens.reserve(all.size());
  for (Token& t : all) {
    if (!is_space(t)) tokens.push_back(std::move(t));
  }
  bool ok = tokens.size() == 3 &&
            (tokens[0].kind == TokenKind::Bracketed || tokens[0].kind == TokenKind::Word ||
             tokens[0].kind == TokenKind::Quoted) &&
            tokens[1].text == L"=" && tokens[2].kind == TokenKind::Literal &&
            tokens[2].text.size() >= 2 && tokens[2].text.back() == L'\'';
  if (!ok) {
    throw Error(3001,
                L"Arguments are of the wrong type, are out of acceptable range, or are in conflict "
                L"with one another.");
  }
  Criteria result{name_of(tokens[0]), {}};
  const std::wstring& literal = tokens[2].text;
  result.value.reserve(literal.size());
  for (size_t i = 1; i + 1 < literal.size(); ++i) {
    result.value += literal[i];
    if (literal[i] == L'\'') ++i;
  }
  return result;
}

std::wstring double_quoted(std::wstring_view name) {
  std::wstring text = L"\"";
  for (wchar_t c : name) {
    text += c;
    if (c == L'"') text += L'"';
  }
  return text + L"\"";
}

}  // namespace pendrel::database
