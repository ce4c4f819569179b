#include "bench/proxy/DelayProxy.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <deque>
#include <stdexcept>

namespace {

using Clock = std::chrono::steady_clock;
constexpr std::chrono::milliseconds kTick{20};  // how often a quiet thread looks at stop and cut
// Under a bandwidth cap data leaves in pieces of at most this size, so that the far end sees the
// start of a long send before its end, as on a real line.
constexpr std::size_t kCappedPiece = 4096;

sockaddr_in LoopbackAddress(const std::string& host, int port) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<std::uint16_t>(port));
  if (inet_pton(AF_INET, host.c_str(), &address.sin_addr) != 1 || (ntohl(address.sin_addr.s_addr) >> 24) != 127)
    throw std::runtime_error("delay proxy: only loopback addresses (127.x.x.x) are allowed, not " + host);
  return address;
}

void NoDelay(int socket) {
  int one = 1;
  setsockopt(socket, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
}

bool SendAll(int socket, const std::string& data) {
  std::size_t sent = 0;
  while (sent < data.size()) {
    ssize_t n = send(socket, data.data() + sent, data.size() - sent, MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    sent += static_cast<std::size_t>(n);
  }
  return true;
}

struct Chunk {
  Clock::time_point due;
  std::string data;
};

// One direction of the link: when each piece of data it carries reaches the far end. Every piece
// waits for the delay; under a cap it also waits until the line has carried what came before it,
// and then takes its own length's worth of time.
class Line {
 public:
  Line(std::chrono::milliseconds delay, std::int64_t bytesPerSecond) : delay_(delay), bytesPerSecond_(bytesPerSecond) {}

  void Carry(std::deque<Chunk>& queue, const char* data, std::size_t length) {
    const Clock::time_point arrival = Clock::now();
    if (bytesPerSecond_ <= 0) {
      queue.push_back({arrival + delay_, std::string(data, length)});
      return;
    }
    for (std::size_t at = 0; at < length; at += kCappedPiece) {
      const std::size_t piece = std::min(kCappedPiece, length - at);
      const std::chrono::duration<double> onTheLine(static_cast<double>(piece) / static_cast<double>(bytesPerSecond_));
      free_ = std::max(arrival, free_) + std::chrono::duration_cast<Clock::duration>(onTheLine);
      queue.push_back({free_ + delay_, std::string(data + at, piece)});
    }
  }

 private:
  std::chrono::milliseconds delay_;
  std::int64_t bytesPerSecond_;
  Clock::time_point free_{};  // when the line has carried everything handed to it so far
};

}  // namespace

struct DelayProxy::Link {
  int client = -1, server = -1;
  std::atomic<bool> serverAnswered{true};  // the client's next send starts a turn
  std::atomic<bool> cut{false};
  ~Link() {
    if (client >= 0) close(client);
    if (server >= 0) close(server);
  }
};

DelayProxy::DelayProxy(DelayProxyOptions options) : options_(std::move(options)) {
  LoopbackAddress(options_.targetHost, options_.targetPort);  // refuses anything else
  listener_ = socket(AF_INET, SOCK_STREAM, 0);
  if (listener_ < 0) throw std::runtime_error("delay proxy: no socket");
  int one = 1;
  setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  sockaddr_in address = LoopbackAddress("127.0.0.1", options_.listenPort);
  socklen_t length = sizeof address;
  if (bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(listener_, 16) != 0 ||
      getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    close(listener_);
    throw std::runtime_error("delay proxy: cannot listen on 127.0.0.1:" + std::to_string(options_.listenPort));
  }
  port_ = ntohs(address.sin_port);
  acceptor_ = std::thread([this] { Accept(); });
}

DelayProxy::~DelayProxy() {
  stop_ = true;
  if (acceptor_.joinable()) acceptor_.join();
  std::vector<std::thread> threads;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    threads.swap(threads_);
  }
  for (std::thread& thread : threads) thread.join();
  close(listener_);
}

