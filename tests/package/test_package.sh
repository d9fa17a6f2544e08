#!/usr/bin/env bash
# The Debian package as a site gets it: built with debhelper (scripts/build-deb.sh) into
# BUILD/pacchetto, where the fresh-machine check takes it; lintian's verdict; its files, its
# hardening and its declared dependencies against what the binaries link; and the programs run
# from a root it was extracted into (nothing reached through the build tree).
set -euo pipefail
build="$1"
source_dir="$(cd "$(dirname "$0")/../.." && pwd)"
work=$(mktemp -d /tmp/zelm-pkg.XXXXXX)
trap 'rm -rf "$work"' EXIT
"$source_dir/scripts/build-deb.sh" "$build/pacchetto" >/dev/null
deb=$(ls "$build"/pacchetto/zelm_*_amd64.deb)
dbgsym=$(ls "$build"/pacchetto/zelm-dbgsym_*_amd64.*deb)

# lintian: nothing but what debian/zelm.lintian-overrides explains.
lint=$(lintian --pedantic "$deb" 2>&1 | grep -v 'running with root privileges' || true)
echo "lintian: ${lint:-nessuna segnalazione}"
if grep -E '^[EW]: ' <<<"$lint"; then echo "lintian segnala errori o avvisi"; exit 1; fi

files=$(dpkg-deb -c "$deb" | awk '{print $6}')
for f in ./usr/lib/zelm/libzelm.so ./usr/lib/zelm/zelm-host ./usr/lib/zelm/zelm-import \
         ./usr/lib/zelm/zelm-provision ./usr/bin/zelm-host ./usr/bin/zelm-import \
         ./usr/bin/zelm-provision ./usr/share/man/it/man1/zelm-host.1.gz \
         ./usr/share/man/it/man1/zelm-import.1.gz ./usr/share/man/it/man1/zelm-provision.1.gz \
         ./usr/share/zelm/sql/archive_schema.sql ./usr/share/zelm/sql/user_schema.sql \
         ./usr/share/doc/zelm/copyright ./usr/share/doc/zelm/changelog.gz \
         ./usr/share/doc/zelm/README.md.gz ./etc/zelm/zelm.conf \
         ./usr/share/applications/zelm-host.desktop \
         ./usr/share/icons/hicolor/scalable/apps/zelm.svg ./etc/zelm/zelm-import.conf \
         ./lib/systemd/system/zelm-import.service ./lib/systemd/system/zelm-import.timer \
         ./usr/lib/sysusers.d/zelm.conf ./usr/lib/zelm/site-server.sh; do
  grep -qxF -- "$f" <<<"$files" || { echo "manca nel pacchetto: $f"; exit 1; }
done
if grep -E 'test_|bench_|CMakeFiles' <<<"$files"; then echo "file estranei nel pacchetto"; exit 1; fi
for c in /etc/zelm/zelm.conf /etc/zelm/zelm-import.conf; do
  dpkg-deb -I "$deb" conffiles | grep -qx "$c" || { echo "$c non è un conffile"; exit 1; }
done
# The only maintainer script creates the scheduled import's system user and registers its units,
# neither enabled nor started; no ldconfig trigger for a private folder.
postinst=$(dpkg-deb -I "$deb" postinst)
grep -q 'systemd-sysusers' <<<"$postinst" || { echo "postinst senza systemd-sysusers"; exit 1; }
# (An upgrade keeps the administrator's choice: enabled again only what was enabled.)
if grep -Eq 'deb-systemd-invoke|systemctl|ldconfig' <<<"$postinst" ||
   [[ $(grep -c 'deb-systemd-helper enable' <<<"$postinst") -ne \
      $(grep -c 'was-enabled' <<<"$postinst") ]] ||
   dpkg-deb -I "$deb" triggers >/dev/null 2>&1; then
  echo "il servizio pianificato non deve partire da sé; niente ldconfig: $postinst"; exit 1
fi
debug=$(dpkg-deb -c "$dbgsym")
grep -q '/usr/lib/debug/.build-id/.*\.debug$' <<<"$debug" ||
  { echo "i simboli di debug mancano da $dbgsym"; exit 1; }

