# shellcheck shell=bash
# The lab: network namespaces in which the manager and the simulated switches talk over real
# sockets without touching the machine's own network. Sourced by scripts/lab.
#
# Layout of one lab (NAME is fwlab-PID of the script that made it):
#   NAME-manager   lab0  10.77.0.1/16, the link to the switches; what else it has depends on
#                        LAB_TOPOLOGY:
#                          default-route     the default route on lab0
#                          no-default-route  no default route at all, as on a laptop cabled
#                                            straight to a switch
#                          two-links         lab2 10.78.0.1/24 to NAME-uplink, with the
#                                            default route through it (as Wi-Fi beside an
#                                            Ethernet cable to the switches)
#   NAME-switches  lab1  every switch address /16, default route on lab1; one fenwick-switch
#                        process stands for all switches
#   NAME-uplink    lab3  10.78.0.2/24, the default gateway of two-links; nothing answers there
# Each lab link is a veth pair created inside the namespaces, so the machine's own namespace
# never holds a lab link.

LAB_TOPOLOGIES="default-route no-default-route two-links"
LAB_SUBNET_PREFIX=16
LAB_MANAGER_IP=10.77.0.1
LAB_MANAGER_LINK=lab0
LAB_SWITCH_LINK=lab1
# Fixed, locally administered: the switches' side knows the manager's without asking (ARP),
# so that the first burst of answers is not queued behind a resolution.
LAB_MANAGER_MAC=02:4c:41:42:00:01
LAB_SWITCH_MAC=02:4c:41:42:00:02
# The second link of two-links, to a gateway with nothing behind it.
LAB_UPLINK_MANAGER_LINK=lab2
LAB_UPLINK_GATEWAY_LINK=lab3
LAB_UPLINK_MANAGER_IP=10.78.0.1
LAB_UPLINK_GATEWAY_IP=10.78.0.2
LAB_UPLINK_PREFIX=24
# Longest wait for the switches to say they are ready; they normally take milliseconds.
LAB_READY_SECONDS=30

lab_say() { echo "lab: $*" >&2; }

# Says why the lab cannot run here, if it cannot; returns 0 when it can.
lab_check() {
    if [ "$(id -u)" -ne 0 ]; then
        lab_say "needs root (network namespaces and links); run it with sudo or as root"
        return 1
    fi
    if ! command -v ip >/dev/null 2>&1; then
        lab_say "the ip command (iproute2) is missing"
        return 1
    fi
    local probe="fwlab-$$-check"
    if ! ip netns add "$probe" 2>/dev/null; then
        lab_say "cannot create network namespaces here (ip netns add failed)"
        return 1
    fi
    ip netns del "$probe"
    return 0
}

# Returns 0 when TOPOLOGY is one of LAB_TOPOLOGIES.
lab_known_topology() { # TOPOLOGY
    [[ " $LAB_TOPOLOGIES " == *" $1 "* ]]
}

# Names of this run's lab; sets LAB_NAME, LAB_NS_MANAGER, LAB_NS_SWITCHES, LAB_NS_UPLINK,
# LAB_DIR, and LAB_MANAGER_LINKS (the manager's links, the switches' first) for TOPOLOGY.
lab_init() { # TOPOLOGY
    LAB_TOPOLOGY=${1:-default-route}
    LAB_NAME="fwlab-$$"
    LAB_NS_MANAGER="$LAB_NAME-manager"
    LAB_NS_SWITCHES="$LAB_NAME-switches"
    LAB_NS_UPLINK=
    LAB_MANAGER_LINKS=$LAB_MANAGER_LINK
    if [ "$LAB_TOPOLOGY" = two-links ]; then
        LAB_NS_UPLINK="$LAB_NAME-uplink"
        LAB_MANAGER_LINKS="$LAB_MANAGER_LINK $LAB_UPLINK_MANAGER_LINK"
    fi
    LAB_DIR=$(mktemp -d "/tmp/$LAB_NAME.XXXXXX")
    LAB_SWITCH_PID=
    LAB_COMMAND_PID=
}

lab_create_network() {
    ip netns add "$LAB_NS_MANAGER" || return 1
    ip netns add "$LAB_NS_SWITCHES" || return 1
    ip -n "$LAB_NS_MANAGER" link set lo up &&
        ip -n "$LAB_NS_SWITCHES" link set lo up &&
        ip -n "$LAB_NS_MANAGER" link add "$LAB_MANAGER_LINK" address "$LAB_MANAGER_MAC" \
            type veth peer name "$LAB_SWITCH_LINK" address "$LAB_SWITCH_MAC" \
            netns "$LAB_NS_SWITCHES" &&
        ip -n "$LAB_NS_MANAGER" addr add "$LAB_MANAGER_IP/$LAB_SUBNET_PREFIX" \
            dev "$LAB_MANAGER_LINK" &&
        ip -n "$LAB_NS_MANAGER" link set "$LAB_MANAGER_LINK" up &&
        ip -n "$LAB_NS_SWITCHES" link set "$LAB_SWITCH_LINK" up &&
        ip -n "$LAB_NS_SWITCHES" route add default dev "$LAB_SWITCH_LINK" &&
        ip -n "$LAB_NS_SWITCHES" neigh replace "$LAB_MANAGER_IP" lladdr "$LAB_MANAGER_MAC" \
            dev "$LAB_SWITCH_LINK" nud permanent || return 1
    case $LAB_TOPOLOGY in
    default-route) ip -n "$LAB_NS_MANAGER" route add default dev "$LAB_MANAGER_LINK" ;;
    no-default-route) ;;
    two-links) lab_create_uplink ;;
    esac
}

