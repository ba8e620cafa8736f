#!/bin/sh
# Runs runner_program_onset_bench in its "desktop" mode: an X server (Xvfb) with a window manager,
# a PulseAudio server on a null sink and a session bus, all of their own in a temporary folder,
# so the window is a real X11 window and the sound goes through the sound server.
#
# Usage: bench/runner/desktop_onset.sh BENCH_EXECUTABLE [rounds] [busy]
set -eu
bench=$1
shift
work=$(mktemp -d)
cleanup() {
    [ -n "${wm:-}" ] && kill "$wm" 2>/dev/null || true
    [ -n "${pulse:-}" ] && kill "$pulse" 2>/dev/null || true
    [ -n "${xvfb:-}" ] && kill "$xvfb" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT INT TERM

exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 1366x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
while [ ! -s "$work/display" ]; do sleep 0.1; done
DISPLAY=:$(cat "$work/display")
export DISPLAY
if command -v openbox >/dev/null; then
    openbox >/dev/null 2>&1 &
    wm=$!
fi

mkdir -p "$work/runtime" "$work/home"
chmod 700 "$work/runtime"
export XDG_RUNTIME_DIR="$work/runtime" HOME="$work/home"
pulseaudio --daemonize=no --exit-idle-time=-1 -n --use-pid-file=no --disable-shm=no \
    -L module-null-sink -L module-native-protocol-unix >"$work/pulse.log" 2>&1 &
pulse=$!
while ! pactl info >/dev/null 2>&1; do sleep 0.1; done

export QT_QPA_PLATFORM=xcb SDL_AUDIODRIVER=pulseaudio
dbus-run-session -- "$bench" "${1:-12}" ${2:-} desktop
