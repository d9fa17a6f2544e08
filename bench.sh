#!/usr/bin/env bash
# Builds and runs the benchmarks: ./bench.sh [NAME...] (all without a name). Each prints
#   NAME: ratio=R ours=X anchor=Y unit=U
set -euo pipefail
cd "$(dirname "$0")"
scripts/setup-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j"$(nproc)" >/dev/null
work=$(mktemp -d /tmp/zelm-bench.XXXXXX)
trap 'rm -rf "$work"' EXIT
for b in build/bench/bench_*; do
  [[ -f "$b" && -x "$b" ]] || continue
  name=${b##*/bench_}
  [[ $# -gt 0 && " $* " != *" $name "* ]] && continue
  "$b" "$work"
done
