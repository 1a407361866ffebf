// Shared pieces of the benchmarks: clocks, statistics, memory and CPU
// figures and the result lines bench/run.sh collects.
//
// Every benchmark prints its figures as tab-separated lines:
//   RESULT <platform> <figure> <goal> <measured> <PASS|FAIL>
//   INFO   <platform> <figure> <measured>
#pragma once

#include <dirent.h>
#include <algorithm>
#include <chrono>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include <malloc.h>
#include <sys/resource.h>

namespace bench {

// CLOCK_MONOTONIC in nanoseconds: the same clock in every process, so a
// driver can hand its start time to a child.
inline int64_t nowNs() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return int64_t(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

inline double ms(int64_t ns) { return double(ns) / 1e6; }
inline double us(int64_t ns) { return double(ns) / 1e3; }

// CPU time of the whole process (all threads), user + system.
inline int64_t processCpuNs() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return (int64_t(u.ru_utime.tv_sec) + u.ru_stime.tv_sec) * 1000000000 +
           (int64_t(u.ru_utime.tv_usec) + u.ru_stime.tv_usec) * 1000;
}

inline int64_t threadCpuNs() {
    timespec ts;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return int64_t(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

// CPU time of this process's thread named `name` (its comm), from the
// scheduler's own count; -1 when there is no such thread.
inline int64_t namedThreadCpuNs(const char *name) {
    DIR *tasks = opendir("/proc/self/task");
    if (!tasks) return -1;
    int64_t found = -1;
    while (dirent *entry = readdir(tasks)) {
        if (entry->d_name[0] == '.') continue;
        const std::string dir = std::string("/proc/self/task/") + entry->d_name;
        char comm[64] = {};
        if (FILE *f = std::fopen((dir + "/comm").c_str(), "r")) {
            if (!std::fgets(comm, sizeof comm, f)) comm[0] = 0;
            std::fclose(f);
        }
        comm[std::strcspn(comm, "\n")] = 0;
        if (std::strcmp(comm, name) != 0) continue;
        if (FILE *f = std::fopen((dir + "/schedstat").c_str(), "r")) {
            long long ns = -1;
            if (std::fscanf(f, "%lld", &ns) == 1) found = ns;
            std::fclose(f);
        }
        break;
    }
    closedir(tasks);
    return found;
}

// A "VmHWM:" / "VmRSS:" figure of /proc/self/status in kB.
inline long statusKb(const char *key) {
    FILE *f = std::fopen("/proc/self/status", "r");
    if (!f) return -1;
    char line[256];
    long value = -1;
    const size_t n = std::strlen(key);
    while (std::fgets(line, sizeof line, f)) {
        if (std::strncmp(line, key, n) == 0) {
            value = std::atol(line + n);
            break;
        }
    }
    std::fclose(f);
    return value;
}
inline long peakRssKb() { return statusKb("VmHWM:"); }
inline long rssKb() { return statusKb("VmRSS:"); }

// Bytes the heap has handed out and not had back: grows with every leak,
// unlike RSS, which also moves with the allocator's caching.
inline long long heapInUse() {
    const struct mallinfo2 m = mallinfo2();
    return (long long)(m.uordblks + m.hblkhd);
}

template <typename T>
double percentile(std::vector<T> v, double p) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    const double at = p / 100.0 * double(v.size() - 1);
    const size_t lo = size_t(at);
    const size_t hi = std::min(lo + 1, v.size() - 1);
    return double(v[lo]) + (double(v[hi]) - double(v[lo])) * (at - double(lo));
}
template <typename T>
double median(const std::vector<T> &v) {
    return percentile(v, 50);
}

inline std::string fmt(const char *format, ...) __attribute__((format(printf, 1, 2)));
inline std::string fmt(const char *format, ...) {
    char buffer[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    return buffer;
}

inline bool &anyFailed() {
    static bool failed = false;
    return failed;
}

inline void result(const std::string &platform, const std::string &figure, const std::string &goal,
                   const std::string &measured, bool pass) {
    if (!pass) anyFailed() = true;
    std::printf("RESULT\t%s\t%s\t%s\t%s\t%s\n", platform.c_str(), figure.c_str(), goal.c_str(),
                measured.c_str(), pass ? "PASS" : "FAIL");
    std::fflush(stdout);
}

inline void info(const std::string &platform, const std::string &figure, const std::string &measured) {
    std::printf("INFO\t%s\t%s\t%s\n", platform.c_str(), figure.c_str(), measured.c_str());
    std::fflush(stdout);
}

// The value after "--name" on the command line, or `fallback`.
inline double option(int argc, char **argv, const char *name, double fallback) {
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], name) == 0) return std::atof(argv[i + 1]);
    return fallback;
}

}  // namespace bench
