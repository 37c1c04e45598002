// What every fuzz target shares: a quiet standard output, a scratch game folder the target
// works in while it runs one input, and the split of one input into several files.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace fuzzsupport {

// The game prints a great deal; libFuzzer reports on standard error, which stays.
inline void quietStdout() {
    fflush(stdout);
    const int null = open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (null < 0) return;
    dup2(null, STDOUT_FILENO);
    close(null);
}

// Stops the target at once when a property of the game's state does not hold: libFuzzer
// then keeps the input, like any other crash.
inline void require(bool holds, const char* what) {
    if (holds) return;
    fprintf(stderr, "property broken: %s\n", what);
    abort();
}

// One scratch folder per process, in memory when /dev/shm exists. The target enters it
// only while it runs an input, so libFuzzer's relative paths (corpus, artifacts) keep
// meaning what they meant on its command line.
class GameFolder {
  public:
    GameFolder() {
        char pattern[] = "/dev/shm/bv-fuzz-XXXXXX";
        char fallback[] = "/tmp/bv-fuzz-XXXXXX";
        const char* made = mkdtemp(pattern);
        if (made == nullptr) made = mkdtemp(fallback);
        if (made == nullptr) {
            perror("mkdtemp");
            abort();
        }
        path_ = made;
        folder_ = open(made, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        home_ = open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (folder_ < 0 || home_ < 0) abort();
    }
    ~GameFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    GameFolder(const GameFolder&) = delete;
    GameFolder& operator=(const GameFolder&) = delete;

    void enter() const {
        if (fchdir(folder_) != 0) abort();
    }
    void leave() const {
        if (fchdir(home_) != 0) abort();
    }
    // Writes a file inside the folder, whatever the current directory.
    void write(const char* name, const void* bytes, size_t size) const {
        const int fd = openat(folder_, name, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (fd < 0) abort();
        const char* at = static_cast<const char*>(bytes);
        while (size > 0) {
            const ssize_t put = ::write(fd, at, size);
            if (put <= 0) abort();
            at += put;
            size -= static_cast<size_t>(put);
        }
        close(fd);
    }
    void write(const char* name, const char* text) const { write(name, text, strlen(text)); }
    void remove(const char* name) const { unlinkat(folder_, name, 0); }

  private:
    std::string path_;
    int folder_ = -1;
    int home_ = -1;
};

// The process's folder: made at first use, removed when the fuzzer exits normally.
inline const GameFolder& gameFolder() {
    static const GameFolder folder;
    return folder;
}

// Runs the current input inside the folder and comes back out, even on an early return.
class Inside {
  public:
    explicit Inside(const GameFolder& folder) : folder_(folder) { folder_.enter(); }
    ~Inside() { folder_.leave(); }
    Inside(const Inside&) = delete;
    Inside& operator=(const Inside&) = delete;

  private:
    const GameFolder& folder_;
};

// Inputs holding several files separate them with this line.
constexpr char PART_SEPARATOR[] = "\n====\n";

// One part of an input: a window on libFuzzer's buffer, never copied.
struct Part {
    const uint8_t* bytes = nullptr;
    size_t size = 0;
    bool present = false;
};

// Cuts `data` at each separator into at most `count` parts; the last part keeps whatever
// follows, separators included. Parts the input does not reach are absent.
inline void splitParts(const uint8_t* data, size_t size, Part* parts, int32_t count) {
    const size_t sep = sizeof PART_SEPARATOR - 1;
    for (int32_t i = 0; i < count; ++i)
        parts[i] = Part();
    size_t start = 0;
    for (int32_t i = 0; i < count; ++i) {
        parts[i].bytes = data + start;
        parts[i].present = true;
        const void* found =
            i + 1 < count ? memmem(data + start, size - start, PART_SEPARATOR, sep) : nullptr;
        if (found == nullptr) {
            parts[i].size = size - start;
            return;
        }
        const size_t end = static_cast<size_t>(static_cast<const uint8_t*>(found) - data);
        parts[i].size = end - start;
        start = end + sep;
    }
}

} // namespace fuzzsupport
