// The live backend against this computer (under Wine in the test run), against
// a name under .invalid that nothing can reach, and Wake-on-LAN to a listener
// on 127.0.0.1. No packet leaves the machine.
#include "host/win32/live_backend.h"

#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/error.h"
#include "raised.h"

namespace pendrel::host {
namespace {

constexpr wchar_t kTestKey[] = L"SOFTWARE\\PendrelTest";
constexpr wchar_t kAbsentComputer[] = L"pendrel-absent.invalid";

// Removes the test key before and after, so that no run sees another's values.
struct TestKeyCleanup {
  TestKeyCleanup() { RegDeleteTreeW(HKEY_LOCAL_MACHINE, kTestKey); }
  ~TestKeyCleanup() { RegDeleteTreeW(HKEY_LOCAL_MACHINE, kTestKey); }
};

DWORD stored_type(const wchar_t* name) {
  DWORD type = 0xdeadbeef;
  RegGetValueW(HKEY_LOCAL_MACHINE, kTestKey, name, RRF_RT_ANY, &type, nullptr, nullptr);
  return type;
}

TEST(LiveBackend, ThisComputer) {
  auto domain = make_live_domain();
  std::wstring me = domain->this_computer_name();
  ASSERT_FALSE(me.empty());
  ASSERT_FALSE(domain->this_domain_name().empty());
  EXPECT_TRUE(domain->domain_exists(me));
  EXPECT_FALSE(domain->domain_exists(L""));

  auto computer = domain->computer(me);
  EXPECT_EQ(computer->domain(), domain->this_domain_name());

  for (int16_t level : {int16_t{101}, int16_t{102}}) {
    ServerInfo info;
    ASSERT_EQ(computer->server_information(level, info), 0) << level;
    EXPECT_EQ(info.platform_id, 500);
    EXPECT_NE(info.type & 0x1000u, 0u) << "SV_TYPE_NT, type " << std::hex << info.type;
  }
  // The computer's local time and bias give the current UTC time.
  RemoteTime time = computer->remote_time();
  ASSERT_NE(time.bias, kNoTimeZoneBias);
  EXPECT_EQ(time.tz, time.bias);
  SYSTEMTIME utc;
  GetSystemTime(&utc);
  DateParts now{utc.wYear, utc.wMonth, utc.wDay, utc.wHour, utc.wMinute, utc.wSecond};
  double shown_utc = time.time.value + time.bias / 1440.0;
  EXPECT_NEAR(shown_utc, make_date(now).value, 5.0 / 86400) << date_text(time.time);

  // This computer's users, the process's own among them.
  std::vector<Account> users{{L"poison", L""}};
  ASSERT_EQ(computer->users(users), 0);
  wchar_t name[256];
  DWORD size = std::size(name);
  ASSERT_TRUE(GetUserNameW(name, &size));
  EXPECT_NE(std::find_if(users.begin(), users.end(), [&](const Account& a) { return a.name == name; }), users.end());
  EXPECT_EQ(domain->computer(L"\\\\localhost")->ip_address(), L"127.0.0.1");
}

TEST(LiveBackend, RegistryRoundTrip) {
  TestKeyCleanup cleanup;
  auto domain = make_live_domain();
  auto computer = domain->computer(domain->this_computer_name());

  auto read = [&](const wchar_t* name, const Variant& value_default) {
    return computer->registry_value(kHkeyLocalMachine, kTestKey, name, value_default);
  };
  // Each kind is stored as its own registry type and read back.
  const std::wstring text = L"Pendrel \u00e9t\u00e9 \u20ac";
  const struct {
    const wchar_t* name;
    Variant written;
    DWORD type;
    Variant value_default, read;
  } values[] = {
      {L"Text", Variant(text), REG_SZ, Variant(L""), Variant(text)},
      {L"Number", Variant(int32_t{-5}), REG_DWORD, Variant(int32_t{0}), Variant(int32_t{-5})},
      {L"Small", Variant(int16_t{7}), REG_DWORD, Variant(int32_t{0}), Variant(int32_t{7})},
      {L"Flag", Variant(true), REG_DWORD, Variant(int32_t{0}), Variant(int32_t{1})},
      {L"Raw", Variant(Bytes{0, 1, 255}), REG_BINARY, Variant(), Variant(Bytes{0, 1, 255})},
  };
  for (const auto& v : values) {
    EXPECT_EQ(computer->set_registry_value(kHkeyLocalMachine, kTestKey, v.name, v.written), 0) << v.name;
    EXPECT_EQ(stored_type(v.name), v.type) << v.name;
    EXPECT_EQ(read(v.name, v.value_default), v.read) << v.name;
  }
  EXPECT_EQ(read(L"Absent", Variant(L"none")), Variant(L"none"));
  EXPECT_EQ(computer->registry_value(kHkeyLocalMachine, L"SOFTWARE\\PendrelTest\\NoSuchKey",
                                     L"UnAvailableTimeOut", Variant(int32_t{60})),
            Variant(int32_t{60}));

  const wchar_t multi[] = L"a\0bc\0";
  const wchar_t expand[] = L"%SystemRoot%\\x";
  ASSERT_EQ(RegSetKeyValueW(HKEY_LOCAL_MACHINE, kTestKey, L"Multi", REG_MULTI_SZ, multi, sizeof multi), ERROR_SUCCESS);
  ASSERT_EQ(RegSetKeyValueW(HKEY_LOCAL_MACHINE, kTestKey, L"Expand", REG_EXPAND_SZ, expand, sizeof expand),
            ERROR_SUCCESS);
  EXPECT_EQ(read(L"Multi", Variant()), Variant(std::wstring(L"a\0bc", 4)));
  EXPECT_EQ(read(L"Expand", Variant()), Variant(L"%SystemRoot%\\x"));

  // Null cannot be stored; nothing is written.
  EXPECT_EQ(error_number([&] {
              computer->set_registry_value(kHkeyLocalMachine, kTestKey, L"Null", Variant::null());
            }),
            vb_error::kInvalidUseOfNull);
  EXPECT_EQ(read(L"Null", Variant(L"none")), Variant(L"none"));
  // A root that is no predefined key is never used as a handle.
  EXPECT_EQ(error_number([&] { computer->registry_value(0x12345, kTestKey, L"Text", Variant()); }),
            vb_error::kInvalidProcedureCall);
}

TEST(LiveBackend, UnreachableComputer) {
  auto domain = make_live_domain();
  auto computer = domain->computer(kAbsentComputer);

  ServerInfo info{L"untouched", 7, 8, 9, 10};
  EXPECT_NE(computer->server_information(101, info), 0);
  EXPECT_EQ(info.description, L"untouched");
  EXPECT_NE(error_number([&] { computer->remote_time(); }), 0);

  std::vector<Account> accounts{{L"poison", L""}};
  EXPECT_NE(computer->users(accounts), 0);
  ASSERT_EQ(accounts.size(), 1u);
  EXPECT_EQ(accounts[0].name, L"poison");

  EXPECT_EQ(error_number([&] {
              computer->registry_value(kHkeyLocalMachine, kTestKey, L"Text", Variant(L"none"));
            }),
            static_cast<int32_t>(HRESULT_FROM_WIN32(ERROR_BAD_NETPATH)));
  EXPECT_EQ(computer->set_registry_value(kHkeyLocalMachine, kTestKey, L"Text", Variant(L"x")),
            ERROR_BAD_NETPATH);

  EXPECT_FALSE(computer->map_resource(L"IPC$", L"admin", L"secret"));
}

// A UDP socket on 127.0.0.1, where the test sends Wake-on-LAN packets.
class WakeListener {
 public:
  WakeListener() {
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    s_ = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int size = sizeof address;
    if (bind(s_, reinterpret_cast<sockaddr*>(&address), size) == 0 &&
        getsockname(s_, reinterpret_cast<sockaddr*>(&address), &size) == 0)
      port = ntohs(address.sin_port);
  }
  ~WakeListener() {
    closesocket(s_);
    WSACleanup();
  }
  // The next datagram within the wait, empty when none came.
  std::vector<uint8_t> receive(DWORD wait_ms) {
    setsockopt(s_, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&wait_ms), sizeof wait_ms);
    std::vector<uint8_t> packet(1024);
    const int got = recv(s_, reinterpret_cast<char*>(packet.data()), static_cast<int>(packet.size()), 0);
    packet.resize(got > 0 ? got : 0);
    return packet;
  }
  int port = 0;

