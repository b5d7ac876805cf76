#include "platform/win32/logon/browse_dialog.h"

#include <commctrl.h>

#include <algorithm>
#include <string>
#include <string_view>

#include "core/error.h"
#include "core/text.h"
#include "forms/pictures.h"
#include "platform/win32/ui/gdi.h"
#include "platform/win32/ui/picture_art.h"

namespace pendrel::win32 {
namespace {

using ui::draw_picture;
using ui::unique_hicon;
using ui::unique_himagelist;
namespace picture = forms::picture;

using logon::AccountKind;
using logon::BrowseAccount;
using logon::BrowseRequest;

constexpr int kFindLabelId = 1004;

// The dialog's size in dialog units; the controls are made in WM_INITDIALOG.
constexpr short kWidth = 360;
constexpr short kHeight = 222;

struct BrowseState {
  const BrowseRequest& request;
  unique_himagelist icons;
  // The positions in request.accounts of the rows shown, in row order: the
  // list holds no rows of its own and asks for each row it paints.
  std::vector<size_t> shown;
  // Rows selected before the filter hid them come back selected.
  std::vector<bool> chosen;
  std::vector<size_t> result;
};

HINSTANCE this_module() {
  HMODULE module = nullptr;
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCWSTR>(&this_module), &module);
  return module;
}

// A DLGTEMPLATE without items, the title and the dialog font.
std::vector<WORD> dialog_template(std::wstring_view title) {
  const DWORD style = DS_MODALFRAME | DS_SETFONT | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU;
  std::vector<WORD> words = {LOWORD(style), HIWORD(style), 0, 0, 0, 0, 0, kWidth, kHeight, 0, 0};
  words.insert(words.end(), title.begin(), title.end());
  words.push_back(0);
  words.push_back(8);
  const std::wstring_view font = L"MS Shell Dlg";
  words.insert(words.end(), font.begin(), font.end());
  words.push_back(0);
  return words;
}

int image_of(AccountKind kind) { return static_cast<int>(kind); }

const wchar_t* kind_text(AccountKind kind) {
  switch (kind) {
    case AccountKind::User: return L"User";
    case AccountKind::GlobalGroup: return L"Global group";
    case AccountKind::DomainLocalGroup: return L"Domain local group";
    case AccountKind::ComputerLocalGroup: return L"Local group";
  }
  return L"";
}

bool matches(const BrowseAccount& account, const std::wstring& filter) {
  return filter.empty() || case_folded(account.entry()).find(filter) != std::wstring::npos ||
         case_folded(account.description).find(filter) != std::wstring::npos;
}

std::wstring window_text(HWND window) {
  std::wstring text(static_cast<size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(static_cast<size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

// The account positions of the list's rows that are selected, in list order.
std::vector<size_t> selected_rows(HWND list, const BrowseState& state) {
  std::vector<size_t> rows;
  for (int i = ListView_GetNextItem(list, -1, LVNI_SELECTED); i >= 0 && static_cast<size_t>(i) < state.shown.size();
       i = ListView_GetNextItem(list, i, LVNI_SELECTED)) {
    rows.push_back(state.shown[static_cast<size_t>(i)]);
  }
  return rows;
}

void update_ok(HWND dialog) {
  EnableWindow(GetDlgItem(dialog, IDOK), ListView_GetSelectedCount(GetDlgItem(dialog, kBrowseListId)) > 0);
}

// Notes which shown rows are selected, then shows the accounts the filter
// lets through with the chosen ones selected.
void fill(HWND dialog, BrowseState& state) {
  HWND list = GetDlgItem(dialog, kBrowseListId);
  for (size_t position : state.shown) state.chosen[position] = false;
  for (size_t position : selected_rows(list, state)) state.chosen[position] = true;

  const std::wstring filter = case_folded(trim_spaces(window_text(GetDlgItem(dialog, kBrowseFilterId))));
  state.shown.clear();
  for (size_t i = 0; i < state.request.accounts.size(); ++i) {
    if (matches(state.request.accounts[i], filter)) state.shown.push_back(i);
  }
  ListView_SetItemCountEx(list, static_cast<int>(state.shown.size()), 0);
  ListView_SetItemState(list, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
  for (size_t row = 0; row < state.shown.size(); ++row) {
    if (state.chosen[state.shown[row]]) ListView_SetItemState(list, static_cast<int>(row), LVIS_SELECTED, LVIS_SELECTED);
  }
  InvalidateRect(list, nullptr, TRUE);
  update_ok(dialog);
}

void display(const BrowseState& state, LVITEMW& item) {
  if (item.iItem < 0 || static_cast<size_t>(item.iItem) >= state.shown.size()) return;
  const BrowseAccount& account = state.request.accounts[state.shown[static_cast<size_t>(item.iItem)]];
  if (item.mask & LVIF_TEXT) {
    const std::wstring text = item.iSubItem == 0   ? account.entry()
                              : item.iSubItem == 1 ? account.description
                                                   : std::wstring(kind_text(account.kind));
    copy_to_buffer(text, item.pszText, static_cast<size_t>(std::max(item.cchTextMax, 0)));
  }
  if (item.mask & LVIF_IMAGE) item.iImage = image_of(account.kind);
}

HWND make_control(HWND dialog, const wchar_t* window_class, DWORD style, DWORD ex_style, RECT units, int id,
                  const std::wstring& text = {}) {
  MapDialogRect(dialog, &units);
  HWND control = CreateWindowExW(ex_style, window_class, text.c_str(), style | WS_CHILD | WS_VISIBLE, units.left,
                                 units.top, units.right - units.left, units.bottom - units.top, dialog,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), this_module(), nullptr);
  if (!control) throw Error(HRESULT_FROM_WIN32(GetLastError()), L"Cannot make the browse dialog");
  SendMessageW(control, WM_SETFONT, SendMessageW(dialog, WM_GETFONT, 0, 0), FALSE);
  return control;
}

int units_to_pixels(HWND dialog, int units) {
  RECT r{0, 0, units, 0};
  MapDialogRect(dialog, &r);
  return r.right;
}

void init_dialog(HWND dialog, BrowseState& state) {
  const std::wstring look_in = L"Look in: " + state.request.target_computer;
  make_control(dialog, WC_STATICW, SS_LEFT | SS_NOPREFIX, 0, {7, 7, kWidth - 7, 17}, kBrowseLookInId, look_in);
  make_control(dialog, WC_STATICW, SS_LEFT, 0, {7, 23, 40, 33}, kFindLabelId, L"&Find:");
  make_control(dialog, WC_EDITW, ES_AUTOHSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE, {42, 21, kWidth - 7, 34},
               kBrowseFilterId);
  HWND list = make_control(dialog, WC_LISTVIEWW,
                           LVS_REPORT | LVS_SHOWSELALWAYS | LVS_SHAREIMAGELISTS | LVS_OWNERDATA | WS_TABSTOP,
                           WS_EX_CLIENTEDGE,
                           {7, 40, kWidth - 7, kHeight - 26}, kBrowseListId);
  ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT);
  make_control(dialog, WC_BUTTONW, BS_DEFPUSHBUTTON | WS_TABSTOP, 0,
               {kWidth - 115, kHeight - 21, kWidth - 61, kHeight - 7}, IDOK, L"OK");
  make_control(dialog, WC_BUTTONW, BS_PUSHBUTTON | WS_TABSTOP, 0,
               {kWidth - 57, kHeight - 21, kWidth - 7, kHeight - 7}, IDCANCEL, L"Cancel");

  const int size = GetSystemMetrics(SM_CXSMICON);
  state.icons.reset(ImageList_Create(size, size, ILC_COLOR32 | ILC_MASK, 4, 0));
  for (int picture : {picture::kUser, picture::kGlobalGroup, picture::kDomainLocalGroup,
                      picture::kComputerLocalGroup}) {
    unique_hicon icon = draw_picture(picture, size);
    ImageList_AddIcon(state.icons.get(), icon.get());
  }
  ListView_SetImageList(list, state.icons.get(), LVSIL_SMALL);

  const std::pair<const wchar_t*, int> columns[] = {{L"Name", 120}, {L"Description", 150}, {L"Type", 66}};
  for (int i = 0; i < 3; ++i) {
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    column.pszText = const_cast<wchar_t*>(columns[i].first);
    column.cx = units_to_pixels(dialog, columns[i].second);
    column.iSubItem = i;
    ListView_InsertColumn(list, i, &column);
  }
  fill(dialog, state);
  SetFocus(GetDlgItem(dialog, kBrowseFilterId));
}

void confirm(HWND dialog, BrowseState& state) {
  std::vector<size_t> rows = selected_rows(GetDlgItem(dialog, kBrowseListId), state);
  if (rows.empty()) return;
  std::sort(rows.begin(), rows.end());
  state.result = std::move(rows);
  EndDialog(dialog, IDOK);
}

INT_PTR CALLBACK browse_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  try {
    if (message == WM_INITDIALOG) {
      SetWindowLongPtrW(dialog, DWLP_USER, lparam);
      init_dialog(dialog, *reinterpret_cast<BrowseState*>(lparam));
      return FALSE;
    }
    auto* state = reinterpret_cast<BrowseState*>(GetWindowLongPtrW(dialog, DWLP_USER));
    if (!state) return FALSE;
    switch (message) {
      case WM_COMMAND:
        if (LOWORD(wparam) == IDOK) confirm(dialog, *state);
        else if (LOWORD(wparam) == IDCANCEL) EndDialog(dialog, IDCANCEL);
        else if (LOWORD(wparam) == kBrowseFilterId && HIWORD(wparam) == EN_CHANGE) fill(dialog, *state);
        else return FALSE;
        return TRUE;
      case WM_NOTIFY: {
        const auto* header = reinterpret_cast<const NMHDR*>(lparam);
        if (header->idFrom != kBrowseListId) return FALSE;
        if (header->code == LVN_GETDISPINFOW) display(*state, reinterpret_cast<NMLVDISPINFOW*>(lparam)->item);
        else if (header->code == LVN_ITEMCHANGED || header->code == LVN_ODSTATECHANGED) update_ok(dialog);
        else if (header->code == NM_DBLCLK) confirm(dialog, *state);
        return FALSE;
      }
      default: return FALSE;
    }
  } catch (...) {
    // Nothing may leave a dialog procedure; a dialog that failed to build is closed.
    if (message == WM_INITDIALOG) EndDialog(dialog, -1);
    return FALSE;
  }
}

}  // namespace

std::optional<std::vector<size_t>> Win32BrowseDialog::show(const BrowseRequest& request) {
  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_LISTVIEW_CLASSES};
  InitCommonControlsEx(&controls);
  BrowseState state{request, {}, {}, std::vector<bool>(request.accounts.size()), {}};
  HWND owner = reinterpret_cast<HWND>(request.owner);
  if (owner && !IsWindow(owner)) owner = nullptr;
  const std::vector<WORD> words = dialog_template(request.title);
  const INT_PTR result = DialogBoxIndirectParamW(this_module(), reinterpret_cast<const DLGTEMPLATE*>(words.data()),
                                                 owner, browse_proc, reinterpret_cast<LPARAM>(&state));
  if (result == -1 || result == 0) {
    const DWORD error = GetLastError();
    throw Error(error ? HRESULT_FROM_WIN32(error) : E_FAIL, L"Cannot show the browse dialog");
  }
  if (result != IDOK) return std::nullopt;
  return state.result;
}

}  // namespace pendrel::win32
