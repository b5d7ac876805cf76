// GetRegValue reads a REG_DWORD again into a 32-bit integer, and that read's
// status is the result: data of another size gives what such a read gives.
#include <gtest/gtest.h>

#include "apps/fake_registry.h"

namespace pendrel::apps {
namespace {

TEST(RegistryDword, ReadAgainIntoThirtyTwoBitsUnlessItHoldsFourBytes) {
  // data, status, value, queries (buffer sizes)
  const std::tuple<Data, int32_t, int32_t, std::vector<std::string>> cases[] = {
      {{"\x07\x01\0\0", 4}, 0, 0x107, {"1024"}},
      {{"\x07\x01\0\0\0\0\0\0", 8}, kStatusMoreData, 0, {"1024", "4"}},
      {{"\x07\x01", 2}, 0, 0x107, {"1024", "4"}}};
  for (const auto& [data, status, number, queries] : cases) {
    FakeRegistry api;
    api.keys["SOFTWARE\\Quill"]["v"] = {kRegDword, data};
    Variant value = std::wstring(L"before");
    EXPECT_EQ(GetRegValue(api, kLocalMachine, L"SOFTWARE\\Quill", L"v", value), status) << data.size() << " bytes";
    EXPECT_EQ(value, Variant(number));
    EXPECT_EQ(api.log, queries);
    EXPECT_TRUE(api.open.empty());
  }
}

}  // namespace
}  // namespace pendrel::apps
