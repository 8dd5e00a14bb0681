// What stood in the way of the port accesses of one device operation: the one list that
// the port layer finds and the operations' results carry up to the messages. Plain C++.
#pragma once

enum class PortProblem {
    None,
    DriverNotRunning, // the driver DLL is there, but its kernel driver is not (or stopped)
    Refused,          // Windows refused an in/out instruction: no driver opened the port
    DriverNotLoaded,  // a driver DLL is there, but it could not be loaded or is no port driver
    PortInUse,        // the Linux bridge: another program uses the port through it
};