 private:
  SOCKET s_ = INVALID_SOCKET;
};

struct WakeTarget {
  explicit WakeTarget(const std::wstring& value) {
    SetEnvironmentVariableW(L"PENDREL_WAKE_TARGET", value.c_str());
  }
  ~WakeTarget() { SetEnvironmentVariableW(L"PENDREL_WAKE_TARGET", nullptr); }
};

TEST(LiveBackend, WakeSendsMagicPacketToTarget) {
  WakeListener listener;
  ASSERT_NE(listener.port, 0);
  WakeTarget target(L"127.0.0.1:" + std::to_wstring(listener.port));
  auto computer = make_live_domain()->computer(kAbsentComputer);

  std::vector<uint8_t> expected(6, 0xFF);
  for (int i = 0; i < 16; ++i)
    expected.insert(expected.end(), {0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E});
  for (const wchar_t* mac : {L"00-1A-2B-3C-4D-5E", L"00:1a:2B:3c:4D:5e"}) {
    ASSERT_EQ(computer->wake(mac), 0) << testing::PrintToString(std::wstring(mac));
    EXPECT_EQ(listener.receive(5000), expected) << testing::PrintToString(std::wstring(mac));
  }

  for (const wchar_t* mac : {L"00-1A-2B-3C-4D", L"00-1A-2B-3C-4D-5G"}) {
    EXPECT_NE(computer->wake(mac), 0) << testing::PrintToString(std::wstring(mac));
  }
  {
    WakeTarget bad(L"127.0.0.1:70000");
    EXPECT_NE(computer->wake(L"00-1A-2B-3C-4D-5E"), 0);
  }
  EXPECT_TRUE(listener.receive(200).empty()) << "a malformed address or target was sent to";
}

}  // namespace
}  // namespace pendrel::host
