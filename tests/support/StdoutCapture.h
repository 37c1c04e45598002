// Captures what this process prints on standard output between start() and stop().
#pragma once
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace kit {

class StdoutCapture {
  public:
    ~StdoutCapture() { stop(); }

    void start() {
        fflush(stdout);
        char pattern[] = "/tmp/bv-stdout-XXXXXX";
        file_ = mkstemp(pattern);
        if (file_ < 0) return;
        unlink(pattern);
        saved_ = dup(STDOUT_FILENO);
        dup2(file_, STDOUT_FILENO);
    }

    // Restores standard output and returns what was printed meanwhile.
    std::string stop() {
        std::string text;
        if (file_ < 0) return text;
        fflush(stdout);
        dup2(saved_, STDOUT_FILENO);
        close(saved_);
        lseek(file_, 0, SEEK_SET);
        char buffer[4096];
        for (ssize_t got; (got = ::read(file_, buffer, sizeof buffer)) > 0;)
            text.append(buffer, static_cast<size_t>(got));
        close(file_);
        file_ = -1;
        return text;
    }

  private:
    int file_ = -1;
    int saved_ = -1;
};

// What `f` prints on standard output while it runs.
template <class F> std::string printedBy(F&& f) {
    StdoutCapture capture;
    capture.start();
    f();
    return capture.stop();
}

} // namespace kit