DelayProxyCounts DelayProxy::Counts() const {
  return {connections_.load(), turns_.load(), clientSends_.load(), clientBytes_.load(), serverBytes_.load()};
}

void DelayProxy::CutAll() { cut_ = true; }

void DelayProxy::Accept() {
  const auto end = Clock::now() + options_.lifetime;
  while (!stop_) {
    if (Clock::now() >= end) {
      expired_ = true;
      cut_ = true;
      return;
    }
    pollfd listening{listener_, POLLIN, 0};
    if (poll(&listening, 1, static_cast<int>(kTick.count())) <= 0) continue;
    const int client = accept(listener_, nullptr, nullptr);
    if (client < 0) continue;
    auto link = std::make_shared<Link>();
    link->client = client;
    if (cut_) continue;  // a cut link stays down: the new connection closes at once
    link->server = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in target = LoopbackAddress(options_.targetHost, options_.targetPort);
    if (link->server < 0 || connect(link->server, reinterpret_cast<sockaddr*>(&target), sizeof target) != 0) continue;
    NoDelay(link->client);
    NoDelay(link->server);
    ++connections_;
    std::lock_guard<std::mutex> lock(mutex_);
    links_.push_back(link);
    threads_.emplace_back([this, link] { Pump(link, true); });
    threads_.emplace_back([this, link] { Pump(link, false); });
  }
}

void DelayProxy::CountClientSend(Link& link, std::size_t bytes) {
  ++clientSends_;
  clientBytes_ += static_cast<std::int64_t>(bytes);
  if (!link.serverAnswered.exchange(false)) return;
  const std::int64_t turn = ++turns_;
  if (options_.cutAfterTurns >= 0 && turn > options_.cutAfterTurns) cut_ = true;
}

// Moves data one way: reads what the source sends and hands it on once the line has carried it
// (see Line). Ends when the source has closed and everything is delivered, or at a stop or a cut.
void DelayProxy::Pump(std::shared_ptr<Link> link, bool fromClient) {
  const int from = fromClient ? link->client : link->server;
  const int to = fromClient ? link->server : link->client;
  Line line(options_.delay, options_.bytesPerSecond);
  std::deque<Chunk> queue;
  bool sourceOpen = true;
  std::string buffer(65536, '\0');
  for (;;) {
    if (stop_ || cut_ || link->cut) {
      link->cut = true;
      shutdown(link->client, SHUT_RDWR);
      shutdown(link->server, SHUT_RDWR);
      return;
    }
    auto wait = kTick;
    if (!queue.empty())
      wait = std::min(wait, std::chrono::ceil<std::chrono::milliseconds>(
                                std::max(queue.front().due - Clock::now(), Clock::duration::zero())));
    if (sourceOpen) {
      pollfd source{from, POLLIN, 0};
      if (poll(&source, 1, static_cast<int>(wait.count())) > 0) {
        const ssize_t got = recv(from, buffer.data(), buffer.size(), 0);
        if (got <= 0) {
          if (got < 0 && errno == EINTR) continue;
          sourceOpen = false;
        } else if (fromClient) {
          CountClientSend(*link, static_cast<std::size_t>(got));
          if (cut_) continue;  // the send that went over the limit never arrives
          line.Carry(queue, buffer.data(), static_cast<std::size_t>(got));
        } else {
          serverBytes_ += got;
          link->serverAnswered = true;
          line.Carry(queue, buffer.data(), static_cast<std::size_t>(got));
        }
      }
    } else if (!queue.empty()) {
      std::this_thread::sleep_for(wait);
    }
    while (!queue.empty() && queue.front().due <= Clock::now()) {
      if (!SendAll(to, queue.front().data)) {
        link->cut = true;
        break;
      }
      queue.pop_front();
    }
    if (!sourceOpen && queue.empty()) {
      shutdown(to, SHUT_WR);
      return;
    }
  }
}
