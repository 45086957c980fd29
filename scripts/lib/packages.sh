# Installs the Debian 12 packages a job needs, only when some are missing (so a prepared
# machine needs neither the network nor root). Usage: ensure_packages PACKAGE...
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
    local sudo=()
    if [ "$(id -u)" -ne 0 ]; then
        sudo=(sudo)
    fi
    "${sudo[@]}" apt-get update -q
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
}

# What every build needs.
BUILD_PACKAGES=(cmake ninja-build g++ qt6-base-dev qt6-svg-dev libgl-dev)
# What the tests add: GoogleTest, and clang with its sanitizer and libFuzzer runtimes.
TEST_PACKAGES=(libgtest-dev clang libclang-rt-14-dev)
# What the lab adds: network namespaces, a virtual display and its screenshots.
LAB_PACKAGES=(iproute2 xvfb xauth tftp-hpa)
