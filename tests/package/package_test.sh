#!/usr/bin/env bash
# Builds the Debian package from the programs already built, unpacks it into a temporary root
# (nothing is installed on the machine) and checks it as a person and Debian would: the main job
# and mkboot run from the unpacked programs, the user's macros are a copy of the shipped ones,
# the desktop entry and the manual pages are clean, and lintian finds no error.
#   package_test.sh BUILD_DIR CPACK GUI(ON|OFF)
set -euo pipefail
build=$1 cpack=$2 gui=$3

fail() { echo "package test: $*" >&2; exit 1; }

for tool in dpkg-deb lintian desktop-file-validate man gzip; do
    command -v "$tool" >/dev/null || fail "$tool is missing: run scripts/bootstrap.sh"
done
programs=(seisbench-cli mkboot)
[ "$gui" = ON ] && programs+=(seisbench)
for p in "${programs[@]}"; do
    [ -x "$build/bin/$p" ] || fail "$build/bin/$p is not built: build everything first"
done

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# Into a folder of its own, so a package being built in the build folder is not disturbed.
"$cpack" --config "$build/CPackConfig.cmake" -G DEB -B "$tmp/out" >"$tmp/cpack.log" 2>&1 ||
    { cat "$tmp/cpack.log" >&2; fail "cpack failed"; }
debs=("$tmp"/out/seisbench_*_*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || fail "no seisbench_<version>_<arch>.deb made"
deb=${debs[0]}
version=$(dpkg-deb -f "$deb" Version)
arch=$(dpkg-deb -f "$deb" Architecture)
[ "$(basename "$deb")" = "seisbench_${version}_${arch}.deb" ] || fail "package named $(basename "$deb")"
dpkg-deb -f "$deb" Depends | grep -q libusb || fail "dependencies were not computed"

root=$tmp/root
dpkg-deb -x "$deb" "$root"
for f in "${programs[@]/#/usr/bin/}" usr/share/seisbench/main.uir usr/share/seisbench/TREMORVIEW.HLP \
    usr/share/seisbench/macros/Mnames.txt usr/lib/udev/rules.d/70-seisbench.rules \
    usr/share/doc/seisbench/copyright; do
    [ -e "$root/$f" ] || fail "/$f is not in the package"
done

# The user's folders live in the temporary root too.
export HOME=$tmp/home XDG_DATA_HOME=$tmp/data
mkdir -p "$HOME"
"$root/usr/bin/seisbench-cli" --simulate --virtual-time 'configure --rate 500 --channels 4' \
    'capture --samples 4096' 'analyze --test signal' >"$tmp/job.txt" ||
    { cat "$tmp/job.txt" >&2; fail "the main job failed from the package"; }
grep -q '^channel 4 S/N: ' "$tmp/job.txt" || { cat "$tmp/job.txt" >&2; fail "no figures for channel 4"; }

# The shipped macros were copied on first use; renaming one rewrites the user's names file only.
user_macros=$XDG_DATA_HOME/seisbench/macros
diff -r "$root/usr/share/seisbench/macros" "$user_macros" >/dev/null ||
    fail "$user_macros is not a copy of the shipped macros"
shipped_names=$(cat "$root/usr/share/seisbench/macros/Mnames.txt")
"$root/usr/bin/seisbench-cli" --simulate --virtual-time 'macro name 2 Renamed' >/dev/null ||
    fail "renaming an external macro failed"
sed -n 2p "$user_macros/Mnames.txt" | grep -qx Renamed || fail "the user's names file was not rewritten"
[ "$(cat "$root/usr/share/seisbench/macros/Mnames.txt")" = "$shipped_names" ] ||
    fail "the shipped names file was changed"

mkdir "$tmp/mk"
printf '# registers\n20 000431\n' >"$tmp/mk/ioreg"
(cd "$tmp/mk" && "$root/usr/bin/mkboot" ioreg >/dev/null) || fail "mkboot failed from the package"
[ -s "$tmp/mk/mkboot.out" ] || fail "mkboot wrote no mkboot.out"

if [ "$gui" = ON ]; then
    "$root/usr/bin/seisbench" --help | grep -q '^usage: seisbench' || fail "seisbench --help"
    entry=$root/usr/share/applications/seisbench.desktop
    out=$(desktop-file-validate "$entry" 2>&1) || fail "desktop entry: $out"
    [ -z "$out" ] || fail "desktop entry: $out"
    [ -f "$root/usr/share/icons/hicolor/scalable/apps/seisbench.svg" ] || fail "no icon"
fi

for page in "${programs[@]}"; do
    file=$root/usr/share/man/man1/$page.1.gz
    [ -f "$file" ] || fail "no manual page $page(1)"
    warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$file" 2>&1 >/dev/null)
    [ -z "$warnings" ] || fail "manual page $page(1): $warnings"
done

# Warnings are allowed; an error fails the test. Lintian's note about running as root is not
# one of its findings.
lintian_ok=yes
lintian --fail-on error "$deb" >"$tmp/lintian.txt" 2>&1 || lintian_ok=no
grep -v 'running with root privileges' "$tmp/lintian.txt" || true
[ $lintian_ok = yes ] || fail "lintian found errors"
echo "package test: $(basename "$deb") passed"
