#!/usr/bin/env bash
# Checks a built Debian package as its users' tools will: lintian (no errors), the desktop entry
# (desktop-file-validate), the AppStream metadata (appstreamcli, offline), the installed layout,
# that the installed programs start and answer --version, and that fenwickctl's bash completion
# loads and offers the commands the installed fenwickctl names. A check whose tool is missing is
# skipped with a line saying so.
#   bash scripts/lib/check_package.sh PACKAGE.deb
set -euo pipefail
deb=$1
version=$(dpkg-deb -f "$deb" Version)
unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
dpkg-deb -x "$deb" "$unpacked"

have() {
    command -v "$1" >/dev/null || {
        echo "skipped: $2 ($1 is not installed)"
        return 1
    }
}

if have lintian "lintian"; then
    status=0
    said=$(lintian --fail-on error "$deb" 2>&1) || status=$?
    # Run as root (in CI), which lintian only warns about.
    grep -v 'running with root privileges' <<<"$said" || true
    [ "$status" -eq 0 ] || {
        echo "lintian reports errors on $deb" >&2
        exit 1
    }
    echo "lintian: no errors"
fi
if have desktop-file-validate "the desktop entry"; then
    for entry in "$unpacked"/usr/share/applications/*.desktop; do
        desktop-file-validate "$entry"
        echo "desktop-file-validate: $(basename "$entry") passes"
    done
fi
if have appstreamcli "the AppStream metadata"; then
    appstreamcli validate --no-net "$unpacked"/usr/share/metainfo/*.metainfo.xml
fi

completion=usr/share/bash-completion/completions/fenwickctl
for path in usr/bin/fenwick usr/bin/fenwick-define usr/bin/fenwickctl \
    usr/share/man/man1/fenwick.1.gz usr/share/man/man1/fenwick-define.1.gz \
    usr/share/man/man1/fenwickctl.1.gz "$completion" \
    usr/share/icons/hicolor/scalable/apps/fenwick.svg \
    usr/share/icons/hicolor/48x48/apps/fenwick.png usr/share/icons/hicolor/256x256/apps/fenwick.png; do
    [ -e "$unpacked/$path" ] || {
        echo "$deb does not install /$path" >&2
        exit 1
    }
done
python3 - "$unpacked/usr/share/icons/hicolor" <<'PYTHON'
import struct, sys
for size in (48, 256):
    with open(f"{sys.argv[1]}/{size}x{size}/apps/fenwick.png", "rb") as png:
        head = png.read(24)
    width, height = struct.unpack(">II", head[16:24])
    if head[:8] != b"\x89PNG\r\n\x1a\n" or (width, height) != (size, size):
        sys.exit(f"the {size} px icon is {width}x{height}")
PYTHON
echo "layout: programs, man pages, bash completion and icons (48 and 256 px) in place"

# Information options only: they answer before any window or socket exists.
said=$(QT_QPA_PLATFORM=offscreen "$unpacked/usr/bin/fenwick" --version)
[ "$said" = "Fenwick $version" ] || {
    echo "the installed fenwick --version says '$said', the package is $version" >&2
    exit 1
}
"$unpacked/usr/bin/fenwick-define" --help >/dev/null
ctl_said=$("$unpacked/usr/bin/fenwickctl" --version)
[ "$ctl_said" = "fenwickctl $version" ] || {
    echo "the installed fenwickctl --version says '$ctl_said', the package is $version" >&2
    exit 1
}
echo "installed programs answer --version and --help: $said, $ctl_said"

# The completion offers, on an empty word after fenwickctl, the commands its --help lists.
listed=$("$unpacked/usr/bin/fenwickctl" --help |
    sed -n '/^Commands:/,/^$/s/^  \([a-z][a-z-]*\) .*/\1/p' | sort | paste -sd ' ')
# The completion's words are expanded by the inner shell, not here.
# shellcheck disable=SC2016
offered=$(bash -c '. "$1" && COMP_WORDS=(fenwickctl "") COMP_CWORD=1 && _fenwickctl;
    printf "%s\n" "${COMPREPLY[@]}"' bash "$unpacked/$completion" | sort | paste -sd ' ')
if [ -z "$listed" ] || [ "$offered" != "$listed" ]; then
    echo "the installed completion offers the commands '$offered';" \
        "fenwickctl --help lists '$listed'" >&2
    exit 1
fi
echo "bash completion: offers the commands fenwickctl lists ($listed)"
