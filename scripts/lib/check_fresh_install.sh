#!/usr/bin/env bash
# Installs a built package on a fresh, minimal Debian 12 (debootstrap into a temporary folder,
# apt without recommended packages, so its declared dependencies must be enough) and starts
# the installed fenwick there as an ordinary user, on a private Xvfb display, in a network
# namespace of this check's that has only loopback. With no cfg folder beside /usr/bin/fenwick,
# the program must take its folder from the user's home:
#   - nothing written yet: the start-up reports define.ecf missing from ~/.config/fenwick;
#   - define.ecf written there by the installed fenwick-define: the main window opens with no
#     box before it;
#   - only /etc/fenwick/define.ecf: the main window opens with no box either.
# fenwickctl, from the same package, runs there too and takes the same folders: with no
# define.ecf it names the one in ~/.config/fenwick and ends with exit status 3; with only
# /etc/fenwick/define.ecf it gets past the file to the network, where this namespace's loopback
# is no usable interface (exit status 3 again, without a word about define.ecf).
#   bash scripts/lib/check_fresh_install.sh PACKAGE.deb
# Skipped with a line saying why where it cannot run: not root, a tool missing, or no Debian
# mirror in reach. The mirror is the one this machine's apt takes Debian 12 from (its sources
# files), or FENWICK_DEBIAN_MIRROR when set.
set -euo pipefail
deb=$(realpath "$1")
# shellcheck source=scripts/lib/private_display.sh
. "$(dirname "${BASH_SOURCE[0]}")/private_display.sh"

skip() {
    echo "skipped: fresh install ($*)"
    exit 0
}
fail() {
    echo "fresh install: $*" >&2
    exit 1
}
[ "$(id -u)" -eq 0 ] || skip "it needs root for debootstrap, chroot and a network namespace"
for tool in debootstrap chroot Xvfb xauth mcookie xwininfo ip python3; do
    command -v "$tool" >/dev/null || skip "$tool is not installed"
done

