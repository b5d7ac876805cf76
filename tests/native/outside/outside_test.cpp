#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "outside/tavisk.h"

namespace pendrel {
namespace {

// RawTavisk against fake entry points: what reaches the library and what
// comes back from its buffers.
struct Recorded {
  std::string server;  // what the library received
  bool buffers_were_nul = false;
  std::string user_bytes;     // copied into buffer 2 as they are, NULs included
  std::string account_bytes;  // copied into buffer 3
  int32_t status = 0;
};
Recorded recorded;

bool all_nul(const char* buffer) {
  return std::all_of(buffer, buffer + kTaviskBufferSize, [](char c) { return c == '\0'; });
}

int32_t fake_user(const char* server, char* user, char* account) {
  recorded.server = server;
  recorded.buffers_were_nul = all_nul(user) && all_nul(account);
  std::memcpy(user, recorded.user_bytes.data(), recorded.user_bytes.size());
  std::memcpy(account, recorded.account_bytes.data(), recorded.account_bytes.size());
  return recorded.status;
}
int32_t fake_load(const char*, int32_t, const char*, const char*) { return 0; }
int32_t fake_unload(const char*, int32_t, const char*) { return 0; }

class RawTaviskTest : public ::testing::Test {
 protected:
  void SetUp() override { recorded = Recorded{}; }
  RawTavisk tavisk{{&fake_user, &fake_load, &fake_unload}};
};

TEST_F(RawTaviskTest, ConsoleUserBuffersKeepTheTextBeforeTheirFirstNul) {
  recorded.user_bytes = std::string("bob\0left over", 14);
  recorded.account_bytes = std::string("CORP\\bob\0\xff\xff", 11);
  std::wstring user, account;
  EXPECT_EQ(tavisk.NetGetInteractiveUser(L"\\\\PC\u00e9", user, account), 0);
  EXPECT_EQ(recorded.server, "\\\\PC\xe9");
  EXPECT_EQ(user + L"|" + account, L"bob|CORP\\bob");

  // A library that fills a buffer to its end leaves no NUL: all 50 count.
  recorded.user_bytes = std::string(kTaviskBufferSize - 1, 'u') + "\xe9";
  recorded.account_bytes = std::string(kTaviskBufferSize, 'a');
  EXPECT_EQ(tavisk.NetGetInteractiveUser(L"\\\\PC", user, account), 0);
  EXPECT_EQ(user, std::wstring(kTaviskBufferSize - 1, L'u') + L"\u00e9");
  EXPECT_EQ(account, std::wstring(kTaviskBufferSize, L'a'));

  // A failed look-up that writes nothing gets freshly cleared buffers and
  // leaves nothing of the previous call.
  recorded.user_bytes.clear(), recorded.account_bytes.clear(), recorded.status = 53;
  EXPECT_EQ(tavisk.NetGetInteractiveUser(L"\\\\PC", user, account), 53);
  EXPECT_TRUE(recorded.buffers_were_nul);
  EXPECT_EQ(user + L"|" + account, L"|");
}

}  // namespace
}  // namespace pendrel
