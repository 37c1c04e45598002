// Files: the only place that opens, reads and writes files on disk.
// Data paths may be written with backslashes (Windows-authored data); they are mapped to '/'.
#pragma once
#include <cstddef>
#include <cstdint>

namespace platform {

// Copies `path` into `out` (of `outSize` bytes, always terminated), turning '\' into '/'.
void toNativePath(const char* path, char* out, size_t outSize);

// One open file. Results follow the game's habit: 0 for success, 1 for failure.
class File {
  public:
    File() = default;
    ~File();
    File(const File&) = delete;
    File& operator=(const File&) = delete;

    int openRead(const char* path);    // existing file only, found as findDataFile says
    int createWrite(const char* path); // created anew, replacing an existing file
    bool isOpen() const { return fd_ >= 0; }
    int64_t size() const; // -1 when unknown
    // Transfer up to `n` bytes; the result is the count actually moved (short = fewer).
    size_t read(void* buffer, size_t n);
    size_t write(const void* buffer, size_t n);
    void close();

  private:
    int fd_ = -1;
};

// Reads a whole file into a new[] buffer that the caller releases with delete[].
// Returns 0 and sets buffer/size, or 1 (buffer null, size 0) when it cannot be opened.
// A file shorter than announced gives the bytes that could be read.
int readFileBytes(const char* path, char*& buffer, size_t& size);

} // namespace platform
