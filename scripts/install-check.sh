#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs the built programs as a user would: with `cmake --install` into a temporary prefix
# and from the Debian package unpacked with `dpkg -x`. In each installation it runs the installed
# programs from another folder on the simulated board and checks that the tab definition files,
# the udev rules, the desktop entry with its icon and metainfo, the man pages, the bash
# completion and the documents are in place. The desktop entry and the metainfo must pass their
# validators, the package lintian without errors. Uses an existing build folder.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(cd "${1:-$root/build}" && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
desktop_id=org.qvm_console.QvmConsole
version="$(sed -n 's/^project(qvm VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")"

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
              share/icons/hicolor/scalable/apps/qvm-console.svg \
              share/metainfo/$desktop_id.metainfo.xml \
              share/man/man1/qvm-console.1.gz share/man/man1/qvmctl.1.gz \
              share/bash-completion/completions/qvmctl \
              share/doc/qvm-console/README.md share/doc/qvm-console/copyright \
              share/doc/qvm-console/changelog.gz share/doc/qvm-console/changelog.Debian.gz; do
    [ -f "$prefix/$file" ] || fail "$name: $file is missing"
  done
  local rule="$prefix/lib/udev/rules.d/70-qvm-bridge.rules"
  [ -f "$rule" ] || fail "$name: the udev rule is missing"
  grep -q 'ATTRS{idProduct}=="2035"' "$rule" || fail "$name: the udev rule does not match 2035"
  grep -q 'TAG+="uaccess"' "$rule" || fail "$name: the udev rule has no uaccess tag"
  local seatless="$prefix/share/qvm/udev/70-qvm-bridge-plugdev.rules"
  [ -f "$seatless" ] || fail "$name: the plugdev udev rule is missing"
  grep -q 'GROUP="plugdev", MODE="0660"' "$seatless" ||
    fail "$name: the plugdev udev rule does not give the group access"
  local desktop="$prefix/share/applications/$desktop_id.desktop"
  [ -f "$desktop" ] || fail "$name: the desktop entry is missing"
  for key in 'Type=Application' 'Exec=qvm-console' 'Icon=qvm-console'; do
    grep -qx "$key" "$desktop" || fail "$name: the desktop entry lacks $key"
  done
  zcat "$prefix/share/man/man1/qvmctl.1.gz" | grep -q '^\.SH "EXIT STATUS"' ||
    fail "$name: the man page of qvmctl has no exit statuses"

  # From a folder that holds nothing of the installation.
  local elsewhere="$work/elsewhere-$name"
  mkdir -p "$elsewhere"
  local output
  output="$(cd "$elsewhere" && "$prefix/bin/qvmctl" --sim daisy:52400x3 readall volts --scan)" ||
    fail "$name: qvmctl readall failed"
  [ "$(grep -c '^QVM52400 ' <<<"$output")" -eq 3 ] ||
    fail "$name: qvmctl did not print three devices: $output"
  output="$(cd "$elsewhere" && QT_QPA_PLATFORM=offscreen "$prefix/bin/qvm-console" --version)" ||
    fail "$name: qvm-console --version failed"
  [ "$output" = "qvm-console $version" ] || fail "$name: qvm-console --version printed $output"
  # The completion of `qvmctl rea`, as bash asks for it.
  output="$(bash -c 'source "$1"; COMP_WORDS=("$2" rea); COMP_CWORD=1; _qvmctl
                     echo "${COMPREPLY[*]}"' - "$prefix/share/bash-completion/completions/qvmctl" \
            "$prefix/bin/qvmctl")"
  [ "$output" = "read readall" ] || fail "$name: qvmctl rea completes to '$output'"
  echo "install-check: $name installation works"
}

cmake --install "$build" --prefix "$work/prefix" > /dev/null
check_installation "$work/prefix" prefix
desktop-file-validate "$work/prefix/share/applications/$desktop_id.desktop" ||
  fail "desktop-file-validate found faults in the desktop entry"
appstreamcli validate --no-net "$work/prefix/share/metainfo/$desktop_id.metainfo.xml" ||
  fail "appstreamcli validate found faults in the metainfo"

if ! (cd "$work" && cpack -G DEB -B "$work/deb" --config "$build/CPackConfig.cmake" \
      > "$work/cpack.log" 2>&1); then
  cat "$work/cpack.log" >&2
  fail "cpack -G DEB failed"
fi
deb="$(ls "$work"/deb/*.deb)"
depends="$(dpkg-deb -f "$deb" Depends)"
for package in libqt6widgets6 libhidapi-hidraw0 libmosquitto1 python3 python3-numpy; do
  grep -q "$package" <<<"$depends" || fail "the package does not depend on $package: $depends"
done
dpkg -x "$deb" "$work/root"
package_version="$(dpkg-deb -f "$deb" Version)"
changelog_version="$(zcat "$work/root/usr/share/doc/qvm-console/changelog.Debian.gz" |
                     sed -n '1s/.*(\(.*\)).*/\1/p')"
[ "$package_version" = "$changelog_version" ] ||
  fail "the package is $package_version, its changelog's last entry $changelog_version"
check_installation "$work/root/usr" deb
PYTHONPATH="$work/root/usr/lib/python3/dist-packages" python3 -c \
  'import qvm; qvm.open(sim="daisy:52400x3").identify()' ||
  fail "the packaged Python module does not work from python3/dist-packages"
echo "install-check: $(basename "$deb") depends on $depends"
# Errors fail; the warnings left are explained in the README ("Installing on many PCs").
lintian --fail-on error --tag-display-limit 0 "$deb" || fail "lintian found errors in $(basename "$deb")"
echo "install-check: lintian found no errors"
