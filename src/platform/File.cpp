#include "platform/File.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/GameFolders.h"

namespace platform {

void toNativePath(const char* path, char* out, size_t outSize) {
    if (outSize == 0) return;
    size_t i = 0;
    for (; path[i] != '\0' && i + 1 < outSize; ++i)
        out[i] = path[i] == '\\' ? '/' : path[i];
    out[i] = '\0';
}

File::~File() {
    close();
}

int File::openRead(const char* path) {
    close();
    char native[4096];
    findDataFile(path, native, sizeof native);
    fd_ = ::open(native, O_RDONLY | O_CLOEXEC);
    if (fd_ < 0) return 1;
    struct stat st;
    // A folder opens on Linux but is not a file we can read.
    if (fstat(fd_, &st) != 0 || S_ISDIR(st.st_mode)) {
        close();
        return 1;
    }
    return 0;
}

int File::createWrite(const char* path) {
    close();
    char native[4096];
    toNativePath(path, native, sizeof native);
    fd_ = ::open(native, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    return fd_ < 0 ? 1 : 0;
}

int64_t File::size() const {
    struct stat st;
    if (fd_ < 0 || fstat(fd_, &st) != 0) return -1;
    return st.st_size;
}

size_t File::read(void* buffer, size_t n) {
    size_t done = 0;
    while (fd_ >= 0 && done < n) {
        ssize_t r = ::read(fd_, static_cast<char*>(buffer) + done, n - done);
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) break;
        done += static_cast<size_t>(r);
    }
    return done;
}

size_t File::write(const void* buffer, size_t n) {
    size_t done = 0;
    while (fd_ >= 0 && done < n) {
        ssize_t r = ::write(fd_, static_cast<const char*>(buffer) + done, n - done);
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) break;
        done += static_cast<size_t>(r);
    }
    return done;
}

void File::close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

int readFileBytes(const char* path, char*& buffer, size_t& size) {
    buffer = nullptr;
    size = 0;
    File f;
    if (f.openRead(path) != 0) return 1;
    int64_t announced = f.size();
    if (announced < 0) return 1;
    size_t n = static_cast<size_t>(announced);
    buffer = new char[n > 0 ? n : 1];
    size = f.read(buffer, n);
    return 0;
}

} // namespace platform
