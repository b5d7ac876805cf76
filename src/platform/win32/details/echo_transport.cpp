#include "platform/win32/details/echo_transport.h"

#include <array>
#include <utility>

#include "core/error.h"

namespace pendrel::win32 {
namespace {

// As much data as a console ping sends.
constexpr std::array<char, 32> kEchoData = {'a', 'b', 'c', 'd', 'e', 'f', 'g', 'h', 'i', 'j', 'k',
                                            'l', 'm', 'n', 'o', 'p', 'q', 'r', 's', 't', 'u', 'v',
                                            'w', 'a', 'b', 'c', 'd', 'e', 'f', 'g', 'h', 'i'};

details::EchoResult echo_outcome(DWORD status) {
  switch (status) {
    case IP_REQ_TIMED_OUT: return {details::EchoOutcome::TimedOut, 0, static_cast<int32_t>(status)};
    case IP_DEST_HOST_UNREACHABLE: return {details::EchoOutcome::HostUnreachable, 0, static_cast<int32_t>(status)};
    case IP_DEST_NET_UNREACHABLE: return {details::EchoOutcome::NetworkUnreachable, 0, static_cast<int32_t>(status)};
    default: return {details::EchoOutcome::Failed, 0, static_cast<int32_t>(status)};
  }
}

std::wstring address_text(const IN_ADDR& address) {
  std::array<wchar_t, INET_ADDRSTRLEN> text{};
  if (!InetNtopW(AF_INET, &address, text.data(), text.size())) return {};
  return text.data();
}

}  // namespace

WinsockSession::WinsockSession() {
  WSADATA data{};
  if (const int code = WSAStartup(MAKEWORD(2, 2), &data))
    throw Error(code, L"Windows Sockets could not start (error " + std::to_wstring(code) + L").");
}

WinsockSession::~WinsockSession() { WSACleanup(); }

std::optional<details::ResolvedHost> Win32EchoTransport::resolve(const std::wstring& host) {
  if (!winsock_) winsock_.emplace();
  ADDRINFOW hints{};
  hints.ai_family = AF_INET;
  hints.ai_flags = AI_CANONNAME;
  unique_addrinfo found;
  if (GetAddrInfoW(host.c_str(), nullptr, &hints, found.put()) != 0 || !found) return std::nullopt;
  const ADDRINFOW& first = *found.get();
  std::wstring address = address_text(reinterpret_cast<const sockaddr_in*>(first.ai_addr)->sin_addr);
  if (address.empty()) return std::nullopt;
  // Without a canonical name the name asked for is the full one.
  std::wstring full_name = first.ai_canonname && *first.ai_canonname ? first.ai_canonname : host;
  return details::ResolvedHost{std::move(address), std::move(full_name)};
}

details::EchoResult Win32EchoTransport::echo(const std::wstring& address, uint32_t timeout_ms) {
  IN_ADDR target{};
  if (InetPtonW(AF_INET, address.c_str(), &target) != 1) return echo_outcome(WSAEINVAL);
  if (!icmp_) {
    HANDLE handle = IcmpCreateFile();
    if (handle == INVALID_HANDLE_VALUE) return echo_outcome(GetLastError());
    icmp_.reset(handle);
  }
  // Room for one reply with our data, and for the ICMP error message a
  // router may send instead.
  alignas(ICMP_ECHO_REPLY) std::array<char, sizeof(ICMP_ECHO_REPLY) + kEchoData.size() + 8> reply{};
  const DWORD replies = IcmpSendEcho(icmp_.get(), target.S_un.S_addr, const_cast<char*>(kEchoData.data()),
                                     static_cast<WORD>(kEchoData.size()), nullptr, reply.data(),
                                     static_cast<DWORD>(reply.size()), timeout_ms);
  if (replies == 0) return echo_outcome(GetLastError());
  const auto* first = reinterpret_cast<const ICMP_ECHO_REPLY*>(reply.data());
  if (first->Status != IP_SUCCESS) return echo_outcome(first->Status);
  return {details::EchoOutcome::Reply, static_cast<int32_t>(first->RoundTripTime), 0};
}

}  // namespace pendrel::win32
