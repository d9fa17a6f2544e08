#!/usr/bin/env bash
# Fails when a C++ source does not follow .clang-format.
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(git ls-files -co --exclude-standard '*.cpp' '*.h' 2>/dev/null || find src host db tests bench -name '*.cpp' -o -name '*.h')
[[ ${#files[@]} -eq 0 ]] && exit 0
if ! clang-format --dry-run -Werror "${files[@]}" 2>/tmp/zelm-format.log; then
  head -40 /tmp/zelm-format.log >&2
  echo "Formattazione non conforme: eseguire clang-format -i sui file indicati" >&2
  exit 1
fi
