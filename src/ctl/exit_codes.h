// What fenwickctl's exit status tells a script.
#pragma once

namespace fenwick::ctl {

enum ExitCode : int {
    kExitDone = 0,
    kExitDeviceFailed = 1, // a device refused, failed or did not answer
    kExitUsage = 2,        // the command line, or a value that fails its check
    kExitEnvironment = 3,  // no usable define.ecf, a port in use, no usable interface
};

} // namespace fenwick::ctl