# The second link of two-links: a gateway namespace on its own subnet, the manager's default
# route through it.
lab_create_uplink() {
    ip netns add "$LAB_NS_UPLINK" || return 1
    ip -n "$LAB_NS_UPLINK" link set lo up &&
        ip -n "$LAB_NS_MANAGER" link add "$LAB_UPLINK_MANAGER_LINK" type veth \
            peer name "$LAB_UPLINK_GATEWAY_LINK" netns "$LAB_NS_UPLINK" &&
        ip -n "$LAB_NS_MANAGER" addr add "$LAB_UPLINK_MANAGER_IP/$LAB_UPLINK_PREFIX" \
            dev "$LAB_UPLINK_MANAGER_LINK" &&
        ip -n "$LAB_NS_UPLINK" addr add "$LAB_UPLINK_GATEWAY_IP/$LAB_UPLINK_PREFIX" \
            dev "$LAB_UPLINK_GATEWAY_LINK" &&
        ip -n "$LAB_NS_MANAGER" link set "$LAB_UPLINK_MANAGER_LINK" up &&
        ip -n "$LAB_NS_UPLINK" link set "$LAB_UPLINK_GATEWAY_LINK" up &&
        ip -n "$LAB_NS_MANAGER" route add default via "$LAB_UPLINK_GATEWAY_IP" \
            dev "$LAB_UPLINK_MANAGER_LINK"
}

# Reads the switch addresses of a settings file into LAB_SWITCH_ADDRESSES (blank-separated);
# fails, with the switch tool's reason, when the file is not a valid settings file.
lab_read_switch_addresses() { # BINARY CONFIG
    local listed addresses=()
    listed=$("$1" --config "$2" --print addresses) || return 1
    [ -z "$listed" ] || mapfile -t addresses <<<"$listed"
    LAB_SWITCH_ADDRESSES="${addresses[*]}"
}

# Puts every switch address on the switches' link, in one batch.
lab_add_switch_addresses() {
    local ip
    [ -n "$LAB_SWITCH_ADDRESSES" ] || return 0
    # A switch that moves away from the link's first address must not take the others with it:
    # Linux drops every secondary address with the primary one unless they are promoted.
    ip netns exec "$LAB_NS_SWITCHES" sh -c \
        "echo 1 >/proc/sys/net/ipv4/conf/$LAB_SWITCH_LINK/promote_secondaries" || return 1
    for ip in $LAB_SWITCH_ADDRESSES; do
        echo "address add $ip/$LAB_SUBNET_PREFIX dev $LAB_SWITCH_LINK"
    done | ip -n "$LAB_NS_SWITCHES" -batch -
}

# Starts the switches in their namespace and waits until they listen. Their output goes to
# $LAB_DIR/switches.log.
lab_start_switches() { # BINARY CONFIG CONTROL [EXTRA ARGUMENTS...]
    local binary=$1 config=$2 control=$3
    shift 3
    local fifo="$LAB_DIR/ready" ready line=
    mkfifo "$fifo" || return 1
    # Held open for reading and writing, so that neither side's open blocks and a switch
    # process that dies early does not leave us waiting on an open.
    exec {ready}<>"$fifo"
    ip netns exec "$LAB_NS_SWITCHES" "$binary" --config "$config" --control "$control" \
        --interface "$LAB_SWITCH_LINK" --prefix-length "$LAB_SUBNET_PREFIX" --ready-fd 3 "$@" \
        3>"$fifo" </dev/null >>"$LAB_DIR/switches.log" 2>&1 &
    LAB_SWITCH_PID=$!
    local waited=0
    while ! read -r -t 1 -u "$ready" line; do
        waited=$((waited + 1))
        if ! kill -0 "$LAB_SWITCH_PID" 2>/dev/null || [ "$waited" -ge "$LAB_READY_SECONDS" ]; then
            break
        fi
    done
    exec {ready}<&-
    if [ "$line" != ready ]; then
        lab_say "the simulated switches did not start:"
        sed 's/^/  /' "$LAB_DIR/switches.log" >&2
        return 1
    fi
}

