// A client of the switches' control channel (FENWICK_LAB_CONTROL) for programs that drive the
// lab: the benchmarks and the end-to-end tests.
#pragma once

#include <optional>
#include <string>
#include <utility>

namespace fenwick::sim {

class SwitchControl {
public:
    explicit SwitchControl(std::string path) : path_(std::move(path)) {}

    // The answer's lines, or nothing after printing why the command failed.
    std::optional<std::string> Run(const std::string& command) const;

private:
    std::string path_;
};

} // namespace fenwick::sim
