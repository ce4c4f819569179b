#pragma once
// A TCP proxy on the loopback interface that holds every chunk of data for a fixed time before
// passing it on, in each direction, so that a local server looks like one at the end of a slow
// link; it can also cap each direction's bandwidth, so that data queues as on a narrow line. It
// counts what crosses it: the client's sends and its turns (a send that follows an
// answer of the server), which is how many round trips the client waited for. It can cut every
// link at once, or after a number of turns, to play a link that drops.
//
// Only loopback addresses are accepted on both ends; the proxy stops by itself after its
// lifetime.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct DelayProxyOptions {
  int listenPort = 0;  // 0: any free port (see Port())
  std::string targetHost = "127.0.0.1";
  int targetPort = 3050;
  std::chrono::milliseconds delay{0};  // added to each direction
  std::int64_t bytesPerSecond = 0;     // > 0: each direction carries at most this many bytes a second
  std::chrono::seconds lifetime{900};  // the proxy stops accepting and cuts every link after it
  std::int64_t cutAfterTurns = -1;     // >= 0: cut every link when the client starts turn N + 1
};

struct DelayProxyCounts {
  std::int64_t connections = 0;
  std::int64_t turns = 0;        // client sends that follow data from the server (or open a link)
  std::int64_t clientSends = 0;  // chunks read from the client
  std::int64_t clientBytes = 0;
  std::int64_t serverBytes = 0;
};

class DelayProxy {
 public:
  // Binds 127.0.0.1 and starts accepting; raises std::runtime_error when it cannot.
  explicit DelayProxy(DelayProxyOptions options);
  ~DelayProxy();  // cuts every link and waits for its threads
  DelayProxy(const DelayProxy&) = delete;
  DelayProxy& operator=(const DelayProxy&) = delete;

  int Port() const { return port_; }
  DelayProxyCounts Counts() const;
  // Closes every open link and refuses new ones from now on.
  void CutAll();
  bool Cut() const { return cut_; }
  // Whether the lifetime has passed (the proxy has stopped by itself).
  bool Expired() const { return expired_; }

 private:
  struct Link;
  void Accept();
  void Pump(std::shared_ptr<Link> link, bool fromClient);
  void CountClientSend(Link& link, std::size_t bytes);

  DelayProxyOptions options_;
  int listener_ = -1;
  int port_ = 0;
  std::atomic<bool> stop_{false}, cut_{false}, expired_{false};
  std::atomic<std::int64_t> connections_{0}, turns_{0}, clientSends_{0}, clientBytes_{0}, serverBytes_{0};
  std::mutex mutex_;
  std::vector<std::shared_ptr<Link>> links_;
  std::vector<std::thread> threads_;
  std::thread acceptor_;
};
