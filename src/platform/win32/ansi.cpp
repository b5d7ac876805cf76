// The ANSI conversions of core/text.h through the system code page.
#include <windows.h>

#include <climits>

#include "core/error.h"
#include "core/text.h"

namespace pendrel {
namespace {

int checked_length(std::size_t size) {
  if (size > static_cast<std::size_t>(INT_MAX)) throw Error(E_INVALIDARG, L"Text too long to convert");
  return static_cast<int>(size);
}

}  // namespace

std::string to_ansi(std::wstring_view text) {
  if (text.empty()) return {};
  const int length = checked_length(text.size());
  int size = WideCharToMultiByte(CP_ACP, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
  if (size <= 0) throw Error(HRESULT_FROM_WIN32(GetLastError()), L"Cannot convert text to ANSI");
  std::string out(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_ACP, 0, text.data(), length, out.data(), size, nullptr, nullptr);
  return out;
}

std::wstring from_ansi(std::string_view text) {
  if (text.empty()) return {};
  const int length = checked_length(text.size());
  int size = MultiByteToWideChar(CP_ACP, 0, text.data(), length, nullptr, 0);
  if (size <= 0) throw Error(HRESULT_FROM_WIN32(GetLastError()), L"Cannot convert text from ANSI");
  std::wstring out(static_cast<std::size_t>(size), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.data(), length, out.data(), size);
  return out;
}

}  // namespace pendrel
