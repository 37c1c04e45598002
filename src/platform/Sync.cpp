#include "platform/Sync.h"

#include <chrono>

namespace platform {

void Event::set() {
    {
        std::lock_guard<std::mutex> g(mutex_);
        signalled_ = true;
    }
    cond_.notify_all();
}

void Event::reset() {
    std::lock_guard<std::mutex> g(mutex_);
    signalled_ = false;
}

bool Event::isSet() const {
    std::lock_guard<std::mutex> g(mutex_);
    return signalled_;
}

bool Event::wait(int32_t timeoutMs) {
    std::unique_lock<std::mutex> g(mutex_);
    if (timeoutMs < 0) {
        cond_.wait(g, [this] { return signalled_; });
        return true;
    }
    return cond_.wait_for(g, std::chrono::milliseconds(timeoutMs), [this] { return signalled_; });
}

} // namespace platform
