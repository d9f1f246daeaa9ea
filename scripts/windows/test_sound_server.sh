#!/usr/bin/env bash
# The Windows program's playback through a real sound server, as a user under Wine hears
# it: Wine's own wave-out (winmm over its PulseAudio driver) into a private PulseAudio
# server with a null sink at the recording's format (44,100 Hz, s16le, stereo: nothing is
# converted), the sink's monitor recorded and compared byte for byte with the recording's
# data: nothing missing at the start or the end, nothing lost inside. Losing the end came
# in about half of the runs, so the test plays several times (argument 1, default 8).
# Skips, saying why, only where the server cannot start. Runs under xvfb-run.
set -euo pipefail
cd "$(dirname "$0")/../.."
runs=${1:-8}
program=$(pwd)/build-windows-test/tests/test_wine_sound_server.exe
compare=$(pwd)/tests/sound_server/wine/compare_capture.py
[ -f "$program" ] || { echo "sound server test: $program is not built" >&2; exit 1; }
. scripts/windows/wine_env.sh

server_dir="$wine_tmp/pulse"
mkdir -p "$server_dir/runtime" "$server_dir/state" "$server_dir/config"
chmod 700 "$server_dir/runtime"
server_pid=
recorder_pid=
sound_cleanup() {
    [ -z "$recorder_pid" ] || kill "$recorder_pid" 2>/dev/null || true
    [ -z "$server_pid" ] || { kill "$server_pid" 2>/dev/null; wait "$server_pid" 2>/dev/null; } || true
    wine_cleanup
}
trap sound_cleanup EXIT
skip() {
    echo "sound server test skipped: $*"
    exit 0
}

# Every client started from here, Wine's driver among them, talks to this server only.
export PULSE_SERVER="unix:$server_dir/native"
export PULSE_CLIENTCONFIG="$server_dir/client.conf"
export PULSE_RUNTIME_PATH="$server_dir/runtime" PULSE_STATE_PATH="$server_dir/state"
echo "autospawn = no" >"$PULSE_CLIENTCONFIG"
command -v pulseaudio >/dev/null || skip "pulseaudio is not installed"
# As root (CI) the server runs only as a per-session server started by hand: no default
# script (-n), no daemon, no exit when idle, just the modules named here, and its cookie
# and configuration under a private HOME. The sink takes no rewinds: what it was given is
# what it plays.
HOME="$server_dir" XDG_CONFIG_HOME="$server_dir/config" \
    pulseaudio -n --daemonize=no --system=false --exit-idle-time=-1 --use-pid-file=false \
    --realtime=no --high-priority=no --log-target=stderr \
    -L "module-native-protocol-unix auth-anonymous=1 socket=$server_dir/native" \
    -L "module-null-sink sink_name=salvorin_test_sink rate=44100 format=s16le channels=2 norewinds=1" \
    >"$server_dir/server.log" 2>&1 &
server_pid=$!
up=no
for _ in $(seq 100); do
    kill -0 "$server_pid" 2>/dev/null || skip "pulseaudio ended at once: $(tail -n 3 "$server_dir/server.log")"
    if pactl info >/dev/null 2>&1; then
        up=yes
        break
    fi
    sleep 0.05
done
[ "$up" = yes ] || skip "pulseaudio did not answer within five seconds"

# A fresh null sink loses the start of the first stream it gets: one that nobody records.
head -c 44100 /dev/zero | tr '\0' '\021' >"$server_dir/warm-up.raw"
pacat --playback --raw --format=s16le --rate=44100 --channels=2 \
    --device=salvorin_test_sink "$server_dir/warm-up.raw"

# Wine's audio through its PulseAudio driver, whatever else the machine has.
wine reg add 'HKCU\Software\Wine\Drivers' /v Audio /d pulse /f >/dev/null 2>&1

failed=0
for run in $(seq "$runs"); do
    out="$server_dir/run$run"
    mkdir -p "$out"
    parec --raw --format=s16le --rate=44100 --channels=2 \
        --device=salvorin_test_sink.monitor --latency-msec=20 >"$out/monitor.raw" 2>"$out/parec.log" &
    recorder_pid=$!
    for _ in $(seq 250); do
        [ -s "$out/monitor.raw" ] && break
        sleep 0.02
    done
    if ! SALVORIN_SOUND_SERVER_FOLDER="Z:${out//\//\\}" wine "$program" \
            --gtest_filter='WineSoundServerTest.*' >"$out/program.log" 2>&1 ||
        ! grep -q '\[  PASSED  \] 1 test' "$out/program.log"; then
        echo "run $run: the program failed:" >&2
        cat "$out/program.log" >&2
        failed=$((failed + 1))
    fi
    quiet=yes
    python3 "$compare" wait "$out/monitor.raw" || quiet=no
    kill "$recorder_pid" 2>/dev/null || true
    wait "$recorder_pid" 2>/dev/null || true
    recorder_pid=
    result=$(python3 "$compare" compare "$out/monitor.raw" "$out/rec.tmp") || failed=$((failed + 1))
    [ "$quiet" = yes ] || failed=$((failed + 1))
    echo "run $run: $result end_wait_ms=$(cat "$out/end_wait.txt" 2>/dev/null || echo none)"
done
if [ "$failed" -ne 0 ]; then
    echo "sound server test: $failed of $runs runs failed; the server's log:" >&2
    grep -v -e 'memfd' -e 'Falling back to copying' -e 'bug report about this' \
        "$server_dir/server.log" | tail -n 30 >&2
    exit 1
fi
echo "sound server test: $runs runs, every byte heard once"