# Runs a command as root in the manager's namespace with the lab's names in its environment;
# returns its exit status. It runs in the background and is waited for, so that a signal to
# the lab is handled at once; its standard input stays the lab's.
lab_run_in_manager() { # BINARY CONFIG CONTROL COMMAND [ARGUMENTS...]
    local binary=$1 config=$2 control=$3
    shift 3
    local agent_key base_port
    agent_key=$("$binary" --config "$config" --print agent-key) || return 1
    base_port=$("$binary" --config "$config" --print base-port) || return 1
    ip netns exec "$LAB_NS_MANAGER" env \
        FENWICK_LAB_AGENT_KEY="$agent_key" \
        FENWICK_LAB_BASE_PORT="$base_port" \
        FENWICK_LAB_CONTROL="$control" \
        FENWICK_LAB_CONFIG="$config" \
        FENWICK_LAB_SWITCHES="$LAB_SWITCH_ADDRESSES" \
        FENWICK_LAB_MANAGER_IP="$LAB_MANAGER_IP" \
        FENWICK_LAB_TOPOLOGY="$LAB_TOPOLOGY" \
        FENWICK_LAB_MANAGER_LINKS="$LAB_MANAGER_LINKS" \
        FENWICK_LAB_SWITCH_TOOL="$binary" \
        FENWICK_LAB_DIR="$LAB_DIR" \
        FENWICK_LAB_MANAGER_NETNS="$LAB_NS_MANAGER" \
        FENWICK_LAB_SWITCH_NETNS="$LAB_NS_SWITCHES" \
        "$@" <&0 &
    LAB_COMMAND_PID=$!
    local status=0
    wait "$LAB_COMMAND_PID" || status=$?
    LAB_COMMAND_PID=
    return "$status"
}

# Ends the processes in one of our namespaces: ours by process id first, then whatever they
# left behind in it, also by process id. Returns the exit status of PID, when given.
lab_stop_namespace_processes() { # NAMESPACE [PID]
    local namespace=$1 pid=${2:-} rounds=0 left=() status=0
    if [ -n "$pid" ]; then
        kill -TERM "$pid" 2>/dev/null
        wait "$pid" 2>/dev/null || status=$?
    fi
    if ip netns list 2>/dev/null | grep -q "^$namespace\b"; then
        # Not our children, so there is nothing to wait on: look again until they are gone.
        while mapfile -t left < <(ip netns pids "$namespace" 2>/dev/null) &&
            [ ${#left[@]} -gt 0 ]; do
            rounds=$((rounds + 1))
            if [ "$rounds" -gt 50 ]; then
                kill -KILL "${left[@]}" 2>/dev/null
                break
            fi
            [ "$rounds" -ne 1 ] || kill -TERM "${left[@]}" 2>/dev/null
            sleep 0.1
        done
    fi
    return "$status"
}

# Removes everything of this run. Safe to call more than once and after a partial set-up.
# Returns non-zero when the switches did not end cleanly on SIGTERM (a crash, or a sanitizer
# report at exit), after showing what they said.
lab_cleanup() {
    set +e
    [ -n "${LAB_NAME:-}" ] || return 0
    local switches_status=0
    lab_stop_namespace_processes "$LAB_NS_MANAGER" "$LAB_COMMAND_PID"
    if [ -n "$LAB_SWITCH_PID" ]; then
        lab_stop_namespace_processes "$LAB_NS_SWITCHES" "$LAB_SWITCH_PID"
        switches_status=$?
    fi
    if [ "$switches_status" -ne 0 ]; then
        lab_say "the simulated switches ended with status $switches_status:"
        tail -n 40 "$LAB_DIR/switches.log" | sed 's/^/  /' >&2
    fi
    LAB_COMMAND_PID=
    LAB_SWITCH_PID=
    # Deleting a namespace deletes the veth end in it, and with it the other end.
    ip netns del "$LAB_NS_MANAGER" 2>/dev/null
    ip netns del "$LAB_NS_SWITCHES" 2>/dev/null
    if [ -n "$LAB_NS_UPLINK" ]; then
        lab_stop_namespace_processes "$LAB_NS_UPLINK"
        ip netns del "$LAB_NS_UPLINK" 2>/dev/null
    fi
    [ -n "${LAB_DIR:-}" ] && rm -rf "$LAB_DIR"
    LAB_NAME=
    return "$switches_status"
}

# The EXIT trap: cleans up, and turns a success into a failure when the switches failed.
lab_exit() {
    local status=$?
    # A second Ctrl+C, or sudo passing on the one the terminal already sent, must not cut the
    # cleanup short.
    trap '' INT TERM
    if ! lab_cleanup && [ "$status" -eq 0 ]; then
        exit 1
    fi
    exit "$status"
}

# Removes the namespaces of labs whose script is gone (killed without a chance to clean up),
# with the processes still in them.
lab_clean_stale() {
    local namespace pid folder
    for namespace in $(ip netns list 2>/dev/null | awk '{print $1}' |
        grep -E '^fwlab-[0-9]+-(manager|switches|uplink)$'); do
        pid=${namespace#fwlab-}
        pid=${pid%%-*}
        if kill -0 "$pid" 2>/dev/null; then
            continue
        fi
        lab_say "removing $namespace, left by process $pid"
        lab_stop_namespace_processes "$namespace"
        ip netns del "$namespace"
    done
    for folder in /tmp/fwlab-[0-9]*.??????; do
        [ -d "$folder" ] || continue
        pid=${folder#/tmp/fwlab-}
        pid=${pid%%.*}
        kill -0 "$pid" 2>/dev/null || rm -rf "$folder"
    done
}
