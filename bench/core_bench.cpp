// The conversions that run per cell when lists and recordsets are shown.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "core/variant.h"

namespace pendrel {
namespace {

void BM_NumberText(benchmark::State& state) {
  const std::vector<Variant> values = {Variant(2.5), Variant(-3.0), Variant(1e20), Variant(0.1 + 0.2),
                                       Variant(123456789.125), Variant(int32_t{-2147483647})};
  for (auto _ : state)
    for (const Variant& v : values) benchmark::DoNotOptimize(v.to_text());
  state.SetItemsProcessed(state.iterations() * values.size());
}
BENCHMARK(BM_NumberText);

void BM_DateText(benchmark::State& state) {
  DateParts p;
  p.year = 2026, p.month = 12, p.day = 5, p.hour = 23, p.minute = 41, p.second = 4;
  const std::vector<Variant> values = {Variant(make_date(p)), Variant(Date{46361}), Variant(Date{0.75}),
                                       Variant(Date{-1.25})};
  for (auto _ : state)
    for (const Variant& v : values) benchmark::DoNotOptimize(v.to_text());
  state.SetItemsProcessed(state.iterations() * values.size());
}
BENCHMARK(BM_DateText);

void BM_TextToLong(benchmark::State& state) {
  const std::vector<Variant> values = {Variant(L"12"), Variant(L"  -2147483648 "), Variant(L"2.5"),
                                       Variant(L"1,000"), Variant(L"&HFF"), Variant(L"1.5E3")};
  for (auto _ : state)
    for (const Variant& v : values) benchmark::DoNotOptimize(v.to_long());
  state.SetItemsProcessed(state.iterations() * values.size());
}
BENCHMARK(BM_TextToLong);

void BM_TextToDate(benchmark::State& state) {
  const Variant text(L"12/5/2026 11:41:04 PM");
  for (auto _ : state) benchmark::DoNotOptimize(text.to_date());
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_TextToDate);

}  // namespace
}  // namespace pendrel
