# shellcheck shell=bash
# A private X display for a check: Xvfb on the first free display number, answering only the
# clients that hold COOKIE; its authority file is FOLDER/server-auth, its log FOLDER/xvfb.log.
#   start_private_display FOLDER COOKIE [PREFIX...]
# Starts it through PREFIX (ip netns exec NAME, say), waits until it listens, and sets display
# (":N") and xvfb_pid; says why and returns 1 when it does not start.
start_private_display() {
    local folder=$1 cookie=$2
    shift 2
    : >"$folder/server-auth"
    xauth -q -f "$folder/server-auth" add :0 . "$cookie"
    "$@" Xvfb -displayfd 3 -auth "$folder/server-auth" -nolisten tcp -screen 0 1280x1024x24 \
        3>"$folder/display" >"$folder/xvfb.log" 2>&1 &
    # shellcheck disable=SC2034 # set for the caller
    xvfb_pid=$!
    for _ in $(seq 100); do
        [ ! -s "$folder/display" ] || break
        sleep 0.1
    done
    display=":$(cat "$folder/display")"
    [ "$display" != : ] || {
        echo "Xvfb did not start: $(cat "$folder/xvfb.log")" >&2
        return 1
    }
}
