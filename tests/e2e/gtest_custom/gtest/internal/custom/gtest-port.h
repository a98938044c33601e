// GoogleTest's customisation point, found before its own empty one. The win32-thread MinGW
// compilers have no std::mutex or std::condition_variable, which GoogleTest's Notification
// is built on; this one waits on an atomic flag instead. GoogleTest uses it only to start
// threads of its own, which the live tests never do.
#ifndef LUMIVANE_GTEST_CUSTOM_PORT_H
#define LUMIVANE_GTEST_CUSTOM_PORT_H

#include <atomic>

#define GTEST_HAS_NOTIFICATION_ 1

namespace testing {
namespace internal {

class Notification {
public:
    Notification() = default;
    Notification(const Notification &) = delete;
    Notification &operator=(const Notification &) = delete;

    void Notify() { notified_.store(true); }
    void WaitForNotification()
    {
        while (!notified_.load()) {
        }
    }

private:
    std::atomic<bool> notified_{false};
};

}  // namespace internal
}  // namespace testing

#endif
