#!/usr/bin/env bash
# Installs the built programs as a user would: with `cmake --install` into a temporary prefix
# and from the Debian package unpacked with `dpkg -x`. In each installation it runs qvmctl from
# another folder on the simulated board and checks that the tab definition files, the udev rule,
# the desktop entry with its icon and the README are in place. Uses an existing build folder.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(cd "${1:-$root/build}" && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

fail() {
  echo "install-check: $*" >&2
  exit 1
}

# Checks the installation under the prefix $1 (named $2 in the messages).
check_installation() {
  local prefix="$1" name="$2"
  for file in bin/qvmctl bin/qvm-console; do
    [ -x "$prefix/$file" ] || fail "$name: $file is missing"
  done
  for file in share/qvm/tabdefs_QVM52400_RevA.csv share/qvm/tabdefs_QVM38817_RevA.csv \
              share/icons/hicolor/scalable/apps/qvm-console.svg share/doc/qvm/README.md; do
    [ -f "$prefix/$file" ] || fail "$name: $file is missing"
  done
  local rule="$prefix/lib/udev/rules.d/70-qvm-bridge.rules"
  [ -f "$rule" ] || fail "$name: the udev rule is missing"
  grep -q 'ATTRS{idProduct}=="2035"' "$rule" || fail "$name: the udev rule does not match 2035"
  grep -q 'TAG+="uaccess"' "$rule" || fail "$name: the udev rule has no uaccess tag"
  local desktop="$prefix/share/applications/qvm-console.desktop"
  [ -f "$desktop" ] || fail "$name: the desktop entry is missing"
  for key in 'Type=Application' 'Exec=qvm-console' 'Icon=qvm-console'; do
    grep -qx "$key" "$desktop" || fail "$name: the desktop entry lacks $key"
  done

  # From a folder that holds nothing of the installation.
  local elsewhere="$work/elsewhere-$name"
  mkdir -p "$elsewhere"
  local output
  output="$(cd "$elsewhere" && "$prefix/bin/qvmctl" --sim daisy:52400x3 readall volts --scan)" ||
    fail "$name: qvmctl readall failed"
  [ "$(grep -c '^QVM52400 ' <<<"$output")" -eq 3 ] ||
    fail "$name: qvmctl did not print three devices: $output"
  echo "install-check: $name installation works"
}

cmake --install "$build" --prefix "$work/prefix" > /dev/null
check_installation "$work/prefix" prefix

if ! (cd "$work" && cpack -G DEB -B "$work/deb" --config "$build/CPackConfig.cmake" \
      > "$work/cpack.log" 2>&1); then
  cat "$work/cpack.log" >&2
  fail "cpack -G DEB failed"
fi
deb="$(ls "$work"/deb/*.deb)"
depends="$(dpkg-deb -f "$deb" Depends)"
for library in libqt6widgets6 libhidapi-hidraw0; do
  grep -q "$library" <<<"$depends" || fail "the package does not depend on $library: $depends"
done
dpkg -x "$deb" "$work/root"
check_installation "$work/root/usr" deb
echo "install-check: $(basename "$deb") depends on $depends"
