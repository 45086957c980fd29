# shellcheck shell=bash
# The build folders as CMakePresets.json gives them, so that no script spells one.
# Usage: preset_dir PRESET   prints the build folder of configure preset PRESET.
# `cmake --build --preset` and `ctest --preset` read the presets of the working folder: run
# them from the repository's root.
preset_dir() {
    cmake -DPRESET="$1" -P "$(dirname "${BASH_SOURCE[0]}")/preset_dir.cmake"
}
