#!/usr/bin/env bash
# A private Firebird 3 server on loopback for the server-mode tests:
#   fbserver.sh start DIR PORT   creates DIR (config, security database with SYSDBA/plumbcore),
#                                starts the server and waits until it accepts connections
#   fbserver.sh stop DIR         stops it and waits until it has ended
#   fbserver.sh servizio DIR start|restart
#                                (re)starts it with the configuration DIR holds now, as a system
#                                service would be (the site set-up's tests change that
#                                configuration)
# It never touches the system's Firebird service or its security database.
set -euo pipefail
cmd=${1:?start|stop}; dir=${2:?folder}
fbroot=/usr/lib/x86_64-linux-gnu/firebird/3.0
# Starts the server on DIR's configuration and waits until ADDRESS:PORT accepts connections.
avvia() {
  local dir=$1 port=$2 address=$3
  FIREBIRD="$dir" FIREBIRD_LOCK="$dir/lock" setsid /usr/sbin/firebird >>"$dir/server.log" 2>&1 < /dev/null &
  echo $! > "$dir/server.pid"
  for _ in $(seq 1 50); do
    if (exec 3<>"/dev/tcp/$address/$port") 2>/dev/null; then return 0; fi
    sleep 0.1
  done
  echo "Il server Firebird di prova non risponde sulla porta $port" >&2
  cat "$dir/server.log" >&2 || true
  exit 1
}
# The value of a setting in DIR's firebird.conf, or the default given.
setting() {
  local v
  v=$(sed -n "s/^[[:space:]]*$2[[:space:]]*=[[:space:]]*\([^[:space:]]*\).*/\1/p" "$1/firebird.conf" | tail -n 1)
  echo "${v:-$3}"
}
case "$cmd" in
servizio)
  "$0" stop "$dir"
  avvia "$dir" "$(setting "$dir" RemoteServicePort 3050)" "$(setting "$dir" RemoteBindAddress 127.0.0.1)"
  ;;
start)
  port=${3:?port}
  mkdir -p "$dir/lock" "$dir/db"
  for f in plugins firebird.msg plugins.conf; do ln -sfn "$fbroot/$f" "$dir/$f"; done
  # The character sets other than the built-in ones (WIN1252 among them) load only from a real
  # copy of the intl folder: through a link the server reports them "not installed".
  cp -rL "$fbroot/intl" "$dir/intl"
  cp /var/lib/firebird/3.0/system/security3.fdb "$dir/security3.fdb"
  chmod 600 "$dir/security3.fdb"
  cat > "$dir/firebird.conf" <<CONF
RemoteServicePort = $port
RemoteBindAddress = 127.0.0.1
SecurityDatabase = $dir/security3.fdb
ServerMode = Super
AuthServer = Srp256, Srp, Legacy_Auth
UserManager = Srp
WireCrypt = Enabled
IpcName = ZELMTEST_$port
DefaultDbCachePages = 2048
TcpRemoteBufferSize = 32767
CONF
  export FIREBIRD="$dir" FIREBIRD_LOCK="$dir/lock"
  echo "create or alter user SYSDBA password 'plumbcore' using plugin Srp; commit;" \
    | isql-fb -q -user SYSDBA "$dir/security3.fdb" >/dev/null
  avvia "$dir" "$port" 127.0.0.1
  ;;
stop)
  # Returns only once the server has ended, so that its folder can be removed safely.
  if [[ -f "$dir/server.pid" ]]; then
    pid=$(cat "$dir/server.pid")
    kill "$pid" 2>/dev/null || true
    for _ in $(seq 1 100); do
      kill -0 "$pid" 2>/dev/null || break
      sleep 0.1
    done
    if kill -0 "$pid" 2>/dev/null; then
      kill -9 "$pid" 2>/dev/null || true
      while kill -0 "$pid" 2>/dev/null; do sleep 0.1; done
    fi
    rm -f "$dir/server.pid"
  fi
  ;;
*) echo "uso: fbserver.sh start DIR PORT | stop DIR | servizio DIR start|restart" >&2; exit 2 ;;
esac
