// Runs a program as a child with a scripted standard input and captures its standard output.
// Every run is bounded in time: a child still alive at the deadline is killed.
#pragma once
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <string>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

namespace testsupport {

struct ProcessResult {
    std::string output;    // everything written to standard output
    int exitStatus = -1;   // exit code, or -1 when killed or not started
    bool timedOut = false; // killed at the deadline
};

namespace detail {

inline void closeFd(int& fd) {
    if (fd >= 0) close(fd);
    fd = -1;
}

// Child side: the pipes become standard input and output, then the program replaces us.
[[noreturn]] inline void execChild(const char* program, const char* workDir, int inRead,
                                   int outWrite) {
    dup2(inRead, STDIN_FILENO);
    dup2(outWrite, STDOUT_FILENO);
    if (workDir != nullptr && chdir(workDir) != 0) _exit(126);
    execl(program, program, static_cast<char*>(nullptr));
    _exit(127);
}

} // namespace detail

// Starts `program` in `workDir`, writes `input` to it and then closes its standard input,
// reads its output until it ends or `timeoutMs` have passed.
inline ProcessResult runProcess(const char* program, const std::string& input, const char* workDir,
                                int timeoutMs = 5000) {
    ProcessResult result;
    int inPipe[2], outPipe[2];
    if (pipe2(inPipe, O_CLOEXEC) != 0) return result;
    if (pipe2(outPipe, O_CLOEXEC) != 0) {
        close(inPipe[0]);
        close(inPipe[1]);
        return result;
    }
    const pid_t pid = fork();
    if (pid == 0) detail::execChild(program, workDir, inPipe[0], outPipe[1]);
    detail::closeFd(inPipe[0]);
    detail::closeFd(outPipe[1]);
    int toChild = inPipe[1], fromChild = outPipe[0];
    if (pid < 0) {
        detail::closeFd(toChild);
        detail::closeFd(fromChild);
        return result;
    }
    fcntl(toChild, F_SETFL, O_NONBLOCK);
    // A child that stops reading must not kill us with SIGPIPE.
    struct sigaction ignore = {}, previous = {};
    ignore.sa_handler = SIG_IGN;
    sigaction(SIGPIPE, &ignore, &previous);

    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    size_t written = 0;
    if (input.empty()) detail::closeFd(toChild);
    while (fromChild >= 0) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                              deadline - std::chrono::steady_clock::now())
                              .count();
        if (left <= 0) {
            result.timedOut = true;
            break;
        }
        pollfd fds[2] = {{fromChild, POLLIN, 0}, {toChild, POLLOUT, 0}};
        const int n = poll(fds, toChild >= 0 ? 2 : 1, static_cast<int>(left));
        if (n < 0 && errno != EINTR) break;
        if (n <= 0) continue;
        if (fds[0].revents != 0) {
            char buffer[4096];
            const ssize_t got = read(fromChild, buffer, sizeof buffer);
            if (got > 0)
                result.output.append(buffer, static_cast<size_t>(got));
            else if (got == 0 || errno != EINTR)
                detail::closeFd(fromChild);
        }
        if (toChild >= 0 && fds[1].revents != 0) {
            const ssize_t put = write(toChild, input.data() + written, input.size() - written);
            if (put > 0) written += static_cast<size_t>(put);
            if ((put < 0 && errno != EAGAIN && errno != EINTR) || written == input.size())
                detail::closeFd(toChild);
        }
    }
    detail::closeFd(toChild);
    detail::closeFd(fromChild);
    if (result.timedOut) kill(pid, SIGKILL);
    int status = 0;
    // Output closed: the child is ending. Give it the time left, then kill it.
    for (int i = 0; i < 200 && !result.timedOut; ++i) {
        if (waitpid(pid, &status, WNOHANG) == pid) {
            result.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            sigaction(SIGPIPE, &previous, nullptr);
            return result;
        }
        usleep(10000);
    }
    kill(pid, SIGKILL);
    waitpid(pid, &status, 0);
    sigaction(SIGPIPE, &previous, nullptr);
    return result;
}

} // namespace testsupport
