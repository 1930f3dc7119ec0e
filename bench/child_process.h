// Running a program as a benchmark's child: its output into a log, what it used measured.
#pragma once

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

namespace disctrove::bench {

// Runs `argv` as a child with its output into `log`; false when it could not run or failed.
// `usage` gets what it and the children it waited for used.
inline bool SpawnChild(const std::vector<std::string>& argv, const std::string& log,
                       rusage& usage) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int out = ::open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ::dup2(out, STDOUT_FILENO);
        ::dup2(out, STDERR_FILENO);
        std::vector<char*> args;
        for (const std::string& arg : argv) {
            args.push_back(const_cast<char*>(arg.c_str()));
        }
        args.push_back(nullptr);
        ::execv(args[0], args.data());
        ::_exit(127);
    }
    int status = 0;
    if (pid < 0 || ::wait4(pid, &status, 0, &usage) != pid) {
        return false;
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace disctrove::bench
