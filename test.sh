#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite (embedded databases, a private
# Firebird server on loopback, and the GUI tests offscreen). Exit code non-zero on any failure.
#   ./test.sh                              the suite, in build/
#   ./test.sh --sanitize=address,undefined the suite built with ASan and UBSan, in build-asan/
#   ./test.sh --sanitize=thread            the tests that start threads, with TSan, in build-tsan/
# Under a sanitizer the first report ends the test that made it (and the run fails); the
# suppressions in scripts/sanitizers/ name only code that is not ours.
set -euo pipefail
cd "$(dirname "$0")"
root="$PWD"
sanitize=""
for a in "$@"; do
  case "$a" in
  --sanitize=*) sanitize=${a#--sanitize=} ;;
  *) echo "Opzione sconosciuta: $a (uso: ./test.sh [--sanitize=address,undefined|thread])" >&2; exit 2 ;;
  esac
done
scripts/setup-deps.sh
case "$sanitize" in
"")
  dir=build
  cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
  ;;
address,undefined | undefined,address)
  dir=build-asan
  cmake --preset asan >/dev/null
  sup="$root/scripts/sanitizers"
  export ASAN_OPTIONS="halt_on_error=1:abort_on_error=1:detect_leaks=1:strict_string_checks=1:detect_stack_use_after_return=1"
  export LSAN_OPTIONS="suppressions=$sup/lsan.supp:print_suppressions=0"
  export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1:suppressions=$sup/ubsan.supp"
  ;;
thread)
  dir=build-tsan
  cmake --preset tsan >/dev/null
  export TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1:suppressions=$root/scripts/sanitizers/tsan.supp"
  ;;
*) echo "--sanitize: address,undefined oppure thread" >&2; exit 2 ;;
esac
cmake --build "$dir" -j"$(nproc)"
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
cd "$dir"
case "$sanitize" in
"") ctest --output-on-failure -j2 --timeout 600 ;;
# The package is built and checked from the plain tree; the office's own process is not ours.
address,undefined | undefined,address) ctest --output-on-failure -j2 --timeout 1200 -LE package ;;
# What starts threads: the lookups' background attachment, the viewer's thumbnails, the parked
# connections, the grid's fetch, the server restarts, the site credentials, two processes.
thread)
  ctest --output-on-failure -j2 --timeout 1200 -LE package \
    -R 'Lookup|Viewer|Visore|Ricerc|Parked|InAttesa|Grid|ServerRestart|Credential|Concurrent|TwoUsers|Race|Processes|Importers'
  ;;
esac
