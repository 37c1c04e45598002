// A fresh scratch folder, removed with everything in it at the end, and a scope that works
// inside a folder.
#pragma once
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>

namespace kit {

class TempFolder {
  public:
    // Under `parent` (/dev/shm keeps a fuzzer's many writes in memory).
    explicit TempFolder(const char* parent = "/tmp") {
        std::string pattern = std::string(parent) + "/bv-test-XXXXXX";
        if (mkdtemp(pattern.data()) != nullptr) path_ = pattern;
    }
    ~TempFolder() {
        std::error_code ignored;
        if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    bool ok() const { return !path_.empty(); }
    const char* path() const { return path_.c_str(); }
    std::string file(const std::string& name) const { return path_ + "/" + name; }

    void write(const std::string& name, const void* bytes, size_t size) const {
        std::ofstream out(file(name), std::ios::binary | std::ios::trunc);
        out.write(static_cast<const char*>(bytes), static_cast<std::streamsize>(size));
    }
    void write(const std::string& name, const std::string& bytes) const {
        write(name, bytes.data(), bytes.size());
    }
    // The whole file, or an empty string when it cannot be read.
    std::string read(const std::string& name) const {
        std::ifstream in(file(name), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    bool exists(const std::string& name) const { return std::filesystem::exists(file(name)); }

  private:
    std::string path_;
};

// Makes a folder the working directory for the life of this object.
class WorkingFolder {
  public:
    explicit WorkingFolder(const char* folder) {
        ok_ = getcwd(saved_, sizeof saved_) != nullptr && chdir(folder) == 0;
    }
    ~WorkingFolder() {
        if (ok_ && chdir(saved_) != 0) std::abort(); // later tests would run in the wrong place
    }
    WorkingFolder(const WorkingFolder&) = delete;
    WorkingFolder& operator=(const WorkingFolder&) = delete;
    bool ok() const { return ok_; }

  private:
    char saved_[4096] = {};
    bool ok_ = false;
};

} // namespace kit
