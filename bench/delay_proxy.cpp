// A loopback TCP proxy that delays each direction by a number of milliseconds and can cap its
// bandwidth, for measuring the merge over a slow link (see DelayProxy.h).
//
//   delay_proxy DELAY_MS [--bandwidth BYTES_PER_SECOND] [--port N] [--target-port N]
//               [--lifetime SECONDS] [--stats FILE]
//
// --bandwidth caps each direction on its own (default: no cap).
// Prints "port N" on the standard output once it listens on 127.0.0.1:N, passes everything on to
// 127.0.0.1:target-port (3050 by default), and ends at SIGTERM, SIGINT or the end of its lifetime
// (600 s by default). At the end it writes its counts, one "name value" a line, to FILE (or to
// the standard output).

#include <signal.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "bench/proxy/DelayProxy.h"

namespace {

volatile std::sig_atomic_t stopRequested = 0;
void RequestStop(int) { stopRequested = 1; }

int Usage() {
  std::fprintf(stderr,
               "usage: delay_proxy DELAY_MS [--bandwidth BYTES_PER_SECOND] [--port N] [--target-port N]\n"
               "                   [--lifetime SECONDS] [--stats FILE]\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return Usage();
  DelayProxyOptions options;
  options.delay = std::chrono::milliseconds(std::atoi(argv[1]));
  options.lifetime = std::chrono::seconds(600);
  std::string statsPath;
  for (int i = 2; i + 1 < argc; i += 2) {
    const std::string name = argv[i];
    const char* value = argv[i + 1];
    if (name == "--port") options.listenPort = std::atoi(value);
    else if (name == "--bandwidth") options.bytesPerSecond = std::atoll(value);
    else if (name == "--target-port") options.targetPort = std::atoi(value);
    else if (name == "--lifetime") options.lifetime = std::chrono::seconds(std::atoi(value));
    else if (name == "--stats") statsPath = value;
    else return Usage();
  }
  if (argc % 2 != 0) return Usage();
  std::signal(SIGTERM, RequestStop);
  std::signal(SIGINT, RequestStop);
  try {
    DelayProxy proxy(options);
    std::printf("port %d\n", proxy.Port());
    std::fflush(stdout);
    while (!stopRequested && !proxy.Expired()) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    const DelayProxyCounts counts = proxy.Counts();
    std::FILE* out = statsPath.empty() ? stdout : std::fopen(statsPath.c_str(), "w");
    if (!out) {
      std::fprintf(stderr, "delay_proxy: cannot write %s\n", statsPath.c_str());
      return 1;
    }
    std::fprintf(out, "connections %lld\nturns %lld\nclient_sends %lld\nclient_bytes %lld\nserver_bytes %lld\n",
                 static_cast<long long>(counts.connections), static_cast<long long>(counts.turns),
                 static_cast<long long>(counts.clientSends), static_cast<long long>(counts.clientBytes),
                 static_cast<long long>(counts.serverBytes));
    if (out != stdout) std::fclose(out);
    return 0;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "%s\n", error.what());
    return 1;
  }
}
