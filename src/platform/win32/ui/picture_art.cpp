#include "platform/win32/ui/picture_art.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <iterator>
#include <utility>
#include <vector>

#include "core/error.h"
#include "forms/pictures.h"

namespace pendrel::win32::ui {

namespace {

namespace picture = forms::picture;

// Pixels of this colour are the transparent part of a drawing.
constexpr COLORREF kClear = RGB(255, 0, 254);

constexpr COLORREF kOutline = RGB(64, 64, 64);
constexpr COLORREF kSkin = RGB(240, 200, 160);

// Draws on a 16-unit grid scaled to the icon's size.
class Canvas {
 public:
  Canvas(HDC dc, int size) : dc_(dc), scale_(size / 16.0) {}

  void rect(double l, double t, double r, double b, COLORREF fill, COLORREF line = kOutline) {
    Tools tools(dc_, fill, line);
    Rectangle(dc_, at(l), at(t), at(r), at(b));
  }
  void ellipse(double l, double t, double r, double b, COLORREF fill, COLORREF line = kOutline) {
    Tools tools(dc_, fill, line);
    Ellipse(dc_, at(l), at(t), at(r), at(b));
  }
  void polygon(std::initializer_list<std::pair<double, double>> corners, COLORREF fill,
               COLORREF line = kOutline) {
    std::vector<POINT> points;
    for (const auto& [x, y] : corners) points.push_back(POINT{at(x), at(y)});
    Tools tools(dc_, fill, line);
    Polygon(dc_, points.data(), static_cast<int>(points.size()));
  }
  void stroke(std::initializer_list<std::pair<double, double>> corners, COLORREF color, double width) {
    std::vector<POINT> points;
    for (const auto& [x, y] : corners) points.push_back(POINT{at(x), at(y)});
    unique_hpen pen(CreatePen(PS_SOLID, std::max(1, at(width)), color));
    selection use(dc_, pen.get());
    Polyline(dc_, points.data(), static_cast<int>(points.size()));
  }

 private:
  class Tools {
   public:
    Tools(HDC dc, COLORREF fill, COLORREF line)
        : brush_(CreateSolidBrush(fill)), pen_(CreatePen(PS_SOLID, 1, line)), b_(dc, brush_.get()),
          p_(dc, pen_.get()) {}

   private:
    unique_hbrush brush_;
    unique_hpen pen_;
    selection b_;
    selection p_;
  };

  int at(double units) const { return static_cast<int>(std::lround(units * scale_)); }

