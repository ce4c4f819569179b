#!/usr/bin/env bash
# Installs the packages the build and the tests need (when missing) and starts the local Firebird
# server for the network tests. Safe to run again: it only does what is still missing.
set -euo pipefail

packages=(build-essential cmake pkg-config libgtest-dev googletest firebird3.0-server firebird3.0-utils
          firebird-dev libfbclient2 clang libclang-rt-14-dev clang-format qt6-base-dev nlohmann-json3-dev
          fonts-dejavu-extra xvfb xauth libxcb-cursor0
          zlib1g          # the client compresses the wire with it
          doxygen         # the reference documentation (the docs target)
          file dpkg-dev)  # cpack reads the programs' dependencies on Debian's libraries with them

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  echo "Installing: ${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}" >/dev/null
fi

bash "$(dirname "$0")/firebird-server.sh" start
