#!/usr/bin/env bash
# The run command as an operator meets it on a desktop: `bash scripts/run` started by an
# ordinary user (made here and removed again) on a terminal, with a private Xvfb display of
# their own and passwordless sudo limited to the lab. It checks that
#   - it stops with a clear message where build/ holds root's files or sudo refuses the lab;
#   - the build runs as the user, and build/ holds nothing owned by anyone else afterwards;
#   - the Fenwick window appears on the user's display, its program runs with the user's ids
#     and session variables, inside the lab's manager namespace;
#   - closing the window, and Ctrl+C on the terminal, end the demo and remove the whole lab;
#   - without a display, the picture is taken as the user on a virtual display.
# The user works on a copy of the repository (sources and the gcc build, if there is one) put
# at the repository's own path in a mount namespace of the test's, so the copied build stays
# valid: the run then rebuilds what the test touched, as the user, instead of everything.
#   run_as_user_test.sh CLOSE_WINDOW
# Needs root, the lab, sudo and the X tools; reports itself skipped (77) where they are missing.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(cd "$here/../.." && pwd)
# shellcheck source=scripts/lib/private_display.sh
. "$root/scripts/lib/private_display.sh"
# shellcheck source=scripts/lib/presets.sh
. "$root/scripts/lib/presets.sh"
# The build the run command uses, and its place inside the repository (and so in the copy).
build=$(preset_dir gcc)
build_part=${build#"$root"/}

skip() {
    echo "run command test skipped: $*"
    exit 77
}
[ "$(id -u)" -eq 0 ] || skip "needs root (it creates a user)"
for tool in sudo visudo Xvfb xauth mcookie xwininfo xprop setpriv unshare script useradd; do
    command -v "$tool" >/dev/null || skip "$tool is missing"
done
"$root/scripts/lab" check >/dev/null 2>&1 || skip "the lab cannot run here"

# Bind mounts made here stay in this namespace.
if [ -z "${FENWICK_RUN_TEST_MOUNTS:-}" ]; then
    exec env FENWICK_RUN_TEST_MOUNTS=1 unshare --mount --propagation private \
        bash "${BASH_SOURCE[0]}" "$@"
fi

fail() {
    echo "FAILED: $*" >&2
    exit 1
}

work=$(mktemp -d /tmp/fenwick-run-test.XXXXXX)
chmod 755 "$work"
cp "$1" "$work/close_window"
user="fenwick-run-$$"
sudoers="/etc/sudoers.d/fenwick-run-test-$$"
xvfb_pid=
run_pid=
cleanup() {
    set +e
    if [ -n "$run_pid" ] && kill -0 "$run_pid" 2>/dev/null; then
        kill -TERM "$run_pid"
        wait "$run_pid"
    fi
    # The user's processes are the test's; a lab whose run was killed is removed by clean.
    local left=()
    mapfile -t left < <(ps -o pid= -u "$user" 2>/dev/null)
    [ "${#left[@]}" -eq 0 ] || kill -KILL "${left[@]}"
    "$root/scripts/lab" clean >/dev/null 2>&1
    [ -z "$xvfb_pid" ] || kill "$xvfb_pid"
    rm -f "$sudoers"
    id "$user" >/dev/null 2>&1 && userdel --force "$user"
    umount "$root" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

# The user, with a home, a runtime folder and an X authority file of its own in the places a
# desktop session has them.
useradd --no-create-home --home-dir "$work/home" --shell /bin/bash --user-group "$user"
uid=$(id -u "$user")
gid=$(id -g "$user")
runtime="$work/runtime"
mkdir -p "$work/home" "$runtime"
chmod 700 "$work/home" "$runtime"
xauthority="$runtime/Xauthority"
cookie=$(mcookie)
: >"$xauthority"
start_private_display "$work" "$cookie" || fail "no display"
xauth -q -f "$xauthority" add "$display" . "$cookie"
chown -R "$uid:$gid" "$work/home" "$runtime"
user_environment=(HOME="$work/home" USER="$user" LOGNAME="$user" SHELL=/bin/bash
    PATH=/usr/local/bin:/usr/bin:/bin LANG=C.UTF-8 TERM=xterm
    DISPLAY="$display" XAUTHORITY="$xauthority" XDG_RUNTIME_DIR="$runtime"
    WAYLAND_DISPLAY=wayland-fenwick-test DBUS_SESSION_BUS_ADDRESS="unix:path=$runtime/bus")
x() { env DISPLAY="$display" XAUTHORITY="$xauthority" "$@"; }

# The user's copy of the repository, at the repository's path.
copy="$work/repo"
mkdir -p "$copy/build"
tar -C "$root" --exclude=./build --exclude=./.git --exclude=./fuzz-out -cf - . |
    tar -C "$copy" -xf -
[ ! -f "$build/CMakeCache.txt" ] ||
    tar -C "$root" --exclude="$build_part/Testing" -cf - "$build_part" | tar -C "$copy" -xf -
chown -R "$uid:$gid" "$copy"
# Touched after the stamp, so that the run must compile and link them again.
touch "$work/stamp"
touch "$copy/src/app/main.cpp" "$copy/tools/fenwick-define/main.cpp"
# A folder above the repository that others cannot enter (a checkout under /root, say) is
# replaced, in this namespace only, by one that holds just the way down to it.
dir=/
for part in $(tr / ' ' <<<"${root#/}"); do
    dir="${dir%/}/$part"
    [ "$dir" != "$root" ] || break
    if [ "$(($(stat -c '0%a' "$dir") & 1))" -eq 0 ]; then
        mount -t tmpfs -o mode=755 fenwick-run-test "$dir"
        mkdir -p "$root"
        break
    fi
done
mount --bind "$copy" "$root"
cd /

# Starts scripts/run as the user on a terminal of its own (script), in the user's session
# less the variables NAME...; what the terminal shows goes to LOG, and bytes written to fd
# $keyboard are typed on it.
start_run() { # LOG [NAME...]
    local log=$1 setting name environment=()
    shift
    for setting in "${user_environment[@]}"; do
        for name in "$@"; do
            [ "${setting%%=*}" != "$name" ] || continue 2
        done
        environment+=("$setting")
    done
    rm -f "$work/keyboard"
    mkfifo "$work/keyboard"
    # Ctrl+C must reach the lab even where this test was started with SIGINT ignored.
    setpriv --reuid="$uid" --regid="$gid" --init-groups \
        env -i --default-signal=INT "${environment[@]}" \
        script -q -e -c "bash $root/scripts/run" /dev/null <"$work/keyboard" >"$log" 2>&1 &
    run_pid=$!
    exec {keyboard}>"$work/keyboard"
}

# Waits until the run ends, and sets run_status.
wait_run() {
    local waited=0
    while kill -0 "$run_pid" 2>/dev/null; do
        waited=$((waited + 1))
        [ "$waited" -le 600 ] || fail "the run command did not end"
        sleep 0.1
    done
    run_status=0
    wait "$run_pid" || run_status=$?
    run_pid=
    exec {keyboard}>&-
}

# The main window in the display's window tree: its title, then its class (name, class).
main_window='"Fenwick": ("fenwick" "Fenwick")'

# Waits for the Fenwick window on the user's display; sets window, program (its process),
# lab (the lab's name) and lab_pids (every process in the lab's namespaces).
wait_window() { # LOG
    local waited=0 line=
    while :; do
        line=$(x xwininfo -root -tree 2>/dev/null | grep -m1 -F "$main_window" || true)
        line=${line#"${line%%[! ]*}"}
        if [ -n "$line" ] && x xwininfo -id "${line%% *}" | grep -q 'Map State: IsViewable'; then
            break
        fi
        kill -0 "$run_pid" 2>/dev/null || fail "the run ended without a window: $(cat "$1")"
        waited=$((waited + 1))
        [ "$waited" -le 2400 ] || fail "no Fenwick window on $display: $(cat "$1")"
        sleep 0.5
    done
    window=${line%% *}
    program=$(x xprop -id "$window" _NET_WM_PID | grep -o '[0-9]*$')
    local namespace
    namespace=$(ip netns identify "$program" 2>/dev/null)
    [[ "$namespace" =~ ^fwlab-[0-9]+-manager$ ]] ||
        fail "Fenwick (process $program) runs outside the lab's manager namespace: '$namespace'"
    lab=${namespace%-manager}
    mapfile -t lab_pids < <(ip netns pids "$lab-manager" 2>/dev/null
        ip netns pids "$lab-switches" 2>/dev/null)
    [ "${#lab_pids[@]}" -ge 2 ] || fail "no simulated switches beside Fenwick in $lab"
}

# The program is the user's: ids, groups and session.
check_program() {
    local ids field name value
    for field in Uid Gid; do
        ids=$(awk -v f="$field:" '$1 == f {print $2, $3, $4, $5}' "/proc/$program/status")
        [ "$field" = Uid ] && value=$uid || value=$gid
        [ "$ids" = "$value $value $value $value" ] ||
            fail "Fenwick runs with $field $ids, not the user's $value"
    done
    for name in DISPLAY XAUTHORITY WAYLAND_DISPLAY XDG_RUNTIME_DIR DBUS_SESSION_BUS_ADDRESS HOME; do
        for value in "${user_environment[@]}"; do
            [ "${value%%=*}" = "$name" ] || continue
            tr '\0' '\n' <"/proc/$program/environ" | grep -qxF "$value" ||
                fail "Fenwick's environment lacks the user's $value"
        done
    done
}

# The user runs nothing any more. An ended process that its parent has not collected yet
# (state Z; orphans wait for the init process) has ended all the same.
check_user_processes_gone() {
    local running
    running=$(ps -o pid=,stat= -u "$user" | awk '$2 !~ /^Z/' || true)
    [ -z "$running" ] || fail "processes of $user remain: $(ps -f -u "$user")"
}

# Nothing of the lab remains: namespaces, processes, temporary folder, window.
check_lab_gone() {
    local pid
    ! ip netns list 2>/dev/null | grep -qE "^$lab-(manager|switches)\b" ||
        fail "$lab's namespaces remain"
    # An ended process that its parent has not collected yet (state Z) is gone as well.
    for pid in "${lab_pids[@]}"; do
        [[ "$(ps -o stat= -p "$pid")" =~ ^Z?$ ]] ||
            fail "process of $lab still running: $(ps -o pid,ppid,stat,user,args -p "$pid")"
    done
    ! compgen -G "/tmp/$lab.*" >/dev/null || fail "$lab's temporary folder remains"
    ! x xwininfo -root -tree | grep -qF "$main_window" || fail "the Fenwick window remains"
    check_user_processes_gone
}

allow_sudo() { # COMMAND PATTERN...
    local escaped=() pattern
    for pattern in "$@"; do
        # Characters that sudoers reads as syntax are escaped.
        escaped+=("$(sed 's/[\\,:=]/\\&/g' <<<"$pattern")")
    done
    (IFS=,; echo "$user ALL=(root) NOPASSWD: ${escaped[*]}") >"$sudoers.new"
    chmod 440 "$sudoers.new"
    visudo -qcf "$sudoers.new" || fail "invalid sudoers rule: $(cat "$sudoers.new")"
    mv "$sudoers.new" "$sudoers"
}

echo "== refused: root's files in build/, then a sudo that does not allow the lab"
allow_sudo /usr/bin/true
touch "$copy/build/left-by-root"
start_run "$work/owned.log"
wait_run
[ "$run_status" -ne 0 ] || fail "the run went on over root's files in build/"
grep -q 'build/ holds files owned by root' "$work/owned.log" || fail "$(cat "$work/owned.log")"
rm "$copy/build/left-by-root"
start_run "$work/refused.log"
wait_run
[ "$run_status" -ne 0 ] || fail "the run succeeded although sudo refused the lab"
for said in 'Root is needed to create the demo network' 'sudo refused it'; do
    grep -qF "$said" "$work/refused.log" || fail "not said: $said: $(cat "$work/refused.log")"
done
! grep -q '^lab:' "$work/refused.log" || fail "the lab ran although sudo refused it"
check_user_processes_gone

echo "== the window on the user's display, closed"
allow_sudo "/usr/bin/bash $root/scripts/lab run *" "/bin/bash $root/scripts/lab run *"
start_run "$work/close.log"
wait_window "$work/close.log"
check_program
x "$work/close_window" "$window"
wait_run
[ "$run_status" -eq 0 ] || fail "closing the window ended the run with $run_status: $(cat "$work/close.log")"
check_lab_gone
for built in src/app/fenwick tools/fenwick-define/fenwick-define; do
    [ "$copy/$build_part/$built" -nt "$work/stamp" ] || fail "$built was not rebuilt by the run"
done
[ -s "$copy/build/demo/cfg/define.ecf" ] || fail "no define.ecf written for the demo"
foreign=$(find "$copy/build" ! -user "$uid" -print | head -5)
[ -z "$foreign" ] || fail "build/ holds files not owned by $user: $foreign"

echo "== Ctrl+C on the terminal"
start_run "$work/interrupt.log"
wait_window "$work/interrupt.log"
check_program
printf '\003' >&"$keyboard"
wait_run
[ "$run_status" -eq 130 ] || fail "Ctrl+C ended the run with $run_status: $(cat "$work/interrupt.log")"
check_lab_gone
foreign=$(find "$copy/build" ! -user "$uid" -print | head -5)
[ -z "$foreign" ] || fail "build/ holds files not owned by $user: $foreign"

echo "== no display: the picture, as the user"
start_run "$work/picture.log" DISPLAY XAUTHORITY WAYLAND_DISPLAY
wait_run
[ "$run_status" -eq 0 ] || fail "the run without a display failed: $(cat "$work/picture.log")"
picture="$copy/build/demo/fenwick-discovery.png"
[ "$(stat -c %u "$picture")" = "$uid" ] || fail "no picture of $user's: $(cat "$work/picture.log")"
grep -q "24 devices discovered; picture of the main window: $root/build/demo/fenwick-discovery.png" \
    "$work/picture.log" || fail "$(cat "$work/picture.log")"
check_user_processes_gone
foreign=$(find "$copy/build" ! -user "$uid" -print | head -5)
[ -z "$foreign" ] || fail "build/ holds files not owned by $user: $foreign"
echo "run command as $user: passed"
