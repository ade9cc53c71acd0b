// SPDX-License-Identifier: GPL-3.0-or-later
// fork and exec with one pipe for the child's output. Everything the child needs is prepared
// before the fork, so the child only calls async-signal-safe functions.
#include "core/sdcard/ChildProcess.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <sstream>

extern char** environ;

namespace vantrel {

std::string FindProgram(const std::string& name) {
    if (name.find('/') != std::string::npos) {
        return ::access(name.c_str(), X_OK) == 0 ? name : std::string();
    }
    const char* path = std::getenv("PATH");
    std::string folders = path != nullptr ? path : "/usr/bin:/bin";
    folders += ":/usr/sbin:/sbin:/usr/local/sbin";
    std::istringstream stream(folders);
    for (std::string folder; std::getline(stream, folder, ':');) {
        if (folder.empty()) {
            continue;
        }
        const std::string candidate = folder + "/" + name;
        if (::access(candidate.c_str(), X_OK) == 0) {
            return candidate;
        }
    }
    return {};
}

ProcessResult RunProgram(const std::vector<std::string>& argv,
                         const std::vector<std::string>& extraEnvironment) {
    ProcessResult result;
    if (argv.empty()) {
        return result;
    }
    const std::string program = FindProgram(argv[0]);
    if (program.empty()) {
        result.output = argv[0] + ": not found";
        return result;
    }
    std::vector<char*> args;
    for (const std::string& arg : argv) {
        args.push_back(const_cast<char*>(arg.c_str()));
    }
    args.push_back(nullptr);
    std::vector<std::string> environment;
    for (char** entry = environ; entry != nullptr && *entry != nullptr; ++entry) {
        const std::string text = *entry;
        const std::string name = text.substr(0, text.find('='));
        bool replaced = false;
        for (const std::string& extra : extraEnvironment) {
            replaced = replaced || extra.substr(0, extra.find('=')) == name;
        }
        if (!replaced) {
            environment.push_back(text);
        }
    }
    environment.insert(environment.end(), extraEnvironment.begin(), extraEnvironment.end());
    std::vector<char*> envp;
    for (const std::string& entry : environment) {
        envp.push_back(const_cast<char*>(entry.c_str()));
    }
    envp.push_back(nullptr);

    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0) {
        result.output = std::strerror(errno);
        return result;
    }
    const int devNull = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    const pid_t pid = ::fork();
    if (pid < 0) {
        result.output = std::strerror(errno);
        ::close(pipeFds[0]);
        ::close(pipeFds[1]);
        if (devNull >= 0) {
            ::close(devNull);
        }
        return result;
    }
    if (pid == 0) {
        // The child never reads the operator's terminal: a question from the tool must not
        // hang the format.
        if (devNull >= 0) {
            ::dup2(devNull, STDIN_FILENO);
        }
        ::dup2(pipeFds[1], STDOUT_FILENO);
        ::dup2(pipeFds[1], STDERR_FILENO);
        ::execve(program.c_str(), args.data(), envp.data());
        ::_exit(127);
    }
    ::close(pipeFds[1]);
    if (devNull >= 0) {
        ::close(devNull);
    }
    char buffer[4096];
    for (;;) {
        const ssize_t got = ::read(pipeFds[0], buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            break;
        }
        result.output.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(pipeFds[0]);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) {
            return result;
        }
    }
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

}  // namespace vantrel
