#!/usr/bin/env bash
# Unpacks the Debian package into a scratch folder and runs the programs from
# there as an installed copy would run: Qt from the system, data from the
# unpacked share/. A first start of wavix with a fresh HOME must create the
# per-user data tree and show captures from a vexor-sim of the same package.
#
#   tests/package/extract.sh [PACKAGE.deb]   (default: the newest build/wavix_*.deb)
set -euo pipefail
cd "$(dirname "$0")/../.."

deb=${1:-$(ls -t build/wavix_*.deb 2>/dev/null | head -1)}
[ -n "$deb" ] && [ -f "$deb" ] || { echo "extract: no package (scripts/package makes one)" >&2; exit 2; }

work=$(mktemp -d /tmp/wavix-extract.XXXXXX)
sim_pid=""
cleanup() {
  [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null && wait "$sim_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

failures=0
fail() { echo "extract: FAIL $*" >&2; failures=$((failures + 1)); }
pass() { echo "extract: ok   $*"; }

root=$work/root
dpkg-deb -x "$deb" "$root"
bin=$root/usr/bin
share=$root/usr/share
version=$(dpkg-deb -f "$deb" Version)

for p in wavix vexor-sim wavix-sdf; do
  out=$("$bin/$p" --version 2>&1) || true
  [ "$out" = "$p $version" ] && pass "$p --version: $out" || fail "$p --version gave '$out', not '$p $version'"
  # Installed programs carry no search path into a build folder.
  if readelf -d "$bin/$p" | grep -q 'R\(UN\)\?PATH'; then fail "$p has an RPATH/RUNPATH"; fi
done

chart=$share/wavix/Data/Scope/SampleCharts/Vstrikovac.sdf
if info=$("$bin/wavix-sdf" info "$chart" 2>&1) && grep -q '"channels"' <<<"$info"; then
  pass "wavix-sdf info on a shipped sample chart"
else
  fail "wavix-sdf info $chart: $info"
fi
"$bin/vexor-sim" --help 2>&1 | grep -q -- '--port' && pass "vexor-sim --help" || fail "vexor-sim --help"

# The shipped General.ini points at 127.0.0.2:10000. When that port is taken
# (another simulator or program on this machine), the first start runs alone
# for a moment and the test then points the user's copy at a simulator of its own.
home=$work/home
mkdir -p "$home" "$work/run"
chmod 700 "$work/run"
default_port=$(sed -n 's/^ReaderPort=//p' "$share/wavix/Data/Settings/General.ini" | tr -d '\r')
addr=127.0.0.2
port=$default_port
if ss -Hlun "sport = :$default_port" | grep -q .; then
  addr=127.0.0.$((100 + $$ % 100))
  port=$((20000 + $$ % 10000))
fi

start_sim() {
  mkdir -p "$work/nologs" # no tester logs to generate: a quick start
  "$bin/vexor-sim" --addr "$addr" --port "$port" --files "$work/nologs" >"$work/sim.log" 2>&1 &
  sim_pid=$!
  for _ in $(seq 50); do
    grep -q 'listening' "$work/sim.log" 2>/dev/null && return 0
    sleep 0.2
  done
  fail "vexor-sim did not start: $(cat "$work/sim.log")"
}

# wavix as a desktop start would run it, offscreen, with its own lock folder.
run_wavix() {
  (cd "$home" && env -u XDG_DATA_HOME HOME="$home" XDG_RUNTIME_DIR="$work/run" QT_QPA_PLATFORM=offscreen \
     WAVIX_TRACE=1 "$bin/wavix" --start pc "$@") >"$work/wavix.out" 2>"$work/wavix.err" || true
}

user_tree=$home/.local/share/wavix/Data
general=$user_tree/Settings/General.ini
if [ "$port" = "$default_port" ] && [ "$addr" = 127.0.0.2 ]; then
  start_sim
  run_wavix --quit-after 8
else
  run_wavix --quit-after 1
  if [ -f "$general" ]; then
    sed -i "s/^ReaderAddres=.*/ReaderAddres=$addr/; s/^ReaderPort=.*/ReaderPort=$port/" "$general"
    start_sim
    run_wavix --quit-after 8
  fi
fi

if [ -f "$general" ]; then
  pass "first start made $general"
  for f in Settings/Wavix.ini Scope/SampleCharts/Vstrikovac.sdf; do
    [ -f "$user_tree/$f" ] || fail "the per-user tree lacks $f"
  done
  grep -q 'wavix-trace [0-9]* capture [0-9]' "$work/wavix.err" && pass "captures from the unpacked vexor-sim" ||
    fail "no capture line from wavix: $(tail -5 "$work/wavix.err")"
else
  fail "first start made no per-user data tree ($general): $(tail -3 "$work/wavix.err")"
fi

if [ "$failures" -ne 0 ]; then
  echo "extract: $failures check(s) failed" >&2
  exit 1
fi
echo "extract: all checks passed ($deb)"
