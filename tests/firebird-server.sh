#!/usr/bin/env bash
# Starts the Firebird 3 server of the Debian package on localhost:3050, as the package's service
# user, and waits until the port answers. Without a service manager the guard is started directly.
set -euo pipefail

port_open() { (exec 3<>/dev/tcp/127.0.0.1/3050) 2>/dev/null; }

case "${1:-start}" in
  start)
    if port_open; then exit 0; fi
    if [ "$(id -u)" -ne 0 ]; then
      echo "firebird-server.sh: the Firebird server is not running and only root can start it" >&2
      exit 0
    fi
    install -d -o firebird -g firebird /run/firebird3.0
    su -s /bin/sh firebird -c '/usr/sbin/fbguard -daemon -forever'
    for _ in $(seq 1 100); do
      port_open && exit 0
      sleep 0.2
    done
    echo "firebird-server.sh: the Firebird server did not open port 3050" >&2
    exit 1
    ;;
  stop)
    pkill -f /usr/sbin/fbguard || true
    pkill -x firebird || true
    ;;
esac
