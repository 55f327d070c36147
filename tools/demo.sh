#!/usr/bin/env bash
# Installs what is missing, builds, starts the instrument simulator on a
# pseudo-terminal and runs the logger against it from a demo folder of its
# own (demo/ in the checkout), so a user's real settings and history are
# never touched. Extra arguments go to the simulator (try --help).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
# shellcheck source=tools/deps.sh
source "$root/tools/deps.sh"
aq_install_deps

build="$root/build"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DAQ_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" -j"$(nproc)" --target aq7316-logger aq7316-sim

demo="$root/demo"
mkdir -p "$demo"
# The logger keeps Options.ini, systemlog.db and languages/ beside its
# executable, so the demo runs a copy that lives in the demo folder.
cp -f "$build/bin/aq7316-logger" "$demo/"
if [ -d "$build/bin/languages" ]; then
  mkdir -p "$demo/languages"
  cp -f "$build/bin/languages/"*.qm "$demo/languages/" 2>/dev/null || true
fi

for arg in "$@"; do
  case "$arg" in -h|--help) exec "$build/bin/aq7316-sim" --help ;; esac
done

simout="$demo/sim.out"
"$build/bin/aq7316-sim" --link "$demo/ttyAQ7316" --drift --records 120 "$@" >"$simout" &
sim=$!
trap 'kill "$sim" 2>/dev/null || true' EXIT
for _ in $(seq 50); do
  [ -s "$simout" ] && break
  sleep 0.1
done
pty="$(head -n1 "$simout")"
if [ -z "$pty" ] || [ ! -e "$pty" ] || ! kill -0 "$sim" 2>/dev/null; then
  echo "The simulator did not start." >&2
  exit 1
fi
echo "Simulated AQ7316 on $pty (also $demo/ttyAQ7316)"

ini="$demo/Options.ini"
if [ -f "$ini" ] && grep -q '^SERIALPORTNAME=' "$ini"; then
  sed -i "s|^SERIALPORTNAME=.*|SERIALPORTNAME=$pty|" "$ini"
else
  printf '[System]\nSERIALPORTNAME=%s\n' "$pty" >>"$ini"
fi

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display found: running the logger under Xvfb."
  exec_prefix=(xvfb-run -a -s "-screen 0 1920x1080x24")
else
  exec_prefix=()
fi
cd "$demo"
"${exec_prefix[@]}" "$demo/aq7316-logger" || true
# A language change restarts the logger as a fresh process: keep the
# simulator for as long as any logger of the demo folder runs.
while pgrep -f "^$demo/aq7316-logger" >/dev/null; do
  sleep 1
done
