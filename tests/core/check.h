// A minimal test harness for the Qt-free tests: ThreadSanitizer must see
// every lock these tests take, so they use no Qt at all.
#pragma once

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <future>
#include <string>
#include <thread>
#include <vector>

namespace check {

inline int failures = 0;
inline std::vector<std::pair<const char *, void (*)()>> cases;

struct Register {
    Register(const char *name, void (*body)()) { cases.emplace_back(name, body); }
};

inline void fail(const char *file, int line, const std::string &what) {
    std::printf("  FAIL %s:%d: %s\n", file, line, what.c_str());
    ++failures;
}

// Runs `body` on a thread of its own; one that has not ended after far
// longer than it could take is a deadlock, and ends the program failed.
inline void finishes(const char *what, const std::function<void()> &body) {
    std::packaged_task<void()> task(body);
    std::future<void> done = task.get_future();
    std::thread(std::move(task)).detach();
    if (done.wait_for(std::chrono::seconds(20)) == std::future_status::ready) return;
    std::printf("  FAIL: %s never ended\n", what);
    std::fflush(stdout);
    std::_Exit(1);
}

inline int run() {
    int failed = 0;
    for (const auto &[name, body] : cases) {
        const int before = failures;
        body();
        std::printf("%s %s\n", failures == before ? "PASS" : "FAIL", name);
        failed += failures != before;
    }
    std::printf("%d passed, %d failed\n", int(cases.size()) - failed, failed);
    return failed == 0 ? 0 : 1;
}

}  // namespace check

#define CHECK_CAT2(a, b) a##b
#define CHECK_CAT(a, b) CHECK_CAT2(a, b)
#define TEST_CASE(name)                                                                 \
    static void CHECK_CAT(test_, __LINE__)();                                           \
    static check::Register CHECK_CAT(reg_, __LINE__)(name, CHECK_CAT(test_, __LINE__)); \
    static void CHECK_CAT(test_, __LINE__)()
// CHECK for one row of a table, named in the failure.
#define CHECK_FOR(row, cond)                                                         \
    do {                                                                             \
        if (!(cond)) check::fail(__FILE__, __LINE__, std::string(row) + ": " #cond); \
    } while (0)
#define CHECK(cond) CHECK_FOR("", cond)
#define CHECK_EQ(a, b)                                                                                 \
    do {                                                                                               \
        const auto va_ = (a);                                                                          \
        const auto vb_ = (b);                                                                          \
        if (!(va_ == vb_))                                                                             \
            check::fail(__FILE__, __LINE__,                                                            \
                        #a " == " #b " (" + std::to_string(va_) + " vs " + std::to_string(vb_) + ")"); \
    } while (0)
#define TEST_MAIN() \
    int main() { return check::run(); }