# The first enabled "deb" source of the apt configuration that serves bookworm; failing that,
# the first that serves a release by name (the archive holds every release). One-line
# (*.list) and deb822 (*.sources) files, in apt's order.
apt_mirror() {
    python3 - /etc/apt/sources.list /etc/apt/sources.list.d/*.list \
        /etc/apt/sources.list.d/*.sources <<'PYTHON'
import re, sys
entries = []  # (uri, suites)
for path in sys.argv[1:]:
    try:
        text = open(path, encoding="utf-8", errors="replace").read()
    except OSError:
        continue
    if path.endswith(".sources"):
        for stanza in re.split(r"\n\s*\n", text):
            fields, key = {}, None
            for line in stanza.splitlines():
                if line.startswith("#") or not line.strip():
                    continue
                if line[0] in " \t" and key:
                    fields[key] += " " + line.strip()
                elif ":" in line:
                    key, value = line.split(":", 1)
                    key = key.strip().lower()
                    fields[key] = value.strip()
            if "deb" not in fields.get("types", "").split():
                continue
            if fields.get("enabled", "yes").lower() in ("no", "false", "0"):
                continue
            for uri in fields.get("uris", "").split():
                entries.append((uri, fields.get("suites", "").split()))
    else:
        for line in text.splitlines():
            words = re.sub(r"\[[^]]*\]", " ", line.split("#", 1)[0]).split()
            if len(words) >= 3 and words[0] == "deb":
                entries.append((words[1], [words[2]]))
for wanted in (lambda s: s == "bookworm", lambda s: "-" not in s and "/" not in s):
    for uri, suites in entries:
        if uri.startswith(("http://", "https://")) and any(map(wanted, suites)):
            print(uri.rstrip("/"))
            sys.exit(0)
sys.exit(1)
PYTHON
}
mirror=${FENWICK_DEBIAN_MIRROR:-$(apt_mirror)} ||
    skip "no Debian mirror in the apt sources; set FENWICK_DEBIAN_MIRROR"
[ -n "$mirror" ] || skip "no Debian mirror in the apt sources; set FENWICK_DEBIAN_MIRROR"
python3 - "$mirror/dists/bookworm/Release" <<'PYTHON' || skip "$mirror cannot be reached"
import sys, urllib.request
urllib.request.urlopen(urllib.request.Request(sys.argv[1], method="HEAD"), timeout=15)
PYTHON

work=$(mktemp -d /var/tmp/fenwick-fresh.XXXXXX)
system="$work/system"
namespace="fenwick-fresh-$$"
xvfb_pid=
cleanup() {
    set +e
    local left=()
    # Asked to end, the display removes its socket and lock from /tmp.
    if [ -n "$xvfb_pid" ] && kill -TERM "$xvfb_pid" 2>/dev/null; then
        for _ in $(seq 50); do
            kill -0 "$xvfb_pid" 2>/dev/null || break
            sleep 0.1
        done
    fi
    mapfile -t left < <(ip netns pids "$namespace" 2>/dev/null)
    [ "${#left[@]}" -eq 0 ] || kill -KILL "${left[@]}"
    ip netns del "$namespace" 2>/dev/null
    if mountpoint -q "$system/proc" && ! umount "$system/proc"; then
        echo "fresh install: $system/proc is still mounted; $work is left in place" >&2
        return
    fi
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

debootstrap --variant=minbase bookworm "$system" "$mirror" >"$work/debootstrap.log" 2>&1 ||
    fail "debootstrap failed: $(tail -5 "$work/debootstrap.log")"
cp /etc/resolv.conf "$system/etc/resolv.conf"
mount -t proc proc "$system/proc"
# No service that a package brings starts inside the chroot.
printf '#!/bin/sh\nexit 101\n' >"$system/usr/sbin/policy-rc.d"
chmod 755 "$system/usr/sbin/policy-rc.d"
cp "$deb" "$system/tmp/"
# The package's name goes to the shell as an argument, never into its command.
# shellcheck disable=SC2016
chroot "$system" sh -c 'apt-get update -q && DEBIAN_FRONTEND=noninteractive \
    apt-get install -y -q --no-install-recommends "$1"' sh "/tmp/$(basename "$deb")" \
    >"$work/install.log" 2>&1 || fail "apt could not install $(basename "$deb"): $(tail -5 "$work/install.log")"
[ ! -e "$system/usr/bin/cfg" ] || fail "the package puts a cfg folder beside the program"

# The operator, and a display whose cookie only they hold. The display runs in the namespace,
# where its abstract socket is the one the program finds: nothing of the host's /tmp is shared.
ip netns add "$namespace"
ip netns exec "$namespace" ip link set lo up
chroot "$system" useradd --create-home --shell /bin/bash op
home=/home/op
cookie=$(mcookie)
start_private_display "$work" "$cookie" ip netns exec "$namespace" || fail "no display"
disown # killed on purpose: no job report
: >"$system$home/.Xauthority"
xauth -q -f "$work/server-auth" add "$display" . "$cookie"
xauth -q -f "$system$home/.Xauthority" add "$display" . "$cookie"
chroot "$system" chown op:op "$home/.Xauthority"
x() { ip netns exec "$namespace" env DISPLAY="$display" XAUTHORITY="$work/server-auth" "$@"; }

# As the operator in the fresh system: a login's variables, and no XDG_CONFIG_HOME.
as_operator() {
    chroot --userspec=op:op "$system" env -i HOME="$home" USER=op \
        LOGNAME=op PATH=/usr/bin:/bin LANG=C.UTF-8 "$@"
}

# Runs fenwickctl as the operator in the namespace; sets ctl_status and ctl_said (what it said
# on standard error).
run_fenwickctl() {
    ctl_status=0
    ctl_said=$(ip netns exec "$namespace" chroot --userspec=op:op "$system" env -i \
        HOME="$home" USER=op LOGNAME=op PATH=/usr/bin:/bin LANG=C.UTF-8 fenwickctl "$@" \
        2>&1 >/dev/null) || ctl_status=$?
}

# Starts fenwick and waits for the first window with a title that it shows: a box before the
# main window, or the main window itself. Sets shown to that window's title.
start_fenwick() {
    ip netns exec "$namespace" chroot --userspec=op:op "$system" env -i \
        HOME="$home" USER=op LOGNAME=op PATH=/usr/bin:/bin LANG=C.UTF-8 \
        DISPLAY="$display" XAUTHORITY="$home/.Xauthority" fenwick \
        >>"$work/fenwick.log" 2>&1 &
    disown
    local waited=0 id
    shown=
    while [ -z "$shown" ]; do
        for id in $(x xwininfo -root -tree 2>/dev/null |
            sed -n 's/^ *\(0x[0-9a-f]*\) ".*": ("fenwick" "Fenwick").*/\1/p'); do
            if x xwininfo -id "$id" 2>/dev/null | grep -q 'Map State: IsViewable'; then
                shown=$(x xwininfo -id "$id" | sed -n 's/^xwininfo: Window id: [^"]*"\(.*\)"$/\1/p')
                break
            fi
        done
        waited=$((waited + 1))
        [ "$waited" -le 300 ] || fail "fenwick showed no window: $(cat "$work/fenwick.log")"
        sleep 0.1
    done
}
stop_fenwick() {
    local pid
    for pid in $(ip netns pids "$namespace"); do
        [ "$pid" = "$xvfb_pid" ] || kill -KILL "$pid"
    done
    while [ "$(ip netns pids "$namespace")" != "$xvfb_pid" ]; do sleep 0.1; done
}

start_fenwick
[ "$shown" = "file error" ] ||
    fail "with no define.ecf anywhere, fenwick first showed '$shown', not the 'file error' box"
stop_fenwick
[ ! -e "$system$home/.config/fenwick/define.ecf" ] || fail "fenwick wrote a define.ecf"
run_fenwickctl discover
if [ "$ctl_status" -ne 3 ] || ! grep -qF "$home/.config/fenwick" <<<"$ctl_said"; then
    fail "with no define.ecf anywhere, fenwickctl discover ended $ctl_status: $ctl_said"
fi

# fenwick-define makes the missing fenwick folder, the operator's own.
as_operator sh -c 'mkdir -p ~/.config && fenwick-define 1A2B3C4D 0x1F90 ~/.config/fenwick/define.ecf'
[ "$(stat -c %a "$system$home/.config/fenwick")" = 700 ] ||
    fail "fenwick-define made ~/.config/fenwick open to others"
start_fenwick
[ "$shown" = Fenwick ] ||
    fail "with ~/.config/fenwick/define.ecf, fenwick first showed '$shown', not its main window"
stop_fenwick

rm "$system$home/.config/fenwick/define.ecf"
chroot "$system" fenwick-define 1A2B3C4D 0x1F90 /etc/fenwick/define.ecf
start_fenwick
[ "$shown" = Fenwick ] ||
    fail "with /etc/fenwick/define.ecf only, fenwick first showed '$shown', not its main window"
stop_fenwick
run_fenwickctl discover
if [ "$ctl_status" -ne 3 ] || grep -qF define.ecf <<<"$ctl_said"; then
    fail "with /etc/fenwick/define.ecf only, fenwickctl discover ended $ctl_status: $ctl_said"
fi
echo "fresh install: installed on a minimal Debian 12; fenwick and fenwickctl read" \
    "the operator's ~/.config/fenwick, then /etc/fenwick"
