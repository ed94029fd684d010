#!/usr/bin/env bash
# Builds the Debian package: a Release build in build-package/ (or $VELMORA_PACKAGE_BUILD_DIR),
# with Debian's hardening flags, packed by CPack and copied to the top of the checkout as
# velmora-monitor_<version>_<arch>.deb. Then, where they are installed, lintian checks the package
# (no error allowed), appstreamcli the metainfo with the desktop entry and icons it points to, and
# desktop-file-validate the desktop entry.
#   ./scripts/package.sh          lint with whatever is installed
#   ./scripts/package.sh --lint   install the checkers first, so every check runs (CI)
# Prints the package's path on stdout, and everything else on stderr.
set -euo pipefail
cd "$(dirname "$0")/.."
exec 3>&1 1>&2
# The package takes the permissions of the tree it is packed from.
umask 022

lint=0
case "${1:-}" in
--lint) lint=1 ;;
"") ;;
*) echo "usage: $0 [--lint]" >&2; exit 2 ;;
esac

started=$(date +%s)
# help2man and rsvg-convert make the man pages and icons; dpkg-shlibdeps (dpkg-dev) and file
# find the libraries the programs need.
needs=(help2man librsvg2-bin dpkg-dev file)
[ "$lint" = 1 ] && needs+=(lintian appstream desktop-file-utils)
./scripts/install-deps.sh "${needs[@]}"

build=${VELMORA_PACKAGE_BUILD_DIR:-build-package}
# As a Debian build would, with every hardening feature: -D_FORTIFY_SOURCE, stack protector,
# PIE, RELRO and BIND_NOW. CMake does not read CPPFLAGS, so they go with the compiler's flags.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DVELMORA_TESTS=OFF -DVELMORA_PACKAGE_FILES=ON \
    -DCMAKE_CXX_FLAGS="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)" \
    -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)" >/dev/null
cmake --build "$build" --parallel "$(nproc)"
rm -f "$build"/velmora-monitor_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
debs=("$build"/velmora-monitor_*.deb)
[ -f "${debs[0]}" ] || { echo "package: cpack made no velmora-monitor_*.deb" >&2; exit 1; }
deb=${debs[0]##*/}
rm -f velmora-monitor_*.deb
cp "${debs[0]}" "$deb"

failed=0
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
dpkg-deb -x "$deb" "$scratch/root"

if command -v lintian >/dev/null; then
    echo "== lintian $deb"
    # Informational and pedantic tags are shown too; the run fails on an error only.
    lintian --display-level '>=pedantic' --fail-on error "$deb" || failed=1
else
    echo "== lintian is not installed; skipped (./scripts/package.sh --lint installs it)"
fi
if command -v appstreamcli >/dev/null; then
    echo "== appstreamcli validate-tree (the metainfo, its desktop entry and icon, as installed)"
    appstreamcli validate --no-net --pedantic \
        "$scratch"/root/usr/share/metainfo/*.metainfo.xml || failed=1
    appstreamcli validate-tree --no-net "$scratch/root" || failed=1
else
    echo "== appstreamcli is not installed; skipped"
fi
if command -v desktop-file-validate >/dev/null; then
    echo "== desktop-file-validate"
    desktop-file-validate "$scratch"/root/usr/share/applications/*.desktop || failed=1
else
    echo "== desktop-file-validate is not installed; skipped"
fi

echo "== $(du -k "$deb" | cut -f1) kB, made in $(($(date +%s) - started)) s"
[ "$failed" = 0 ] || { echo "package: a check failed" >&2; exit 1; }
echo "$PWD/$deb" >&3
