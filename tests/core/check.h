// A minimal test harness for the Qt-free tests: ThreadSanitizer must see
// every lock these tests take, so they use no Qt at all.
#pragma once

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace check {

struct Case {
    const char *name;
    std::function<void()> body;
};

inline int &failures() {
    static int n = 0;
    return n;
}

inline std::vector<Case> &cases() {
    static std::vector<Case> c;
    return c;
}

struct Register {
    Register(const char *name, std::function<void()> body) { cases().push_back({name, body}); }
};

inline void fail(const char *file, int line, const std::string &what) {
    std::printf("  FAIL %s:%d: %s\n", file, line, what.c_str());
    ++failures();
}

inline int run() {
    int passed = 0, failed = 0;
    for (auto &c : cases()) {
        const int before = failures();
        c.body();
        const bool ok = failures() == before;
        std::printf("%s %s\n", ok ? "PASS" : "FAIL", c.name);
        (ok ? passed : failed)++;
    }
    std::printf("%d passed, %d failed\n", passed, failed);
    return failed == 0 ? 0 : 1;
}

}  // namespace check

#define CHECK_CAT2(a, b) a##b
#define CHECK_CAT(a, b) CHECK_CAT2(a, b)
#define TEST_CASE(name)                                                                 \
    static void CHECK_CAT(test_, __LINE__)();                                           \
    static check::Register CHECK_CAT(reg_, __LINE__)(name, CHECK_CAT(test_, __LINE__)); \
    static void CHECK_CAT(test_, __LINE__)()
#define CHECK(cond)                                          \
    do {                                                     \
        if (!(cond)) check::fail(__FILE__, __LINE__, #cond); \
    } while (0)
// CHECK for one row of a table, named in the failure.
#define CHECK_FOR(row, cond)                                                         \
    do {                                                                             \
        if (!(cond)) check::fail(__FILE__, __LINE__, std::string(row) + ": " #cond); \
    } while (0)
#define CHECK_EQ(a, b)                                                                                      \
    do {                                                                                                    \
        const auto va_ = (a);                                                                               \
        const auto vb_ = (b);                                                                               \
        if (!(va_ == vb_))                                                                                  \
            check::fail(                                                                                    \
                __FILE__, __LINE__,                                                                         \
                std::string(#a " == " #b " (") + std::to_string(va_) + " vs " + std::to_string(vb_) + ")"); \
    } while (0)
#define TEST_MAIN() \
    int main() { return check::run(); }
