// Shared by the benchmark programs: repetitions, medians and the one-line report.
#pragma once

#include <QDir>
#include <QElapsedTimer>
#include <QFile>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

struct TBenchResult {
    double ours, anchor;
};

inline double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

/// Runs `ours` and `anchor` alternately `reps` times (each returns its own measured seconds) and
/// prints "NAME: ratio=R ours=X anchor=Y unit=s" with the medians.
inline void RunBench(const char* name, int reps, const std::function<double(int)>& ours,
                     const std::function<double(int)>& anchor) {
    std::vector<double> o, a, r;
    for (int i = 0; i < reps; ++i) {
        // Alternate which side goes first so that neither always inherits the other's warm-up.
        double oi, ai;
        if (i % 2) {
            oi = ours(i);
            ai = anchor(i);
        } else {
            ai = anchor(i);
            oi = ours(i);
        }
        a.push_back(ai);
        o.push_back(oi);
        r.push_back(oi / ai);
    }
    std::printf("%s: ratio=%.3f ours=%.4f anchor=%.4f unit=s\n", name, Median(r), Median(o),
                Median(a));
    std::fflush(stdout);
}

inline double Seconds(const QElapsedTimer& t) {
    return t.nsecsElapsed() / 1e9;
}

/// A line of /proc/self/status in kB ("VmRSS:", "VmHWM:"); 0 when unreadable.
inline long StatusKb(const char* key) {
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith(key))
            return line.mid(static_cast<int>(qstrlen(key))).trimmed().split(' ').value(0).toLong();
    return 0;
}

/// Resident memory of this process in kB.
inline long ResidentKb() {
    return StatusKb("VmRSS:");
}

/// Benchmarks that show windows run offscreen unless told otherwise.
inline void OffscreenByDefault() {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}
