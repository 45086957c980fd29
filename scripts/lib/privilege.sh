# shellcheck shell=bash
# Crossing between the invoking user and root. A command run by an ordinary user does only its
# privileged steps through sudo, and whatever it starts as root on the user's behalf drops back
# to that user. Run as root, everything simply runs as root.

# Says, and returns 1, unless sudo is there and lets this user run COMMAND as root; asks for
# the password when sudo wants it (then remembered for the steps that follow). Asking first
# keeps "sudo refused" apart from "the command failed" and stops before any work is done.
root_allowed() { # REASON COMMAND [ARGUMENTS...]
    local reason=$1
    shift
    [ "$(id -u)" -ne 0 ] || return 0
    if ! command -v sudo >/dev/null 2>&1; then
        echo "Root is needed to $reason, and sudo is not installed." >&2
        echo "Install sudo and allow it to $(id -un), or run this as root." >&2
        return 1
    fi
    if ! sudo -l -- "$@" >/dev/null; then
        echo "Root is needed to $reason, and sudo refused it to $(id -un):" >&2
        echo "  sudo $*" >&2
        return 1
    fi
}

# Runs COMMAND as root: directly as root, else through sudo once it is known to be allowed.
as_root() { # REASON COMMAND [ARGUMENTS...]
    local reason=$1
    shift
    if [ "$(id -u)" -eq 0 ]; then
        "$@"
        return
    fi
    root_allowed "$reason" "$@" || return 1
    sudo -- "$@"
}

# What the program needs from the user's desktop session: where the display (X11 or Wayland)
# and the session bus are, the runtime folder, the locale, and who the user is.
SESSION_VARIABLES=(HOME USER LOGNAME SHELL PATH LANG LANGUAGE LC_ALL LC_CTYPE LC_MESSAGES
    DISPLAY XAUTHORITY WAYLAND_DISPLAY XDG_RUNTIME_DIR XDG_SESSION_TYPE XDG_CURRENT_DESKTOP
    DBUS_SESSION_BUS_ADDRESS QT_QPA_PLATFORM QT_SCALE_FACTOR)

# Sets AS_USER to the prefix with which root runs a command as the invoking user, in that
# user's session: their user and group ids and groups, and SESSION_VARIABLES as they are here
# (unset where unset here). Empty for root. sudo resets the environment, so the values travel
# as arguments.
as_user_prefix() {
    AS_USER=()
    [ "$(id -u)" -ne 0 ] || return 0
    local name unset=(-u SUDO_COMMAND -u SUDO_USER -u SUDO_UID -u SUDO_GID -u MAIL) set=()
    for name in "${SESSION_VARIABLES[@]}"; do
        if [ -n "${!name+set}" ]; then
            set+=("$name=${!name}")
        else
            unset+=(-u "$name")
        fi
    done
    AS_USER=(setpriv --reuid="$(id -u)" --regid="$(id -g)" --init-groups --
        env "${unset[@]}" "${set[@]}")
}
