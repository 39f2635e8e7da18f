#!/usr/bin/env bash
# Makes sure the Debian packages the build needs are installed.
# As root it installs what is missing; otherwise it stops with the exact
# command to run.
set -euo pipefail

packages=(cmake g++ make pkg-config libsqlite3-dev sqlite3 libgtest-dev libgmock-dev
          libbenchmark-dev man-db dpkg-dev file clang libclang-rt-dev)
missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
if ((${#missing[@]} == 0)); then
  exit 0
fi
if [[ $(id -u) -eq 0 ]]; then
  echo "setup: installing ${missing[*]}" >&2
  DEBIAN_FRONTEND=noninteractive apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}"
else
  echo "setup: missing packages. Run:" >&2
  echo "  sudo apt-get install -y ${missing[*]}" >&2
  exit 1
fi
