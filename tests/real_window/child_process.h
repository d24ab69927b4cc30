// Child processes for the real-window tests: the X server, the window manager, xdotool and
// the program itself. A child dies with the test process (even when that one crashes) and
// is stopped when its record goes out of scope, so a failing test leaves nothing running.
#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

struct ChildProcess {
    pid_t pid = -1;
    bool exited = false;  // reaped: `status` holds how it ended
    int status = 0;       // the raw wait status
    std::string outputPath;

    ChildProcess() = default;
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
};

struct SpawnOptions {
    // Changes to the test's own environment: "NAME=VALUE" sets a variable, "NAME" alone
    // removes it.
    std::vector<std::string> environment;
    std::string outputPath;  // stdout and stderr go here; empty: /dev/null
    int passFd = -1;         // a descriptor the child keeps open under the same number
};

// Starts `command` (looked up in PATH when it has no slash). False when it cannot be run.
bool spawnProcess(ChildProcess& child, const std::vector<std::string>& command,
                  const SpawnOptions& options = {});
// True once the child has ended (reaping it); never blocks.
bool hasExited(ChildProcess& child);
// Waits up to `seconds` for the child to end. True when it has.
bool waitForExit(ChildProcess& child, double seconds);
// Ends a running child: SIGTERM, then SIGKILL if it lingers. Does nothing to a reaped one.
void stopProcess(ChildProcess& child);
// Exit code of a child that ended normally; -1 when it was killed by a signal or runs on.
int exitCode(const ChildProcess& child);
// How the child ended, for failure messages ("status 0", "signal 11", "still running").
std::string describeEnd(const ChildProcess& child);
// Everything the child wrote to its output file so far.
std::string readOutput(const ChildProcess& child);
// The whole content of a file; empty when it cannot be read.
std::string readFile(const std::string& path);
// Runs a short command to its end (at most `seconds`). True when it exited with status 0.
bool runCommand(const std::vector<std::string>& command, const SpawnOptions& options = {},
                double seconds = 20);
