#!/usr/bin/env bash
# Installs what is missing, builds (Release) and starts the product on the embedded demo
# environment in .demo/ (provisioned on first run).
#   ./run.sh           opens the window (on a VNC server at 127.0.0.1:5900 when there is no display)
#   ./run.sh --check   opens, reports and closes without a display
set -euo pipefail
cd "$(dirname "$0")"
scripts/setup-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j"$(nproc)"
export ZELM_HOST_DIR="$PWD/.demo"
args=()
if [[ "${1:-}" == "--check" ]]; then
  export QT_QPA_PLATFORM=offscreen
  args+=(--check)
elif [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" && -z "${QT_QPA_PLATFORM:-}" ]]; then
  export QT_QPA_PLATFORM="vnc:addr=127.0.0.1:port=5900"
  echo "Nessun display: la finestra è servita via VNC su 127.0.0.1:5900 (es. vncviewer 127.0.0.1:5900)"
fi
exec build/host/zelm-host --folder "$ZELM_HOST_DIR" "${args[@]}"
