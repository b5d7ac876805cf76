// The logon window's account lists: a stored list of 1,000 accounts of one
// domain, named through a scripted host, against the same rows put straight
// into the list view model. Counters: fetches per load of each collection
// (1 each is the goal) and how often the renderer hears of the list.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

#include "fake_dispatch.h"
#include "forms/form.h"
#include "forms/form_peer.h"
#include "forms/list_view.h"
#include "logon/account_lists.h"
#include "support/accounts.h"

namespace pendrel {
namespace {

constexpr int kAccounts = 1000;

// A renderer that only counts what the list view announces.
class CountingPeer : public forms::FormPeer {
 public:
  explicit CountingPeer(std::shared_ptr<int> announcements) : announcements_(std::move(announcements)) {}
  void create() override {}
  void destroy() override {}
  void show() override {}
  void hide() override {}
  void run_modal() override {}
  void zorder(int) override {}
  void refresh(const forms::Control*) override {}
  std::intptr_t hwnd() const override { return 0; }
  void form_changed(forms::Property) override {}
  void control_changed(forms::Control&, const forms::Change& change) override {
    if (change.property == forms::Property::Items) ++*announcements_;
  }

 private:
  std::shared_ptr<int> announcements_;
};

struct ListBench {
  ListBench() : form(L"frmLogonProperty", [](forms::Form& f) {
    forms::ListView& list = f.add<forms::ListView>(L"ListView1", 2);
    list.set_view(forms::list_view_style::kReport);
    list.column_headers().add(L"Name", 2350);
    list.column_headers().add(L"Description", 2100);
  }) {
    form.set_peer_factory([count = announcements](forms::Form&) { return std::make_unique<CountingPeer>(count); });
    fakes::FakeDomain& sales = host.domain(L"SALES");
    sales.global_groups.stock_group(L"Domain Admins", L"Administrators of the domain");
    sales.local_groups.stock_group(L"Printers", L"Print operators");
    for (int i = 0; i < kAccounts; ++i) {
      const std::wstring name = L"user" + std::to_wstring(i);
      sales.users.stock_user(name, L"Full Name " + std::to_wstring(i));
      data += (i ? L";SALES\\" : L"SALES\\") + name;
    }
  }

  forms::ListView& list() { return form.get<forms::ListView>(L"ListView1", 2); }

  // Rows gone, collections empty again, the host's log cleared.
  void reset() {
    list().list_items().clear();
    fakes::FakeDomain& sales = host.domain(L"SALES");
    sales.count = 0;
    sales.global_groups.loaded.clear();
    sales.local_groups.loaded.clear();
    sales.users.loaded.clear();
    host.log->clear();
    *announcements = 0;
  }

  std::shared_ptr<int> announcements = std::make_shared<int>(0);
  fakes::FakeAccountHost host{std::make_shared<fakes::FakeDispatch>(L"Computer")};
  forms::Form form;
  std::wstring data;
};

void BM_LoadListViewFromHost(benchmark::State& state) {
  ListBench bench;
  int64_t domain_fetches = 0, group_fetches = 0, user_fetches = 0, announcements = 0, loads = 0;
  for (auto _ : state) {
    state.PauseTiming();
    bench.reset();
    state.ResumeTiming();
    logon::load_list_view(bench.list(), bench.data, bench.host.computer, bench.host.domain_object);
    state.PauseTiming();
    domain_fetches += bench.host.count(L"call SALES.GetItems");
    group_fetches += bench.host.count(L"call SALES.GetGroups");
    user_fetches += bench.host.count(L"call SALES.Users.GetItems");
    announcements += *bench.announcements;
    ++loads;
    if (bench.list().list_items().count() != kAccounts) state.SkipWithError("rows missing");
    state.ResumeTiming();
  }
  const double n = static_cast<double>(loads);
  state.counters["domain_fetches_per_load"] = static_cast<double>(domain_fetches) / n;
  state.counters["group_fetches_per_load"] = static_cast<double>(group_fetches) / n;
  state.counters["user_fetches_per_load"] = static_cast<double>(user_fetches) / n;
  state.counters["list_announcements_per_load"] = static_cast<double>(announcements) / n;
  state.SetItemsProcessed(state.iterations() * kAccounts);
}
BENCHMARK(BM_LoadListViewFromHost)->Unit(benchmark::kMillisecond);

// The same rows, texts, descriptions and icons, without the host.
void BM_AddRowsStraightToTheModel(benchmark::State& state) {
  ListBench bench;
  std::vector<std::wstring> entries, descriptions;
  for (int i = 0; i < kAccounts; ++i) {
    entries.push_back(L"SALES\\user" + std::to_wstring(i));
    descriptions.push_back(L"Full Name " + std::to_wstring(i));
  }
  int64_t announcements = 0, loads = 0;
  for (auto _ : state) {
    state.PauseTiming();
    bench.reset();
    state.ResumeTiming();
    {
      forms::ListView& list = bench.list();
      const forms::UpdateBatch batch = list.begin_update();
      for (int i = 0; i < kAccounts; ++i) {
        forms::ListItem& row = list.list_items().add(entries[i], entries[i]);
        row.set_sub_item(1, descriptions[i]);
        row.set_icon(logon::account_icon::kUser);
        row.set_small_icon(logon::account_icon::kUser);
      }
    }
    announcements += *bench.announcements;
    ++loads;
  }
  state.counters["list_announcements_per_load"] = static_cast<double>(announcements) / static_cast<double>(loads);
  state.SetItemsProcessed(state.iterations() * kAccounts);
}
BENCHMARK(BM_AddRowsStraightToTheModel)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace pendrel
