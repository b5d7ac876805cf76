// registration_rows <server DLL> <server path> <help folder> <output file>
//
// Writes what registering the server writes under HKEY_CLASSES_ROOT, one row
// a line as UTF-8 "key<TAB>name<TAB>value" (an empty name is the key's
// default value): the rows of the creatable classes and of the type library
// and its interfaces. <server path> and <help folder> stand where the
// server's file and folder go, such as an installer's "[#pendrel.dll]".
// Exits 1, with the reason on standard error, when the server's type library
// cannot be read.
#include <windows.h>

#include <cstdio>
#include <string>

#include "core/error.h"
#include "platform/win32/com_server.h"

namespace {

std::string utf8(const std::wstring& text) {
  if (text.empty()) return {};
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                       nullptr, nullptr);
  std::string out(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size, nullptr,
                      nullptr);
  return out;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 5) {
    std::fputs("usage: registration_rows <server DLL> <server path> <help folder> <output file>\n", stderr);
    return 2;
  }
  // LoadTypeLibEx needs COM on this thread.
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  std::string text;
  try {
    auto rows = pendrel::win32::class_rows(argv[1], argv[2]);
    const auto library_rows = pendrel::win32::type_library_rows(argv[1], argv[2], argv[3]);
    rows.insert(rows.end(), library_rows.begin(), library_rows.end());
    for (const auto& row : rows) text += utf8(row.key) + '\t' + utf8(row.name) + '\t' + utf8(row.value) + '\n';
  } catch (const pendrel::Error& e) {
    std::fprintf(stderr, "registration_rows: %s: %s\n", utf8(argv[1]).c_str(), utf8(e.description()).c_str());
    return 1;
  }
  FILE* out = _wfopen(argv[4], L"wb");
  bool written = out && std::fwrite(text.data(), 1, text.size(), out) == text.size();
  if (out && std::fclose(out) != 0) written = false;
  if (!written) {
    std::fprintf(stderr, "registration_rows: cannot write %s\n", utf8(argv[4]).c_str());
    return 1;
  }
  return 0;
}
