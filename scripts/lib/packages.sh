# shellcheck shell=bash
# Installs the Debian 12 packages a job needs, only when some are missing (so a prepared
# machine needs neither the network nor root); through sudo when not root. Returns 1, having
# said why, when they cannot be installed. Usage: ensure_packages PACKAGE...
# shellcheck source=scripts/lib/privilege.sh
. "$(dirname "${BASH_SOURCE[0]}")/privilege.sh"

ensure_packages() {
    local missing=()
    local package
    for package in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
            missing+=("$package")
        fi
    done
    if [ ${#missing[@]} -eq 0 ]; then
        return 0
    fi
    echo "Installing: ${missing[*]}"
    local reason="install the packages ${missing[*]}"
    # Both asked for first, so that a refusal comes before anything is installed.
    root_allowed "$reason" apt-get update -q &&
        root_allowed "$reason" apt-get install -y -q --no-install-recommends "${missing[@]}" ||
        return 1
    as_root "$reason" apt-get update -q &&
        DEBIAN_FRONTEND=noninteractive as_root "$reason" \
            apt-get install -y -q --no-install-recommends "${missing[@]}"
}

# What every build needs; configuring the tree also finds GoogleTest and Xlib for the tests.
BUILD_PACKAGES=(cmake ninja-build g++ qt6-base-dev qt6-svg-dev libgl-dev libgtest-dev libx11-dev)
# What the tests add: clang with its sanitizer and libFuzzer runtimes; clang-format (14, as
# the format check expects); sudo and the X tools (xwininfo, xprop) for the test of the run
# command as an ordinary user; python3, whose csv module reads back the exported lists.
TEST_PACKAGES=(clang libclang-rt-14-dev clang-format sudo x11-utils python3)
# What building the Debian package and checking it add; debootstrap makes the fresh system the
# package is installed on.
PACKAGE_PACKAGES=(debhelper dpkg-dev lintian desktop-file-utils appstream man-db python3
    debootstrap)
# What the lab adds: network namespaces, a virtual display and its screenshots; tftp-hpa for the
# upgrade benchmark to compare with; for the desktop walk and the benchmark a window manager,
# real X input, D-Bus with the accessibility bus, and python3's D-Bus module that reads it.
LAB_PACKAGES=(iproute2 xvfb xauth tftp-hpa openbox xdotool x11-utils dbus dbus-daemon
    at-spi2-core python3-dbus)
