// A program running beside a benchmark: a writable standard input, standard output and
// error captured as they come by a background reader, bounded waits for a text. The
// destructor kills and reaps the child, so a failed run leaves nothing behind.
#pragma once
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <initializer_list>
#include <mutex>
#include <poll.h>
#include <string>
#include <sys/prctl.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace kit {

class LiveProcess {
  public:
    LiveProcess() = default;
    ~LiveProcess() {
        kill(SIGKILL);
        waitExit(5000);
        closeInput();
        stopReader();
    }
    LiveProcess(const LiveProcess&) = delete;
    LiveProcess& operator=(const LiveProcess&) = delete;

    // Starts `program` with `args` (not counting the program itself) in `workDir` (empty:
    // ours), with `environment` ("NAME=value", replacing any inherited NAME) added to ours.
    // False when it could not be started; a program that cannot be executed ends at once
    // with status 127.
    bool start(const std::string& program, const std::vector<std::string>& args,
               const std::string& workDir = std::string(),
               const std::vector<std::string>& environment = {}) {
        if (pid_ > 0) return false;
        // Writing to a child that died must give an error, not end the test.
        signal(SIGPIPE, SIG_IGN);

        // Everything the child needs is built before fork: only system calls after it.
        std::vector<std::string> argStore = {program};
        argStore.insert(argStore.end(), args.begin(), args.end());
        std::vector<std::string> envStore = mergedEnvironment(environment);
        std::vector<char*> argv = pointers(argStore), envp = pointers(envStore);

        int in[2] = {-1, -1}, out[2] = {-1, -1}, err[2] = {-1, -1};
        if (pipe2(in, O_CLOEXEC) != 0 || pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0) {
            closeAll({in[0], in[1], out[0], out[1], err[0], err[1]});
            return false;
        }
        const pid_t parent = getpid();
        const pid_t pid = fork();
        if (pid == 0) {
            // Dies with the test process, even if that one is killed.
            prctl(PR_SET_PDEATHSIG, SIGKILL);
            if (getppid() != parent) _exit(125);
            signal(SIGPIPE, SIG_DFL);
            sigset_t none;
            sigemptyset(&none);
            sigprocmask(SIG_SETMASK, &none, nullptr);
            dup2(in[0], STDIN_FILENO);
            dup2(out[1], STDOUT_FILENO);
            dup2(err[1], STDERR_FILENO);
            if (!workDir.empty() && chdir(workDir.c_str()) != 0) _exit(126);
            execve(argv[0], argv.data(), envp.data());
            _exit(127);
        }
        closeAll({in[0], out[1], err[1]});
        if (pid < 0) {
            closeAll({in[1], out[0], err[0]});
            return false;
        }
        pid_ = pid;
        input_ = in[1];
        reader_ = std::thread(&LiveProcess::readLoop, this, out[0], err[0]);
        return true;
    }

    pid_t pid() const { return pid_; }

    // Writes `line` and a newline to the child's standard input. False when it could not.
    bool send(const std::string& line) {
        if (input_ < 0) return false;
        const std::string text = line + "\n";
        size_t written = 0;
        while (written < text.size()) {
            const ssize_t put = write(input_, text.data() + written, text.size() - written);
            if (put < 0 && errno == EINTR) continue;
            if (put <= 0) return false;
            written += static_cast<size_t>(put);
        }
        return true;
    }

    // End of input for the child.
    void closeInput() {
        if (input_ >= 0) close(input_);
        input_ = -1;
    }

    // Standard output so far; its size is the offset to give waitFor for what comes next.
    std::string output() const {
        return locked([this] { return out_; });
    }
    size_t outputSize() const {
        return locked([this] { return out_.size(); });
    }
    std::string errors() const {
        return locked([this] { return err_; });
    }

    // Position of `text` in standard output at or after `from`, or npos.
    size_t find(const std::string& text, size_t from = 0) const {
        std::lock_guard<std::mutex> hold(mutex_);
        return out_.find(text, from);
    }

    // Whether `text` appears in standard output at or after `from` within `ms`. Gives up
    // early once the child's output has ended.
    bool waitFor(const std::string& text, int ms, size_t from = 0) {
        std::unique_lock<std::mutex> hold(mutex_);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        for (;;) {
            if (out_.find(text, std::min(from, out_.size())) != std::string::npos) return true;
            if (ended_) return false;
            if (changed_.wait_until(hold, deadline) == std::cv_status::timeout)
                return out_.find(text, std::min(from, out_.size())) != std::string::npos;
        }
    }

