#include "tests/real_window/child_process.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace {

std::vector<std::string> childEnvironment(const std::vector<std::string>& changes) {
    std::vector<std::string> result;
    for (char** entry = environ; *entry != nullptr; ++entry) result.emplace_back(*entry);
    for (const std::string& change : changes) {
        const size_t equals = change.find('=');
        const std::string name = change.substr(0, equals);
        std::erase_if(result, [&](const std::string& existing) {
            return existing.compare(0, name.size() + 1, name + "=") == 0;
        });
        if (equals != std::string::npos) result.push_back(change);
    }
    return result;
}

std::vector<char*> pointers(std::vector<std::string>& strings) {
    std::vector<char*> result;
    for (std::string& text : strings) result.push_back(text.data());
    result.push_back(nullptr);
    return result;
}

}  // namespace

ChildProcess::~ChildProcess() {
    stopProcess(*this);
}

bool spawnProcess(ChildProcess& child, const std::vector<std::string>& command,
                  const SpawnOptions& options) {
    if (command.empty()) return false;
    std::vector<std::string> arguments = command;
    std::vector<std::string> environment = childEnvironment(options.environment);
    std::vector<char*> argv = pointers(arguments);
    std::vector<char*> envp = pointers(environment);
    // Prepared before fork: the child may only make async-signal-safe calls.
    const std::string output = options.outputPath.empty() ? "/dev/null" : options.outputPath;
    const pid_t parent = getpid();

    // A pipe that closes on exec tells the parent whether exec worked.
    int status[2];
    if (pipe2(status, O_CLOEXEC) != 0) return false;
    const pid_t pid = fork();
    if (pid < 0) {
        close(status[0]);
        close(status[1]);
        return false;
    }
    if (pid == 0) {
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (getppid() != parent) _exit(127);
        setpgid(0, 0);
        const int input = open("/dev/null", O_RDONLY);
        const int out = open(output.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
        if (input < 0 || out < 0) _exit(127);
        dup2(input, 0);
        dup2(out, 1);
        dup2(out, 2);
        if (options.passFd >= 0) fcntl(options.passFd, F_SETFD, 0);
        execvpe(argv[0], argv.data(), envp.data());
        const int error = errno;
        (void)!write(status[1], &error, sizeof error);
        _exit(127);
    }
    close(status[1]);
    int error = 0;
    const ssize_t got = read(status[0], &error, sizeof error);
    close(status[0]);
    child.pid = pid;
    child.exited = false;
    child.status = 0;
    child.outputPath = options.outputPath;
    if (got > 0) {
        waitForExit(child, 5);
        return false;
    }
    return true;
}

bool hasExited(ChildProcess& child) {
    if (child.pid < 0) return true;
    if (child.exited) return true;
    int status = 0;
    const pid_t result = waitpid(child.pid, &status, WNOHANG);
    if (result == child.pid) {
        child.exited = true;
        child.status = status;
    }
    return child.exited;
}

bool waitForExit(ChildProcess& child, double seconds) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (!hasExited(child)) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

void stopProcess(ChildProcess& child) {
    if (hasExited(child)) return;
    // The child leads its own process group, which takes its helpers (Wine's, say) along.
    kill(-child.pid, SIGTERM);
    if (waitForExit(child, 3)) return;
    kill(-child.pid, SIGKILL);
    waitForExit(child, 10);
}

int exitCode(const ChildProcess& child) {
    if (!child.exited || !WIFEXITED(child.status)) return -1;
    return WEXITSTATUS(child.status);
}

std::string describeEnd(const ChildProcess& child) {
    if (child.pid < 0) return "never started";
    if (!child.exited) return "still running";
    if (WIFEXITED(child.status)) return "status " + std::to_string(WEXITSTATUS(child.status));
    if (WIFSIGNALED(child.status)) return "signal " + std::to_string(WTERMSIG(child.status));
    return "ended oddly";
}

std::string readOutput(const ChildProcess& child) {
    if (child.outputPath.empty()) return {};
    return readFile(child.outputPath);
}

std::string readFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

bool runCommand(const std::vector<std::string>& command, const SpawnOptions& options,
                double seconds) {
    ChildProcess child;
    if (!spawnProcess(child, command, options)) return false;
    if (!waitForExit(child, seconds)) return false;
    return exitCode(child) == 0;
}
