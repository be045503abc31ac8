# shellcheck shell=bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Sourced by the benchmarks: a private Xvfb server on a display number it
# picks itself, with a cookie, and a private D-Bus session bus. Sets work (a
# temporary folder, removed at exit), display, bus_address and run_env, the
# environment the measured programs get and nothing of the caller's session.

work="$(mktemp -d)"
xvfb_pid=
bus_pid=
desktop_cleanup() {
    [ -z "$bus_pid" ] || kill "$bus_pid" 2>/dev/null || true
    [ -z "$xvfb_pid" ] || kill "$xvfb_pid" 2>/dev/null || true
    [ -z "$xvfb_pid" ] || wait "$xvfb_pid" 2>/dev/null || true
    rm -rf "$work"
}
trap desktop_cleanup EXIT

mkdir -p "$work/home"
mkdir -m 700 "$work/runtime"

cookie="$(od -An -N16 -tx1 /dev/urandom | tr -d ' \n')"
touch "$work/server.auth" "$work/client.auth"
xauth -q -f "$work/server.auth" add :0 . "$cookie"
exec {display_fd}> "$work/display"
Xvfb -displayfd "$display_fd" -auth "$work/server.auth" -nolisten tcp -noreset \
    -screen 0 1280x1024x24 2>"$work/xvfb.log" &
xvfb_pid=$!
exec {display_fd}>&-
for _ in $(seq 200); do
    [ -s "$work/display" ] && break
    kill -0 "$xvfb_pid" 2>/dev/null || { cat "$work/xvfb.log" >&2; exit 1; }
    sleep 0.05
done
display=":$(tr -d '\n' < "$work/display")"
xauth -q -f "$work/client.auth" add "$display" . "$cookie"

# Qt programs ask the session bus whether a screen reader wants them; a
# desktop answers that, so the bench gives them a bus of its own to ask.
bus="$(env -i PATH=/usr/bin:/bin HOME="$work/home" XDG_RUNTIME_DIR="$work/runtime" \
    DISPLAY="$display" XAUTHORITY="$work/client.auth" \
    dbus-daemon --session --fork --nopidfile --print-address=1 --print-pid=1)"
bus_address="$(sed -n 1p <<<"$bus")"
bus_pid="$(sed -n 2p <<<"$bus")"

# shellcheck disable=SC2034 # for the scripts that source this one
run_env=(env -i PATH=/usr/local/bin:/usr/bin:/bin HOME="$work/home" LANG=C.UTF-8
    XDG_RUNTIME_DIR="$work/runtime" DISPLAY="$display" XAUTHORITY="$work/client.auth"
    DBUS_SESSION_BUS_ADDRESS="$bus_address" QT_QPA_PLATFORM=xcb)

desktop_machine() {
    local cpu
    cpu="$(sed -n 's/^model name\s*: //p' /proc/cpuinfo | head -1)"
    echo "machine: $cpu, $(nproc) cores, $(free -g | awk '/^Mem:/ {print $2}') GiB," \
        "$(. /etc/os-release && echo "$PRETTY_NAME"), Linux $(uname -r)," \
        "Qt $(dpkg-query -W -f='${Version}' libqt6core6 2>/dev/null || echo '?'), Xvfb $display"
}
