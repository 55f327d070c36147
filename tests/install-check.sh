#!/usr/bin/env bash
# Checks of an installation into a temporary prefix, run by CTest.
#   install-check.sh install BUILD PREFIX   cmake --install BUILD --prefix PREFIX
#   install-check.sh validate PREFIX        desktop entry and metainfo pass the
#                                           freedesktop and AppStream validators
#   install-check.sh run PREFIX             the installed program starts with an
#                                           empty home and keeps its files there
#   install-check.sh package BUILD          cpack -G DEB, dpkg -i, run, dpkg -r
#                                           (as root, when the package is not
#                                           installed already)
# Exit code 77 means skipped.
set -euo pipefail

mode="$1"
case "$mode" in
install)
  build="$2"; prefix="$3"
  rm -rf "$prefix"
  cmake --install "$build" --prefix "$prefix" >/dev/null
  for f in bin/aq7316-logger bin/aq7316-sim share/aq7316-logger/languages/pelnor_zh.qm \
           share/applications/aq7316-logger.desktop share/metainfo/org.aq7316.Logger.metainfo.xml \
           share/icons/hicolor/16x16/apps/aq7316-logger.png share/icons/hicolor/256x256/apps/aq7316-logger.png \
           share/icons/hicolor/scalable/apps/aq7316-logger.svg; do
    [ -e "$prefix/$f" ] || { echo "not installed: $f"; exit 1; }
  done
  ;;
validate)
  prefix="$2"
  missing=()
  command -v desktop-file-validate >/dev/null || missing+=(desktop-file-utils)
  command -v appstreamcli >/dev/null || missing+=(appstream)
  if [ ${#missing[@]} -gt 0 ]; then
    echo "SKIP: validators not installed (Debian packages: ${missing[*]})"
    exit 77
  fi
  desktop-file-validate "$prefix/share/applications/aq7316-logger.desktop"
  appstreamcli validate --no-net "$prefix/share/metainfo/org.aq7316.Logger.metainfo.xml"
  ;;
run)
  prefix="$2"
  home="$(mktemp -d)"
  pid=
  cleanup() {
    [ -n "$pid" ] && kill -KILL "$pid" 2>/dev/null && wait "$pid" 2>/dev/null || true
    # The killed program leaves its single-instance block and semaphore in the
    # kernel, keyed (ftok, project 'Q') on files in its TMPDIR: remove them.
    for f in "$home"/tmp/qipc_sharedmemory_* "$home"/tmp/qipc_systemsem_*; do
      [ -e "$f" ] || continue
      read -r dev ino < <(stat -c '%d %i' "$f")
      key=$(printf '0x%08x' $(( (0x51 << 24) | ((dev & 0xff) << 16) | (ino & 0xffff) )))
      case "$f" in
        */qipc_sharedmemory_*) ipcrm -M "$key" 2>/dev/null || true ;;
        *) ipcrm -S "$key" 2>/dev/null || true ;;
      esac
    done
    rm -rf "$home"
  }
  trap cleanup EXIT
  mkdir -p "$home/tmp" "$home/work"
  chmod 700 "$home"
  # A program built with AddressSanitizer is killed at the end: no leak report.
  cd "$home/work"
  env -i PATH=/usr/bin:/bin HOME="$home" TMPDIR="$home/tmp" XDG_RUNTIME_DIR="$home" \
      QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0 \
      "$prefix/bin/aq7316-logger" >"$home/log" 2>&1 &
  pid=$!
  db="$home/.local/share/aq7316-logger/systemlog.db"
  for _ in $(seq 300); do
    [ -s "$db" ] && break
    kill -0 "$pid" 2>/dev/null || { cat "$home/log"; echo "the installed program ended"; exit 1; }
    sleep 0.1
  done
  [ -s "$db" ] || { cat "$home/log"; echo "no history database in $db"; exit 1; }
  [ -d "$home/.config/aq7316-logger" ] || { echo "no settings folder"; exit 1; }
  grep -q "pelnor_en.qm" "$home/log" && ! grep -q "does not exists" "$home/log" \
    || { cat "$home/log"; echo "translations not found"; exit 1; }
  for f in Options.ini systemlog.db mivo.log languages; do
    [ ! -e "$prefix/bin/$f" ] || { echo "written beside the installed program: $f"; exit 1; }
  done
  [ -z "$(ls -A "$home/work")" ] || { echo "files written to the working folder"; exit 1; }
  echo "files in $home: $(cd "$home" && find .config .local -type f | tr '\n' ' ')"
  ;;
package)
  build="$2"
  if [ "$(id -u)" -ne 0 ] || ! command -v dpkg >/dev/null; then
    echo "SKIP: installing the package needs root and dpkg"
    exit 77
  fi
  if dpkg-query -W -f='${Status}' aq7316-logger 2>/dev/null | grep -q 'install ok installed'; then
    echo "SKIP: aq7316-logger is installed on this machine; not replacing it"
    exit 77
  fi
  out="$(mktemp -d)"
  trap 'dpkg -r aq7316-logger >/dev/null 2>&1 || true; rm -rf "$out"' EXIT
  cpack -G DEB --config "$build/CPackConfig.cmake" -B "$out" >/dev/null
  deb="$(ls "$out"/aq7316-logger_*.deb)"
  dpkg-deb -f "$deb" Depends | grep -q libqt5widgets5 || { echo "no Qt dependency in $deb"; exit 1; }
  dpkg -i "$deb" >/dev/null
  "$0" run /usr
  dpkg -r aq7316-logger >/dev/null
  for f in /usr/bin/aq7316-logger /usr/bin/aq7316-sim /usr/share/aq7316-logger \
           /usr/share/applications/aq7316-logger.desktop; do
    [ ! -e "$f" ] || { echo "left after removal: $f"; exit 1; }
  done
  ;;
*)
  echo "usage: $0 install BUILD PREFIX | validate PREFIX | run PREFIX | package BUILD" >&2
  exit 2
  ;;
esac
