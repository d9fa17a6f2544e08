#!/usr/bin/env bash
# Builds the Debian package (debian/, debhelper with CMake) from the project's files as they stand
# in the working tree, in a copy of its own, and puts the .deb, its -dbgsym .ddeb and the
# .buildinfo/.changes and the build's log into OUTDIR (default: build/pacchetto).
#   scripts/build-deb.sh [OUTDIR]
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
out="$(realpath -m "${1:-$here/build/pacchetto}")"
work=$(mktemp -d /tmp/zelm-deb.XXXXXX)
trap 'rm -rf "$work"' EXIT
# The tracked files and the new ones not ignored: what a commit of the tree would hold. Without
# git (a tree unpacked from an archive), the tree less what the builds and the demo leave in it.
mkdir -p "$work/zelm"
if command -v git >/dev/null && git -C "$here" rev-parse --git-dir >/dev/null 2>&1; then
  (cd "$here" && git ls-files -z --cached --others --exclude-standard |
     while IFS= read -r -d '' f; do [[ -e "$f" ]] && printf '%s\0' "$f"; done |
     tar --null -T - -cf -) | tar -C "$work/zelm" -xf -
else
  tar -C "$here" --exclude=./.git --exclude='./build' --exclude='./build-*' --exclude=./.demo \
      --exclude='./obj-*' --exclude=./debian/.debhelper --exclude=./debian/zelm \
      --exclude=./debian/zelm-dbgsym -cf - . | tar -C "$work/zelm" -xf -
fi
cd "$work/zelm"
export DEB_BUILD_OPTIONS="parallel=$(nproc) ${DEB_BUILD_OPTIONS:-}"
dpkg-buildpackage -b -us -uc >"$work/build.log" 2>&1 ||
  { tail -60 "$work/build.log"; echo "dpkg-buildpackage non riuscito" >&2; exit 1; }
mkdir -p "$out"
rm -f "$out"/zelm_*.deb "$out"/zelm-dbgsym_*.ddeb "$out"/zelm_*.buildinfo "$out"/zelm_*.changes
mv "$work"/zelm_*.deb "$work"/zelm-dbgsym_*.*deb "$work"/zelm_*.buildinfo "$work"/zelm_*.changes "$out"/
cp "$work/build.log" "$out/build.log"
ls "$out"/zelm_*.deb
