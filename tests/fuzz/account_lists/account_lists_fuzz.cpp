// The logon window's stored account lists ("AUTHORITY\name" entries joined by
// ";"), read into a list view against a scripted host: reading raises
// nothing, keeps one row per distinct non-blank entry in the order first
// stored, and the rows written back read again to the same rows.
#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "forms/form.h"
#include "forms/list_view.h"
#include "fuzz_support.h"
#include "logon/account_lists.h"
#include "support/accounts.h"

namespace {

using namespace pendrel;
using fuzz::require;

struct Host {
  Host() {
    fakes::FakeDomain& sales = accounts.domain(L"SALES");
    sales.global_groups.stock_group(L"Admins", L"Domain admins");
    sales.local_groups.stock_group(L"Printers", L"Print operators");
    sales.users.stock_user(L"jdoe", L"John Doe");
    accounts.users.stock_user(L"Guests", L"Guest account");
    accounts.local_local_groups.stock_group(L"Backup", L"Backup operators");
  }
  fakes::FakeAccountHost accounts{std::make_shared<fakes::FakeDispatch>(L"Computer")};
};

std::wstring loaded(const std::wstring& value) {
  Host host;
  forms::Form form(L"frmLogonProperty", [](forms::Form& f) {
    auto& list = f.add<forms::ListView>(L"ListView1", 0);
    list.column_headers().add(L"Name");
    list.column_headers().add(L"Description");
  });
  forms::ListView& list = form.get<forms::ListView>(L"ListView1", 0);
  // An error escaping here ends the run as a crash: reading raises nothing.
  logon::load_list_view(list, value, host.accounts.computer, host.accounts.domain_object);
  const forms::ListItems& rows = list.list_items();
  for (int i = 1; i <= rows.count(); ++i) {
    const forms::ListItem& row = rows.item(i);
    require(row.key() == row.text(), "a row's key is its entry");
    const int icon = row.icon();
    require(icon == 0 || icon == logon::account_icon::kUser || icon == logon::account_icon::kGlobalGroup ||
                icon == logon::account_icon::kDomainLocalGroup || icon == logon::account_icon::kComputerLocalGroup,
            "a row shows no icon or an account's");
  }
  return logon::account_list_value(list);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::wstring value = fuzz::wide_text(data, size);
  std::wstring expected;
  std::set<std::wstring> seen;
  for (size_t start = 0; start <= value.size();) {
    const size_t end = std::min(value.find(L';', start), value.size());
    const std::wstring entry = value.substr(start, end - start);
    if (entry.find_first_not_of(L' ') != std::wstring::npos && seen.insert(entry).second)
      expected += (expected.empty() ? L"" : L";") + entry;
    start = end + 1;
  }
  const std::wstring written = loaded(value);
  require(written == expected, "one row per distinct non-blank entry, in stored order");
  require(loaded(written) == written, "rows written back read again to the same rows");
  return 0;
}
