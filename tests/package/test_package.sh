#!/usr/bin/env bash
# The Debian package as a site gets it: built with CPack from the build tree, its files, its
# declared dependencies against what the binaries link, and the programs run from a root it was
# extracted into (nothing reached through the build tree).
set -euo pipefail
build="$1"
work=$(mktemp -d /tmp/zelm-pkg.XXXXXX)
trap 'rm -rf "$work"' EXIT
(cd "$build" && cpack -G DEB -B "$work/pkg" >/dev/null)
deb=$(ls "$work"/pkg/zelm_*_amd64.deb)
files=$(dpkg-deb -c "$deb" | awk '{print $6}')
for f in ./usr/lib/zelm/libzelm.so ./usr/lib/zelm/zelm-host ./usr/lib/zelm/zelm-import \
         ./usr/lib/zelm/zelm-provision ./usr/bin/zelm-host ./usr/bin/zelm-import \
         ./usr/bin/zelm-provision ./usr/share/man/man1/zelm-host.1 \
         ./usr/share/man/man1/zelm-import.1 ./usr/share/man/man1/zelm-provision.1 \
         ./usr/share/zelm/sql/archive_schema.sql ./usr/share/zelm/sql/user_schema.sql \
         ./usr/share/doc/zelm/README.md; do
  grep -qxF -- "$f" <<<"$files" || { echo "manca nel pacchetto: $f"; exit 1; }
done
if grep -E 'test_|bench_|CMakeFiles' <<<"$files"; then echo "file estranei nel pacchetto"; exit 1; fi

# Every library a binary names (NEEDED) belongs to a package the .deb declares.
deps=$(dpkg-deb -f "$deb" Depends)
names=$(sed 's/ ([^)]*)//g; s/ *[,|] */\n/g' <<<"$deps")
dpkg -x "$deb" "$work/root"
for bin in "$work"/root/usr/lib/zelm/*; do
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
for runtime in libreoffice-calc-nogui firebird3.0-server-core qt6-qpa-plugins; do
  grep -qxF -- "$runtime" <<<"$names" || { echo "dipendenza mancante: $runtime"; exit 1; }
done

grep -qF 'fonts-crosextra-carlito' <<<"$(dpkg-deb -f "$deb" Recommends)" ||
  { echo "i caratteri del modulo mancano tra i Recommends"; exit 1; }

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
echo "pacchetto $(basename "$deb") verificato"
