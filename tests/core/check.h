// A minimal harness for the Qt-free tests: ThreadSanitizer must see every
// lock these tests take, so they use no Qt at all.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace check {

inline int failures = 0;
inline std::vector<std::pair<const char *, void (*)()>> cases;

inline void fail(const char *file, int line, const std::string &what) {
    std::printf("  FAIL %s:%d: %s\n", file, line, what.c_str());
    ++failures;
}

inline int run() {
    for (const auto &[name, body] : cases) {
        const int before = failures;
        body();
        std::printf("%s %s\n", failures == before ? "PASS" : "FAIL", name);
    }
    return failures == 0 ? 0 : 1;
}

}  // namespace check

#define CHECK_CAT2(a, b) a##b
#define CHECK_CAT(a, b) CHECK_CAT2(a, b)
#define TEST_CASE(name)                                                      \
    static void CHECK_CAT(test_, __LINE__)();                                \
    static const bool CHECK_CAT(reg_, __LINE__) =                            \
        (check::cases.emplace_back(name, CHECK_CAT(test_, __LINE__)), true); \
    static void CHECK_CAT(test_, __LINE__)()
// CHECK for one row of a table, named in the failure.
#define CHECK_FOR(row, cond)                                                         \
    do {                                                                             \
        if (!(cond)) check::fail(__FILE__, __LINE__, std::string(row) + ": " #cond); \
    } while (0)
#define CHECK(cond) CHECK_FOR("", cond)
#define TEST_MAIN() \
    int main() { return check::run(); }
