#pragma once

// Helpers shared by the benchmarks: the row count argument, timing, the C-API floor, the shell,
// and a transient peak measured in a fresh child process.
#include <sqlite3.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace bench {

/// Takes a leading plain number off the command line ("1000000", "1M", "100k"): the row count.
inline int takeRowCount(int &argc, char **argv, int fallback)
{
    if (argc < 2 || argv[1][0] == '-')
        return fallback;
    char *end = nullptr;
    double n = std::strtod(argv[1], &end);
    if (end && (*end == 'k' || *end == 'K'))
        n *= 1e3;
    else if (end && (*end == 'm' || *end == 'M'))
        n *= 1e6;
    if (n < 10)
        return fallback;
    for (int i = 1; i + 1 < argc; ++i)
        argv[i] = argv[i + 1];
    --argc;
    return int(n);
}

/// "100k", "1M" or the plain number.
inline std::string rowsLabel(int rows)
{
    if (rows % 1000000 == 0)
        return std::to_string(rows / 1000000) + "M";
    if (rows % 1000 == 0)
        return std::to_string(rows / 1000) + "k";
    return std::to_string(rows);
}

inline double secondsSince(std::chrono::steady_clock::time_point t0)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

/// Median of several runs: steadier than the best on a shared machine.
template <typename F>
double medianOf(int runs, F f)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const auto t0 = std::chrono::steady_clock::now();
        f();
        times.push_back(secondsSince(t0));
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

/// Times `a` and `b` in alternating rounds and gives the median of each and of the rounds'
/// ratios: paired rounds keep the ratio steady when other work on the machine comes and goes.
struct Paired
{
    double a = 0, b = 0, ratio = 0;
};
/// Processor time of this thread, for work too short to time on the wall clock of a busy machine.
inline double threadCpuSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) * 1e-9;
}

template <typename A, typename B>
Paired paired(int runs, A a, B b, bool cpuTime = false)
{
    std::vector<double> ta, tb, r;
    const auto time = [cpuTime](auto &f) {
        if (cpuTime) {
            const double t0 = threadCpuSeconds();
            f();
            return threadCpuSeconds() - t0;
        }
        const auto t0 = std::chrono::steady_clock::now();
        f();
        return secondsSince(t0);
    };
    // Rounds of three runs of each: paired under the same load, and each run after its own
    // kind, so neither pays for the caches the other filled.
    const auto roundMedian = [&](auto &f) {
        double t[3] = {time(f), time(f), time(f)};
        std::sort(t, t + 3);
        return t[1];
    };
    for (int i = 0; i < runs; ++i) {
        ta.push_back(roundMedian(a));
        tb.push_back(roundMedian(b));
        r.push_back(ta.back() / tb.back());
    }
    for (auto *v : {&ta, &tb, &r})
        std::sort(v->begin(), v->end());
    return {ta[ta.size() / 2], tb[tb.size() / 2], r[r.size() / 2]};
}

/// The floor: steps the statement and reads every column with the C API, keeping nothing.
inline double floorSeconds(const std::string &path, const std::string &sql)
{
    sqlite3 *db = nullptr;
    sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr);
    const auto t0 = std::chrono::steady_clock::now();
    sqlite3_stmt *s = nullptr;
    sqlite3_prepare_v2(db, sql.c_str(), -1, &s, nullptr);
    const int columns = sqlite3_column_count(s);
    volatile long long sink = 0;
    long long acc = 0;
    while (sqlite3_step(s) == SQLITE_ROW) {
        for (int c = 0; c < columns; ++c) {
            switch (sqlite3_column_type(s, c)) {
            case SQLITE_INTEGER:
                acc += sqlite3_column_int64(s, c);
                break;
            case SQLITE_FLOAT:
                acc += (long long)sqlite3_column_double(s, c);
                break;
            case SQLITE_NULL:
                break;
            default:
                acc += (long long)(size_t)sqlite3_column_text(s, c) + sqlite3_column_bytes(s, c);
                break;
            }
        }
    }
    sqlite3_finalize(s);
    const double t = secondsSince(t0);
    sink = acc;
    (void)sink;
    sqlite3_close(db);
    return t;
}

/// The sqlite3 shell running the statement, output discarded.
inline double shellSeconds(const std::string &path, const std::string &sql)
{
    const std::string cmd = "sqlite3 '" + path + "' \"" + sql + "\" > /dev/null";
    const auto t0 = std::chrono::steady_clock::now();
    if (std::system(cmd.c_str()) != 0)
        return -1;
    return secondsSince(t0);
}

inline long long statusKb(const char *key)
{
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind(key, 0) == 0)
            return std::stoll(line.substr(std::strlen(key)));
    }
    return 0;
}

/// Runs `/proc/self/exe` with the arguments and returns the number it prints (-1 on failure).
inline double childNumber(const std::vector<std::string> &args, const char *tz = nullptr)
{
    int fds[2];
    if (pipe(fds) != 0)
        return -1;
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(fds[1], 1);
        close(fds[0]);
        close(fds[1]);
        if (tz)
            setenv("TZ", tz, 1);
        else
            unsetenv("TZ");
        std::vector<char *> argv;
        static char self[] = "/proc/self/exe";
        argv.push_back(self);
        for (const std::string &a : args)
            argv.push_back(const_cast<char *>(a.c_str()));
        argv.push_back(nullptr);
        execv(self, argv.data());
        _exit(127);
    }
    close(fds[1]);
    std::string out;
    char buf[256];
    ssize_t n;
    while ((n = read(fds[0], buf, sizeof buf)) > 0)
        out.append(buf, size_t(n));
    close(fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || out.empty())
        return -1;
    return std::strtod(out.c_str(), nullptr);
}

}  // namespace bench
