// A free() watch for Mesa 22.3's llvmpipe, preloaded into a drawing program:
//   LD_PRELOAD=build-bench/bench/libfencewatch.so bench_render 200
// A rasterising thread signals a frame's fence by taking its lock, counting itself done and
// letting go; the drawing thread may see the count complete without taking the lock and
// free the fence before the other thread has let go: that thread's unlock then writes into
// freed memory. The watch reports each fence freed with its lock word still set, keeps
// every freed fence aside for a while, and reports each one written after its free.
//
// Two settings make the race frequent enough to test a fix in minutes rather than hours:
// FENCEWATCH_WIDEN_US=N has each rasterising thread ("llvmpipe-..." by name) wait N
// microseconds inside its condition broadcast, which the signal makes while holding the
// fence's lock; FENCEWATCH_LATE_SWAP_US=N has the drawing thread wait N microseconds before
// each swap, so that it comes to the frame's fence after the threads have counted
// themselves done, while they still hold it.
//
// It recognises a fence by its shape in that Mesa release: a 112-byte block holding a
// reference count (0 when freed), an id, a mutex (offset 8, laid out as glibc does: lock
// word, owner at 16, users at 20, kind at 24, which destroying sets to -1 unless the mutex
// is held), a condition (48), an issued flag (96), the number of threads (100) and how
// many have signalled (104).

#include <dlfcn.h>
#include <execinfo.h>
#include <malloc.h>
#include <pthread.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <mutex>

extern "C" void __libc_free(void*);

namespace {

constexpr size_t FENCE_USABLE = 120;
constexpr size_t MUTEX_AT = 8;
constexpr size_t MUTEX_SIZE = 40;
constexpr int32_t KEPT = 256; // freed fences kept aside, the oldest really freed first

std::atomic<long> fences{0};
std::atomic<long> freedLocked{0};
std::atomic<long> writtenAfterFree{0};

struct Kept {
    void* block;
    unsigned char mutex[MUTEX_SIZE];
};
Kept kept[KEPT];
int32_t nextKept = 0;
std::mutex keptLock;

template <typename T> T at(const void* block, size_t offset) {
    T value;
    std::memcpy(&value, static_cast<const char*>(block) + offset, sizeof value);
    return value;
}

bool looksLikeFence(const void* p) {
    const uint32_t rank = at<uint32_t>(p, 100);
    const int32_t kind = at<int32_t>(p, 24);
    return at<int32_t>(p, 0) == 0 && rank >= 1 && rank <= 64 && at<uint32_t>(p, 104) == rank &&
           at<uint8_t>(p, 96) <= 1 && (kind == -1 || kind == 0);
}

// Held (destroying it failed: kind 0, an owner, a user) or being let go (destroyed, no
// owner or user left, but the lock word not yet cleared).
bool lockStillSet(const void* p) {
    if (at<int32_t>(p, 8) == 0) return false;
    const int32_t kind = at<int32_t>(p, 24), owner = at<int32_t>(p, 16);
    const uint32_t users = at<uint32_t>(p, 20);
    return (kind == 0 && owner > 0 && users != 0) || (kind == -1 && owner == 0 && users == 0);
}

void say(const char* text) {
    const ssize_t ignored = write(STDERR_FILENO, text, std::strlen(text));
    (void)ignored;
}

void sayWhere() {
    void* frames[24];
    backtrace_symbols_fd(frames, backtrace(frames, 24), STDERR_FILENO);
}

// Really frees a kept fence, after checking that nothing wrote into it meanwhile.
void release(Kept& k) {
    if (k.block == nullptr) return;
    if (std::memcmp(static_cast<char*>(k.block) + MUTEX_AT, k.mutex, MUTEX_SIZE) != 0) {
        ++writtenAfterFree;
        say("fencewatch: a freed fence's lock was written after its free\n");
    }
    __libc_free(k.block);
    k.block = nullptr;
}

void sayTotals() {
    static std::atomic<bool> said{false};
    if (said.exchange(true) || fences.load() == 0) return;
    {
        std::lock_guard<std::mutex> hold(keptLock);
        for (Kept& k : kept)
            release(k);
    }
    char line[200];
    std::snprintf(line, sizeof line,
                  "fencewatch: %ld fences freed, %ld with their lock set, %ld written after "
                  "their free\n",
                  fences.load(), freedLocked.load(), writtenAfterFree.load());
    say(line);
}

struct Report {
    Report() {
        void* frame;
        backtrace(&frame, 1); // loads the unwinder now rather than inside a free()
    }
    ~Report() { sayTotals(); }
} report;

} // namespace

extern "C" void free(void* p) {
    if (p == nullptr || malloc_usable_size(p) != FENCE_USABLE || !looksLikeFence(p)) {
        __libc_free(p);
        return;
    }
    ++fences;
    if (lockStillSet(p)) {
        ++freedLocked;
        say("fencewatch: a fence freed with its lock set, from:\n");
        sayWhere();
        if (getenv("FENCEWATCH_ABORT") != nullptr) abort(); // for a debugger's full story
    }
    std::lock_guard<std::mutex> hold(keptLock);
    Kept& k = kept[nextKept];
    nextKept = (nextKept + 1) % KEPT;
    release(k);
    k.block = p;
    std::memcpy(k.mutex, static_cast<char*>(p) + MUTEX_AT, MUTEX_SIZE);
}

// The game and the benchmarks leave with _exit, past every destructor.
extern "C" void _exit(int status) {
    sayTotals();
    syscall(SYS_exit_group, status);
    __builtin_unreachable();
}

extern "C" int pthread_cond_broadcast(pthread_cond_t* condition) {
    using Broadcast = int (*)(pthread_cond_t*);
    static const Broadcast real =
        reinterpret_cast<Broadcast>(dlvsym(RTLD_NEXT, "pthread_cond_broadcast", "GLIBC_2.3.2"));
    static const char* widen = getenv("FENCEWATCH_WIDEN_US");
    if (widen != nullptr) {
        char name[16] = {};
        prctl(PR_GET_NAME, name);
        if (std::strncmp(name, "llvmpipe", 8) == 0) usleep(static_cast<useconds_t>(atoi(widen)));
    }
    return real(condition);
}

extern "C" void SDL_GL_SwapBuffers() {
    using Swap = void (*)();
    static const Swap real = reinterpret_cast<Swap>(dlsym(RTLD_NEXT, "SDL_GL_SwapBuffers"));
    static const char* late = getenv("FENCEWATCH_LATE_SWAP_US");
    if (late != nullptr) usleep(static_cast<useconds_t>(atoi(late)));
    real();
}