dpkg -x "$deb" "$work/root"
# The scheduled import's units, as systemd reads them on the installed root (beside the
# system's own units they name): any remark is a fault.
cp -an /lib/systemd/system/. "$work/root/lib/systemd/system/"
verified=$(systemd-analyze verify --root="$work/root" --man=no zelm-import.service \
             zelm-import.timer 2>&1) && [[ -z "$verified" ]] ||
  { echo "unità systemd: $verified"; exit 1; }
# Hardened and stripped: relro and bind-now, the stack protector, no symbol table; every
# compilation with the stack protector and fortified calls (whether a binary keeps a *_chk call
# depends on what the optimizer could prove).
mapfile -t elves < <(find "$work/root/usr/lib/zelm" -type f ! -name '*.sh' | sort)
for bin in "${elves[@]}"; do
  segments=$(readelf -lW "$bin"); dynamic=$(readelf -dW "$bin")
  symbols=$(readelf -sW --dyn-syms "$bin"); sections=$(readelf -SW "$bin")
  grep -q GNU_RELRO <<<"$segments" || { echo "$bin: senza relro"; exit 1; }
  grep -Eq 'BIND_NOW|FLAGS.*NOW' <<<"$dynamic" || { echo "$bin: senza bindnow"; exit 1; }
  grep -q '__stack_chk_fail' <<<"$symbols" || { echo "$bin: senza protezione dello stack"; exit 1; }
  grep -Eq ' \.symtab | \.debug_info ' <<<"$sections" && { echo "$bin: non spogliato"; exit 1; }
done
compiles=$(grep -E ' -c /[^ ]+\.cpp$' "$build/pacchetto/build.log" || true)
[[ -n "$compiles" ]] || { echo "nessuna compilazione nel registro del pacchetto"; exit 1; }
for flag in -fstack-protector-strong -D_FORTIFY_SOURCE=2; do
  grep -v -q -- "$flag" <<<"$compiles" && { echo "compilazioni senza $flag"; exit 1; }
done

