#!/usr/bin/env bash
# The README's two commands on a machine that never saw the project: bootstraps a minimal Debian 12
# root (debootstrap minbase, from the package registry this machine's apt uses), clones the
# committed tree into it and runs ./run.sh --check and ./test.sh there under LANG=C.UTF-8. Then the
# Debian package built there is installed with apt-get into a second fresh root, and the programs
# are run from the installed layout alone.
#
#   scripts/fresh-debian.sh [--tieni] [--senza-pacchetto]
#     --tieni             keeps the roots (their folder is printed) for a look afterwards
#     --senza-pacchetto   stops after the two commands
#
# Needs root (chroot and mounts). Exit code 0 only when every step passed. Downloaded packages are
# kept in /var/cache/zelm-fresh between runs (only the downloads: every root installs anew).
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
repo="$(cd "$here/.." && pwd)"
keep=0
with_package=1
for a in "$@"; do
  case "$a" in
  --tieni) keep=1 ;;
  --senza-pacchetto) with_package=0 ;;
  -h | --help)
    sed -n '2,13p' "$0" | sed 's/^# \{0,1\}//'
    exit 0
    ;;
  *)
    echo "Opzione sconosciuta: $a" >&2
    exit 2
    ;;
  esac
done
[[ $(id -u) -eq 0 ]] || {
  echo "fresh-debian.sh va eseguito come root (debootstrap, chroot, mount)" >&2
  exit 2
}
git -C "$repo" rev-parse HEAD >/dev/null 2>&1 || {
  echo "$repo non è un clone git: serve l'albero committato" >&2
  exit 2
}

export DEBIAN_FRONTEND=noninteractive LC_ALL=C.UTF-8
if ! command -v debootstrap >/dev/null; then
  apt-get update -q >/dev/null
  apt-get install -y -q --no-install-recommends debootstrap >/dev/null
fi

