#!/usr/bin/env bash
# The folders' include rules (CONTRIBUTING.md, "Who may include whom"): a file may include a
# file beside it and what its folder's line below allows. Prints every include
# that breaks a rule and fails. `check_includes.sh DIR` checks the tree under DIR (default .).
set -euo pipefail
cd "${1:-.}"

# folder (the longest that holds the file wins): the include prefixes it may use. tests,
# bench and tools may use every folder.
rules='
src/codec: codec/
src/core/ports: codec/ core/ports/
src/core/state: codec/ core/ports/ core/state/
src/core/support: codec/ core/ports/ core/state/ core/support/
src/core/app: codec/ core/
src/core: codec/ core/ports/ core/state/ core/support/ core/config/ core/firmware/ core/lists/ core/monitor/ core/protocol/
src/platform: codec/ core/ports/ core/state/ core/support/ platform/
src/windows: codec/ core/ windows/
src/app: codec/ core/ platform/ windows/ app/ fenwick_version.h
src/ctl: codec/ core/ platform/ ctl/ fenwick_version.h
fuzz: codec/ core/ports/ core/state/ core/support/ core/config/ core/firmware/ core/lists/ core/monitor/ core/protocol/
'

find src fuzz \( -name '*.h' -o -name '*.cpp' \) -print0 | sort -z |
    xargs -0 grep -H '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' |
    awk -v rules="$rules" '
        BEGIN {
            n = split(rules, lines, "\n")
            for (i = 1; i <= n; i++) {
                if (lines[i] == "") continue
                colon = index(lines[i], ":")
                folder = substr(lines[i], 1, colon - 1)
                allowed[folder] = substr(lines[i], colon + 1)
            }
        }
        {
            colon = index($0, ":")
            file = substr($0, 1, colon - 1)
            include = substr($0, colon + 1)
            sub(/^[^"]*"/, "", include)
            sub(/".*$/, "", include)
            if (include !~ /\//) next # a file beside it
            best = ""
            for (folder in allowed)
                if (index(file, folder "/") == 1 && length(folder) > length(best)) best = folder
            if (best == "") next
            ok = 0
            m = split(allowed[best], prefixes, " ")
            for (j = 1; j <= m; j++)
                if (index(include, prefixes[j]) == 1) { ok = 1; break }
            if (!ok) {
                printf "  %s includes \"%s\" (%s may include:%s)\n", file, include, best, allowed[best]
                broken = 1
            }
        }
        END {
            if (broken) {
                print "Includes that break the folders\047 rules (CONTRIBUTING.md, \"Who may include whom\")."
                exit 1
            }
        }'
