# Prints the build folder that CMakePresets.json gives the configure preset PRESET:
#   cmake -DPRESET=NAME -P scripts/lib/preset_dir.cmake
# so that scripts take the folders from the presets instead of spelling them.
cmake_minimum_required(VERSION 3.25)
get_filename_component(source_dir "${CMAKE_CURRENT_LIST_DIR}/../.." ABSOLUTE)
file(READ "${source_dir}/CMakePresets.json" presets)
string(JSON count LENGTH "${presets}" configurePresets)
math(EXPR last "${count} - 1")
foreach(i RANGE ${last})
    string(JSON name GET "${presets}" configurePresets ${i} name)
    if(name STREQUAL PRESET)
        string(JSON dir GET "${presets}" configurePresets ${i} binaryDir)
        string(REPLACE "\${sourceDir}" "${source_dir}" dir "${dir}")
        string(REPLACE "\${presetName}" "${name}" dir "${dir}")
        execute_process(COMMAND "${CMAKE_COMMAND}" -E echo "${dir}")
        return()
    endif()
endforeach()
message(FATAL_ERROR "CMakePresets.json has no configure preset \"${PRESET}\"")