# The registry this machine's apt uses for bookworm (deb822 or one-line sources), else Debian's.
mirror=$(awk '/^URIs:/ {u=$2} /^Suites:/ && / bookworm( |$)/ && u {print u; exit}' \
  /etc/apt/sources.list.d/*.sources 2>/dev/null || true)
[[ -n "$mirror" ]] || mirror=$(awk '$1=="deb" && $3=="bookworm" {print $2; exit}' \
  /etc/apt/sources.list 2>/dev/null || true)
[[ -n "$mirror" ]] || mirror=http://deb.debian.org/debian

cache=/var/cache/zelm-fresh
mkdir -p "$cache/debootstrap" "$cache/apt"
work=$(mktemp -d /var/tmp/zelm-fresh.XXXXXX)
mounted=()

# Every process still running inside a root (the test server, an office) is ended before its
# mounts go; the mounts go in reverse order, whatever way the script ends.
cleanup() {
  local rc=$?
  set +e
  local pid r
  for pid in /proc/[0-9]*; do
    r=$(readlink "$pid/root" 2>/dev/null) || continue
    [[ "$r" == "$work"/* ]] && kill -9 "${pid#/proc/}" 2>/dev/null
  done
  sleep 0.5
  local i
  for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do
    umount "${mounted[i]}" 2>/dev/null || umount -l "${mounted[i]}" 2>/dev/null
  done
  if ((keep)); then
    echo "Radici conservate in $work"
  elif ! grep -q " $work/" /proc/mounts; then
    rm -rf "$work"
  else
    echo "ATTENZIONE: $work ha ancora dei mount, non rimosso" >&2
  fi
  exit "$rc"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

mount_root() { # ROOT: what a program inside needs of the kernel, plus the shared download cache
  local root=$1
  mount -t proc proc "$root/proc" && mounted+=("$root/proc")
  mount -t sysfs sysfs "$root/sys" && mounted+=("$root/sys")
  mount --bind /dev "$root/dev" && mounted+=("$root/dev")
  mount -t devpts -o newinstance,ptmxmode=0666 devpts "$root/dev/pts" && mounted+=("$root/dev/pts")
  mount -t tmpfs -o mode=1777 shm "$root/dev/shm" && mounted+=("$root/dev/shm")
  mount --bind "$cache/apt" "$root/var/cache/apt/archives" && mounted+=("$root/var/cache/apt/archives")
}

prepare_root() { # ROOT: a copy of the bootstrapped base that uses this machine's registry
  local root=$1
  cp -a "$work/base" "$root"
  cp /etc/resolv.conf "$root/etc/resolv.conf"
  # The same sources as this machine's set-up (its suites, updates and security included).
  if compgen -G "/etc/apt/sources.list.d/*.sources" >/dev/null; then
    rm -f "$root/etc/apt/sources.list"
    cp /etc/apt/sources.list.d/*.sources "$root/etc/apt/sources.list.d/"
  fi
  # A chroot has no init: services that packages would start (the system's Firebird) stay down,
  # as they would have nothing to run on once the root is gone.
  printf '#!/bin/sh\nexit 101\n' >"$root/usr/sbin/policy-rc.d"
  chmod 755 "$root/usr/sbin/policy-rc.d"
  mount_root "$root"
}

in_root() { # ROOT COMMAND: a login-less shell inside ROOT, with a clean environment
  local root=$1
  shift
  chroot "$root" /usr/bin/env -i HOME=/root LANG=C.UTF-8 TERM=dumb DEBIAN_FRONTEND=noninteractive \
    PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin bash -c "$1" </dev/null
}

step() { # NAME ROOT COMMAND: runs it, prints its exit code and time, returns its exit code
  local name=$1 root=$2 cmd=$3 t0 rc log
  log="$work/${name//[^A-Za-z0-9.-]/_}.log"
  t0=$(date +%s)
  echo "== $name"
  set +e
  in_root "$root" "$cmd" 2>&1 | tee "$log" | sed 's/^/   | /'
  rc=${PIPESTATUS[0]}
  set -e
  printf '== %s: uscita %d, %d s\n' "$name" "$rc" $(($(date +%s) - t0))
  results+=("$(printf '%-28s uscita %d  %5d s' "$name" "$rc" $(($(date +%s) - t0)))")
  return "$rc"
}

results=()
status=0
t0=$(date +%s)
echo "== debootstrap --variant=minbase bookworm da $mirror"
debootstrap --variant=minbase --cache-dir="$cache/debootstrap" bookworm "$work/base" "$mirror" \
  >"$work/debootstrap.log" 2>&1 || {
  tail -20 "$work/debootstrap.log"
  echo "debootstrap non riuscito" >&2
  exit 1
}
echo "   radice minima pronta in $(($(date +%s) - t0)) s"
chroot "$work/base" dpkg-query -W -f '${Package}\n' | sort >"$work/base-packages.txt"

# 1. The README's two commands on a clone of the committed tree.
prepare_root "$work/build"
git clone -q --no-hardlinks "$repo" "$work/build/root/zelm"
echo "   albero: $(git -C "$work/build/root/zelm" log -1 --format='%h %s')"
step "run.sh --check" "$work/build" "cd /root/zelm && ./run.sh --check" || status=1
if ((status == 0)); then
  step "test.sh" "$work/build" "cd /root/zelm && ./test.sh" || status=1
fi
chroot "$work/build" dpkg-query -W -f '${Package}\n' | sort >"$work/build-packages.txt"
added=$(comm -13 "$work/base-packages.txt" "$work/build-packages.txt")
echo "== pacchetti installati dal set-up: $(wc -l <<<"$added")"
echo "$added" | fmt -w 100 | sed 's/^/   /'
summary=$(grep -E 'tests passed|tests failed' "$work/test.sh.log" 2>/dev/null | tail -1 | sed 's/^ *//' || true)

# 2. The package alone, on a root that never built it. The package test of test.sh left it in
# build/pacchetto; built here when that test did not run.
if ((status == 0 && with_package)); then
  step "pacchetto" "$work/build" \
    "cd /root/zelm && { ls build/pacchetto/zelm_*.deb 2>/dev/null || scripts/build-deb.sh build/pacchetto; }" ||
    status=1
fi
if ((status == 0 && with_package)); then
  prepare_root "$work/site"
  cp "$work"/build/root/zelm/build/pacchetto/zelm_*.deb "$work/site/root/"
  cp "$repo/tests/fixtures/modello.xls" "$work/site/root/modello.xls"
  # A clerk's desktop has the full Calc: installing the package must keep it (either Calc gives
  # the office the product starts).
  step "libreoffice-calc" "$work/site" \
    "apt-get update -q >/dev/null && apt-get install -y -q --no-install-recommends libreoffice-calc >/dev/null && dpkg-query -W libreoffice-calc" ||
    status=1
  step "apt-get install ./zelm.deb" "$work/site" \
    "cd /root && apt-get install -y -q ./zelm_*.deb >/dev/null && dpkg-query -W zelm" || status=1
  step "libreoffice-calc mantenuto" "$work/site" \
    "dpkg-query -W -f '\${Status}\\n' libreoffice-calc | grep -qx 'install ok installed' && ! dpkg-query -W -f '\${Status}' libreoffice-calc-nogui 2>/dev/null | grep -q 'ok installed'" ||
    status=1
  if ((status == 0)); then
    step "zelm-provision" "$work/site" "zelm-provision /root/sito" || status=1
    step "zelm-import --help" "$work/site" "zelm-import --help | head -3" || status=1
    step "zelm-import senza cartella" "$work/site" \
      "cd /root && ! zelm-import modello.xls 2>/root/senza.txt; cat /root/senza.txt; grep -q '/etc/zelm/zelm.conf' /root/senza.txt" ||
      status=1
    step "zelm-import" "$work/site" \
      "cd /root && echo folder=/root/sito >>/etc/zelm/zelm.conf && zelm-import modello.xls | tee /root/esito.txt && grep -q '^OK' /root/esito.txt" ||
      status=1
    step "nessun OSL_PIPE lasciato" "$work/site" \
      "! ls -d /tmp/OSL_PIPE_* /tmp/lu*.tmp 2>/dev/null" || status=1
    step "zelm-host --check" "$work/site" \
      "QT_QPA_PLATFORM=offscreen zelm-host --folder /root/sito --check 2>&1 | tee /root/host.txt && grep -q 'Finestra aperta' /root/host.txt" ||
      status=1
  fi
fi

echo
echo "== riepilogo (Debian $(cat "$work/base/etc/debian_version"), $(($(date +%s) - t0)) s in tutto)"
printf '   %s\n' "${results[@]}"
[[ -n "$summary" ]] && echo "   CTest: $summary"
((status == 0)) && echo "== macchina nuova: tutto riuscito" || echo "== macchina nuova: FALLITO" >&2
exit "$status"
