// Locks and events: the stand-ins for critical sections and manual-reset events.
#pragma once
#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace platform {

class Lock {
  public:
    void enter() { mutex_.lock(); }
    void leave() { mutex_.unlock(); }
    std::mutex& native() { return mutex_; }

  private:
    std::mutex mutex_;
};

// Holds a Lock for the life of a scope.
class Guard {
  public:
    explicit Guard(Lock& lock) : lock_(lock) { lock_.enter(); }
    ~Guard() { lock_.leave(); }
    Guard(const Guard&) = delete;
    Guard& operator=(const Guard&) = delete;

  private:
    Lock& lock_;
};

// A manual-reset event: stays signalled until reset; any number of waiters wake.
class Event {
  public:
    explicit Event(bool signalled = false) : signalled_(signalled) {}
    void set();
    void reset();
    bool isSet() const;
    // Waits until signalled or `timeoutMs` passed (negative: no limit). True when signalled.
    bool wait(int32_t timeoutMs);

  private:
    mutable std::mutex mutex_;
    std::condition_variable cond_;
    bool signalled_;
};

} // namespace platform