    // Number of times `text` occurs in standard output at or after `from`.
    int count(const std::string& text, size_t from = 0) const {
        if (text.empty()) return 0;
        std::lock_guard<std::mutex> hold(mutex_);
        int n = 0;
        for (size_t at = out_.find(text, from); at != std::string::npos;
             at = out_.find(text, at + text.size()))
            ++n;
        return n;
    }

    // True while the child has not ended (or has not been reaped yet).
    bool isRunning() {
        if (pid_ <= 0 || reaped_) return false;
        int status = 0;
        const pid_t got = waitpid(pid_, &status, WNOHANG);
        if (got != pid_) return got == 0;
        reaped_ = true;
        if (WIFEXITED(status)) exitCode_ = WEXITSTATUS(status);
        if (WIFSIGNALED(status)) exitSignal_ = WTERMSIG(status);
        return false;
    }

    void kill(int signal = SIGKILL) {
        if (pid_ > 0 && !reaped_) ::kill(pid_, signal);
    }

    // Waits at most `ms` for the child to end; true when it has ended. Then output() holds
    // all it wrote (the reader is given up to a second more to drain the pipes).
    bool waitExit(int ms) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        while (isRunning()) {
            if (std::chrono::steady_clock::now() >= deadline) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        if (pid_ <= 0) return false;
        std::unique_lock<std::mutex> hold(mutex_);
        changed_.wait_for(hold, std::chrono::seconds(1), [this] { return ended_; });
        return true;
    }

    // Exit code once ended normally; -1 while running, when killed by a signal or not started.
    int exitStatus() const { return exitCode_; }
    // Signal that ended the child, or 0.
    int exitSignal() const { return exitSignal_; }

  private:
    template <typename F> auto locked(F read) const -> decltype(read()) {
        std::lock_guard<std::mutex> hold(mutex_);
        return read();
    }
    static void closeAll(std::initializer_list<int> fds) {
        for (int fd : fds)
            if (fd >= 0) close(fd);
    }

    static std::vector<char*> pointers(std::vector<std::string>& strings) {
        std::vector<char*> p;
        for (std::string& s : strings)
            p.push_back(&s[0]);
        p.push_back(nullptr);
        return p;
    }

    static std::vector<std::string> mergedEnvironment(const std::vector<std::string>& added) {
        std::vector<std::string> env;
        for (char** e = environ; e != nullptr && *e != nullptr; ++e) {
            const std::string entry = *e, name = entry.substr(0, entry.find('=') + 1);
            if (std::none_of(added.begin(), added.end(), [&](const std::string& a) {
                    return a.compare(0, name.size(), name) == 0;
                }))
                env.push_back(entry);
        }
        env.insert(env.end(), added.begin(), added.end());
        return env;
    }

    // Reads both pipes until they close or we are told to stop; polls in short slices so
    // the destructor never waits long even if a grandchild kept a pipe open.
    void readLoop(int outFd, int errFd) {
        int fds[2] = {outFd, errFd};
        while (!stopping_ && (fds[0] >= 0 || fds[1] >= 0)) {
            pollfd p[2] = {{fds[0], POLLIN, 0}, {fds[1], POLLIN, 0}};
            const int n = poll(p, 2, 100);
            if (n < 0 && errno != EINTR) break;
            if (n <= 0) continue;
            for (int i = 0; i < 2; ++i) {
                if (fds[i] < 0 || p[i].revents == 0) continue;
                char buffer[4096];
                const ssize_t got = read(fds[i], buffer, sizeof buffer);
                if (got < 0 && errno == EINTR) continue;
                std::lock_guard<std::mutex> hold(mutex_);
                if (got > 0)
                    (i == 0 ? out_ : err_).append(buffer, static_cast<size_t>(got));
                else {
                    close(fds[i]);
                    fds[i] = -1;
                }
            }
            changed_.notify_all();
        }
        closeAll({fds[0], fds[1]});
        std::lock_guard<std::mutex> hold(mutex_);
        ended_ = true;
        changed_.notify_all();
    }

    void stopReader() {
        stopping_ = true;
        if (reader_.joinable()) reader_.join();
    }

    pid_t pid_ = -1;
    bool reaped_ = false;
    int exitCode_ = -1;
    int exitSignal_ = 0;
    int input_ = -1;
    std::thread reader_;
    std::atomic<bool> stopping_{false};
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::string out_;
    std::string err_;
    bool ended_ = false;
};

} // namespace kit
