#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite (embedded databases, a private
# Firebird server on loopback, and the GUI tests offscreen). Exit code non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")"
root="$PWD"
scripts/setup-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j"$(nproc)"
scripts/check-format.sh

srv=$(mktemp -d /tmp/zelm-fbserver.XXXXXX)
port=${ZELM_TEST_SERVER_PORT:-3055}
# A port something else already listens on (another run's server) is skipped.
while (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null; do port=$((port + 1)); done
# The cleanup never changes the verdict: a red run stays red, a green one green.
cleanup() {
  local rc=$?
  set +e
  "$root/scripts/fbserver.sh" stop "$srv" >/dev/null 2>&1
  rm -rf "$srv" 2>/dev/null || { sleep 1; rm -rf "$srv" 2>/dev/null; }
  exit "$rc"
}
trap cleanup EXIT
if scripts/fbserver.sh start "$srv" "$port"; then
  export ZELM_TEST_SERVER="127.0.0.1/$port"
  export ZELM_TEST_SERVER_DIR="$srv/db"
else
  echo "ATTENZIONE: server Firebird non avviato, i test in modalità server saranno saltati" >&2
fi
export QT_QPA_PLATFORM=offscreen
cd build
ctest --output-on-failure -j2 --timeout 600
