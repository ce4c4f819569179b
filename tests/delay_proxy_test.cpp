// The delay proxy carries every byte, in order, in both directions, with or without a bandwidth
// cap, and counts them. (How long a capped transfer takes is for the benchmarks to show.)

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "bench/proxy/DelayProxy.h"

namespace {

// A loopback server that sends back whatever its one client sends, until the client closes.
class EchoServer {
 public:
  EchoServer() {
    listener_ = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(listener_, 1) != 0 ||
        getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0)
      throw std::runtime_error("echo server: cannot listen");
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { Serve(); });
  }
  ~EchoServer() {
    thread_.join();
    close(listener_);
  }
  int Port() const { return port_; }

 private:
  void Serve() {
    const int peer = accept(listener_, nullptr, nullptr);
    if (peer < 0) return;
    char buffer[8192];
    for (ssize_t got; (got = recv(peer, buffer, sizeof buffer, 0)) > 0;)
      for (ssize_t sent = 0, n; sent < got; sent += n)
        if ((n = send(peer, buffer + sent, static_cast<std::size_t>(got - sent), MSG_NOSIGNAL)) <= 0) break;
    close(peer);
  }

  int listener_ = -1;
  int port_ = 0;
  std::thread thread_;
};

int ConnectTo(int port) {
  const int s = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<std::uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) throw std::runtime_error("no connect");
  return s;
}

// Sends `data` in sends of assorted sizes while reading the echo, and returns what came back.
std::string RoundTrip(int s, const std::string& data) {
  std::string back;
  std::size_t sent = 0;
  char buffer[8192];
  for (std::size_t step = 1; back.size() < data.size();) {
    if (sent < data.size()) {
      const std::size_t length = std::min({step, data.size() - sent, std::size_t{70000}});
      const ssize_t n = send(s, data.data() + sent, length, MSG_NOSIGNAL);
      if (n <= 0) break;
      sent += static_cast<std::size_t>(n);
      step = step * 7 + 3;  // 1, 10, 73, 514, ... bytes, then the largest
      if (sent == data.size()) shutdown(s, SHUT_WR);
    }
    pollfd readable{s, POLLIN, 0};
    if (poll(&readable, 1, sent < data.size() ? 0 : 5000) <= 0) {
      if (sent == data.size()) break;  // nothing more is coming
      continue;
    }
    const ssize_t got = recv(s, buffer, sizeof buffer, 0);
    if (got <= 0) break;
    back.append(buffer, static_cast<std::size_t>(got));
  }
  return back;
}

}  // namespace

TEST(DelayProxy, CarriesEveryByteInOrderBothWaysWithOrWithoutABandwidthCap) {
  std::string data(300000, '\0');
  for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<char>((i * 131 + i / 251) & 0xff);
  struct Case {
    int delayMs;
    std::int64_t bytesPerSecond;
  };
  for (const Case c : {Case{0, 0}, Case{2, 0}, Case{0, 4000000}, Case{3, 8000000}}) {
    SCOPED_TRACE("delay " + std::to_string(c.delayMs) + " ms, cap " + std::to_string(c.bytesPerSecond) + " B/s");
    EchoServer echo;
    DelayProxyOptions options;
    options.targetPort = echo.Port();
    options.delay = std::chrono::milliseconds(c.delayMs);
    options.bytesPerSecond = c.bytesPerSecond;
    options.lifetime = std::chrono::seconds(60);
    DelayProxy proxy(options);
    const int s = ConnectTo(proxy.Port());
    const std::string back = RoundTrip(s, data);
    close(s);
    EXPECT_EQ(back.size(), data.size());
    EXPECT_TRUE(back == data) << "the echo differs from what was sent";
    const DelayProxyCounts counts = proxy.Counts();
    EXPECT_EQ(counts.clientBytes, static_cast<std::int64_t>(data.size()));
    EXPECT_EQ(counts.serverBytes, static_cast<std::int64_t>(data.size()));
    EXPECT_EQ(counts.connections, 1);
  }
}