  HDC dc_;
  double scale_;
};

void person(Canvas& c, double dx, double dy, COLORREF body) {
  c.ellipse(dx + 2, dy + 7, dx + 11, dy + 17, body);
  c.ellipse(dx + 4, dy + 1, dx + 9, dy + 7, kSkin);
}

void group(Canvas& c, COLORREF back, COLORREF front) {
  person(c, 4, -1, back);
  person(c, -1, 0, front);
}

void monitor(Canvas& c, COLORREF screen) {
  c.rect(1, 1, 15, 11, RGB(200, 200, 200));
  c.rect(3, 3, 13, 9, screen);
  c.rect(6, 11, 10, 13, RGB(160, 160, 160));
  c.rect(3, 13, 13, 15, RGB(200, 200, 200));
}

void folder(Canvas& c, bool open) {
  c.polygon({{1, 3}, {6, 3}, {7, 5}, {15, 5}, {15, 14}, {1, 14}}, RGB(224, 176, 48));
  if (open) c.polygon({{4, 8}, {16, 8}, {13, 14}, {1, 14}}, RGB(252, 224, 120));
}

void package(Canvas& c) {
  c.polygon({{2, 6}, {5, 3}, {14, 3}, {11, 6}}, RGB(232, 200, 150));
  c.polygon({{11, 6}, {14, 3}, {14, 12}, {11, 15}}, RGB(160, 110, 60));
  c.rect(2, 6, 11, 15, RGB(200, 150, 90));
  c.stroke({{6, 6}, {6, 15}}, RGB(120, 80, 40), 1);
}

// A distinct colour for a picture the catalogue does not know.
COLORREF spare_colour(int picture) {
  static const COLORREF kColours[] = {RGB(200, 60, 60),  RGB(60, 160, 60), RGB(60, 90, 200),
                                      RGB(200, 150, 40), RGB(150, 60, 180), RGB(40, 160, 170)};
  return kColours[static_cast<unsigned>(picture) % std::size(kColours)];
}

void draw(Canvas& c, int picture) {
  switch (picture) {
    case picture::kFolderClosed: folder(c, false); break;
    case picture::kFolderOpen: folder(c, true); break;
    case picture::kPackage: package(c); break;
    case picture::kPackageReinstall:
      package(c);
      c.ellipse(8, 0, 16, 8, RGB(210, 40, 40), RGB(150, 20, 20));
      c.stroke({{10, 4}, {14, 4}}, RGB(255, 255, 255), 1);
      c.stroke({{12, 2}, {12, 6}}, RGB(255, 255, 255), 1);
      break;
    case picture::kGlobalGroup: group(c, RGB(90, 170, 230), RGB(30, 90, 190)); break;
    case picture::kProductGroup: group(c, RGB(190, 130, 220), RGB(120, 50, 160)); break;
    case picture::kUser: person(c, 1.5, 0, RGB(40, 100, 210)); break;
    case picture::kDomainLocalGroup: group(c, RGB(250, 200, 80), RGB(220, 120, 30)); break;
    case picture::kLogonSession:
      monitor(c, RGB(40, 40, 90));
      person(c, 5, 4, RGB(150, 150, 150));
      break;
    case picture::kComputer: monitor(c, RGB(40, 110, 200)); break;
    case picture::kInteractiveUser:
      monitor(c, RGB(40, 160, 70));
      person(c, 5, 4, RGB(40, 100, 210));
      break;
    case picture::kComputerLocalGroup:
      monitor(c, RGB(120, 120, 120));
      c.ellipse(7, 5, 13, 13, RGB(180, 70, 40));
      c.ellipse(8.5, 3, 11.5, 6, kSkin);
      break;
    case picture::kOnLine:
      monitor(c, RGB(40, 160, 70));
      c.stroke({{5, 6}, {7, 8}, {11, 4}}, RGB(255, 255, 255), 1.2);
      break;
    case picture::kOffLine:
      monitor(c, RGB(110, 110, 110));
      c.stroke({{5, 4}, {11, 8}}, RGB(220, 30, 30), 1.2);
      c.stroke({{11, 4}, {5, 8}}, RGB(220, 30, 30), 1.2);
      break;
    default: c.ellipse(2, 2, 14, 14, spare_colour(picture)); break;
  }
}

[[noreturn]] void fail(const wchar_t* what) {
  throw Error(static_cast<int32_t>(E_FAIL), std::wstring(L"Cannot draw a picture: ") + what);
}

}  // namespace

unique_hicon draw_picture(int picture, int size) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = size;
  info.bmiHeader.biHeight = -size;  // top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* raw = nullptr;
  unique_hbitmap colour(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &raw, nullptr, 0));
  unique_hdc dc(CreateCompatibleDC(nullptr));
  if (!colour || !dc) fail(L"no bitmap");
  {
    selection use(dc.get(), colour.get());
    unique_hbrush clear(CreateSolidBrush(kClear));
    const RECT all{0, 0, size, size};
    FillRect(dc.get(), &all, clear.get());
    Canvas canvas(dc.get(), size);
    draw(canvas, picture);
    GdiFlush();
  }
  // The mask: one bit a pixel, rows padded to 16 bits; set where transparent.
  const int stride = (size + 15) / 16 * 2;
  std::vector<BYTE> mask(static_cast<size_t>(stride) * size, 0);
  auto* pixels = static_cast<DWORD*>(raw);
  // A DIB holds blue, green, red: the clear colour as it lies in memory.
  const DWORD clear_pixel = (GetRValue(kClear) << 16) | (GetGValue(kClear) << 8) | GetBValue(kClear);
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      DWORD& pixel = pixels[y * size + x];
      if ((pixel & 0xFFFFFF) == clear_pixel) {
        pixel = 0;
        mask[static_cast<size_t>(y) * stride + x / 8] |= static_cast<BYTE>(0x80 >> (x % 8));
      } else {
        pixel |= 0xFF000000;
      }
    }
  }
  unique_hbitmap mask_bitmap(CreateBitmap(size, size, 1, 1, mask.data()));
  ICONINFO icon_info{TRUE, 0, 0, mask_bitmap.get(), colour.get()};
  // Wine (8.0) may lose a new icon, setting no error, when another thread
  // frees an icon at the same moment: its handle table entry is cleared by
  // the free after the new icon took the same slot. The inventory's workers,
  // each loading windows on its own thread, meet this a few times in a
  // hundred loads; a second try gets a fresh handle.
  unique_hicon icon;
  for (int attempt = 0; attempt < 3 && !icon; ++attempt) icon.reset(CreateIconIndirect(&icon_info));
  if (!icon) fail(L"no icon");
  return icon;
}

HCURSOR pointer_cursor(int pointer, int icon) {
  const wchar_t* id = nullptr;
  switch (pointer) {
    case 1: id = IDC_ARROW; break;
    case 2: id = IDC_CROSS; break;
    case 3: id = IDC_IBEAM; break;
    case 5:
    case 15: id = IDC_SIZEALL; break;
    case 6: id = IDC_SIZENESW; break;
    case 7: id = IDC_SIZENS; break;
    case 8: id = IDC_SIZENWSE; break;
    case 9: id = IDC_SIZEWE; break;
    case 10: id = IDC_UPARROW; break;
    case 11: id = IDC_WAIT; break;
    case 12: id = IDC_NO; break;
    case 13: id = IDC_APPSTARTING; break;
    case 14: id = IDC_HELP; break;
    // Every custom picture points like a link: the windows use one for captions
    // that load something when clicked.
    case 99: id = icon != 0 ? IDC_HAND : IDC_ARROW; break;
    default: return nullptr;
  }
  return LoadCursorW(nullptr, id);
}

}  // namespace pendrel::win32::ui
