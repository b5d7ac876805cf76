#include "platform/win32/ui/screenshot.h"

#include <wincodec.h>

#include "platform/win32/com_ptr.h"
#include "platform/win32/ui/gdi.h"

namespace pendrel::win32::ui {

namespace {

void make_folders(const std::wstring& file) {
  for (size_t at = file.find(L'\\', 3); at != std::wstring::npos; at = file.find(L'\\', at + 1)) {
    CreateDirectoryW(file.substr(0, at).c_str(), nullptr);
  }
}

}  // namespace

std::wstring save_screenshot(HWND window, const std::wstring& png_path) {
  // A pointer resting over the window would show a tooltip in the picture.
  RECT area{};
  POINT cursor{};
  if (GetWindowRect(window, &area) && GetCursorPos(&cursor) && PtInRect(&area, cursor)) {
    SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1);
  }
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND w, LPARAM) CALLBACK -> BOOL {
        wchar_t name[32] = L"";
        GetClassNameW(w, name, 32);
        if (lstrcmpiW(name, TOOLTIPS_CLASSW) == 0) SendMessageW(w, TTM_POP, 0, 0);
        return TRUE;
      },
      0);
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
  GdiFlush();
  // Wine hands what was painted to the X server while the thread looks at its
  // queue: look for a moment before the pixels are read back.
  MSG msg;
  for (const DWORD start = GetTickCount(); GetTickCount() - start < 300;) {
    PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);
    Sleep(20);
  }
  RECT r{};
  if (!GetWindowRect(window, &r)) return L"no window rectangle";
  const int width = r.right - r.left;
  const int height = r.bottom - r.top;
  window_dc screen(nullptr);
  unique_hdc memory(CreateCompatibleDC(screen.get()));
  unique_hbitmap bitmap(CreateCompatibleBitmap(screen.get(), width, height));
  {
    selection use(memory.get(), bitmap.get());
    if (!BitBlt(memory.get(), 0, 0, width, height, screen.get(), r.left, r.top, SRCCOPY)) return L"BitBlt failed";
  }

  com_ptr<IWICImagingFactory> factory;
  HRESULT hr = CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                factory.put_void());
  if (FAILED(hr)) return L"no imaging factory";
  com_ptr<IWICBitmap> source;
  if (FAILED(factory->CreateBitmapFromHBITMAP(bitmap.get(), nullptr, WICBitmapIgnoreAlpha, source.put()))) {
    return L"no bitmap";
  }
  make_folders(png_path);
  com_ptr<IWICStream> stream;
  com_ptr<IWICBitmapEncoder> encoder;
  com_ptr<IWICBitmapFrameEncode> frame;
  WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
  if (FAILED(factory->CreateStream(stream.put())) ||
      FAILED(stream->InitializeFromFilename(png_path.c_str(), GENERIC_WRITE)) ||
      FAILED(factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, encoder.put())) ||
      FAILED(encoder->Initialize(stream.get(), WICBitmapEncoderNoCache)) ||
      FAILED(encoder->CreateNewFrame(frame.put(), nullptr)) || FAILED(frame->Initialize(nullptr)) ||
      FAILED(frame->SetSize(static_cast<UINT>(width), static_cast<UINT>(height))) ||
      FAILED(frame->SetPixelFormat(&format)) || FAILED(frame->WriteSource(source.get(), nullptr)) ||
      FAILED(frame->Commit()) || FAILED(encoder->Commit())) {
    return L"cannot write " + png_path;
  }
  return {};
}

}  // namespace pendrel::win32::ui