# Every library a binary names (NEEDED) belongs to a package the .deb declares.
deps=$(dpkg-deb -f "$deb" Depends)
names=$(sed 's/ ([^)]*)//g; s/ *[,|] */\n/g' <<<"$deps")
for bin in "${elves[@]}"; do
  while read -r lib path; do
    [[ -n "$path" && -e "$path" ]] || { echo "$bin: $lib non trovata"; exit 1; }
    real=$(readlink -f "$path")
    owner=$(dpkg -S "$real" 2>/dev/null || dpkg -S "${real#/usr}" 2>/dev/null ||
            dpkg -S "$path" 2>/dev/null || true)
    pkg=${owner%%:*}
    [[ -n "$pkg" ]] || { echo "$bin: nessun pacchetto per $real"; exit 1; }
    grep -qxF -- "$pkg" <<<"$names" ||
      { echo "$bin: $lib ($pkg) non dichiarata in Depends: $deps"; exit 1; }
  done < <(ldd "$bin" | awk -v needed="$(objdump -p "$bin" | awk '/NEEDED/ {print $2}' | tr '\n' ' ')" \
             'BEGIN {n = split(needed, a, " "); for (i = 1; i <= n; i++) want[a[i]] = 1}
              ($1 in want) && $2 == "=>" {print $1, $3}')
done
grep -qF 'libreoffice-calc-nogui | libreoffice-calc' <<<"$deps" ||
  { echo "l'ufficio deve accettare anche libreoffice-calc: $deps"; exit 1; }
for runtime in libreoffice-calc-nogui firebird3.0-server-core; do
  grep -qxF -- "$runtime" <<<"$names" || { echo "dipendenza mancante: $runtime"; exit 1; }
done
grep -qxF -- qt6-qpa-plugins <<<"$names" && { echo "qt6-qpa-plugins non è una dipendenza"; exit 1; }
[[ "$(dpkg-deb -f "$deb" Recommends)" == "fonts-crosextra-carlito, fonts-liberation2" ]] ||
  { echo "i caratteri del modulo mancano tra i Recommends"; exit 1; }
[[ "$(dpkg-deb -f "$deb" Suggests)" == "firebird3.0-server, firebird3.0-utils, qt6-qpa-plugins" ]] ||
  { echo "Suggests: $(dpkg-deb -f "$deb" Suggests)"; exit 1; }

# The programs from the extracted root: each answers --help and --version, refuses an unknown
# option in Italian, and the provisioning tool never replaces a database unless told to.
version=$(dpkg-deb -f "$deb" Version)
for p in zelm-host zelm-import zelm-provision; do
  # Asked from a terminal with no display at all.
  env -u QT_QPA_PLATFORM -u DISPLAY -u WAYLAND_DISPLAY "$work/root/usr/bin/$p" --help 2>/dev/null |
    grep -q "^Uso: $p" || { echo "$p --help non risponde"; exit 1; }
  [[ "$(env -u QT_QPA_PLATFORM -u DISPLAY -u WAYLAND_DISPLAY "$work/root/usr/bin/$p" --version \
        2>/dev/null)" == "$p $version" ]] || { echo "$p --version non risponde"; exit 1; }
  set +e
  refused=$(QT_QPA_PLATFORM=offscreen "$work/root/usr/bin/$p" --sconosciuta 2>&1 >/dev/null)
  rc=$?
  set -e
  [[ $rc -eq 2 && "$refused" == *"Opzione sconosciuta: --sconosciuta"* ]] ||
    { echo "$p accetta un'opzione sconosciuta ($rc): $refused"; exit 1; }
done
"$work/root/usr/bin/zelm-provision" "$work/host" | grep -q '^Archivio creato:'
sheets() { echo "SELECT COUNT(*) FROM ZELMMODEL;" | isql-fb -q "$work/host/dati/archivio.fdb" | grep -Eo '[0-9]+' | tail -1; }
kept=$(sheets)
out=$("$work/root/usr/bin/zelm-provision" --empty "$work/host")
grep -q '^Archivio mantenuto:' <<<"$out" || { echo "zelm-provision: $out"; exit 1; }
[[ $(sheets) == "$kept" && "$kept" -gt 0 ]] || { echo "l'archivio non è stato mantenuto"; exit 1; }
[[ $("$work/root/usr/bin/zelm-provision" --help | grep -c -- '--replace') -ge 1 ]]
out=$(env -u ZELM_HOST_DIR -u ZELM_PLUGIN QT_QPA_PLATFORM=offscreen \
      "$work/root/usr/bin/zelm-host" --folder "$work/host" --check 2>/dev/null)
grep -q 'Finestra aperta: Schede modelli' <<<"$out" || { echo "zelm-host: $out"; exit 1; }

# Without --folder: never the program's folder under /usr; the site's file says where, and
# when nothing says it the refusal says how, in Italian.
set +e
out=$(env -u ZELM_HOST_DIR ZELM_CONF="$work/nessuno.conf" QT_QPA_PLATFORM=offscreen \
      "$work/root/usr/bin/zelm-host" --check 2>&1)
rc=$?
set -e
[[ $rc -eq 1 && "$out" == *"Nessuna cartella dell'ospite"*"zelm-provision CARTELLA"* ]] ||
  { echo "zelm-host senza cartella ($rc): $out"; exit 1; }
grep -q '^#folder=' "$work/root/etc/zelm/zelm.conf"
printf 'folder=%s\n' "$work/host" >"$work/zelm.conf"
out=$(env -u ZELM_HOST_DIR ZELM_CONF="$work/zelm.conf" QT_QPA_PLATFORM=offscreen \
      "$work/root/usr/bin/zelm-host" --check 2>/dev/null)
grep -q 'Finestra aperta: Schede modelli' <<<"$out" || { echo "zelm-host da zelm.conf: $out"; exit 1; }
# The site set-up from the package answers and refuses a password on its command line.
"$work/root/usr/lib/zelm/site-server.sh" --help | grep -q -- '--password-file'
if "$work/root/usr/lib/zelm/site-server.sh" --cartella /srv/x --server s --password p 2>/dev/null; then
  echo "site-server.sh accetta una password sulla riga di comando"; exit 1
fi
echo "pacchetto $(basename "$deb") verificato"
