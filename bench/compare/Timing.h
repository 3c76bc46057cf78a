// Samples of the calling thread's CPU time, and their median.
//
// CPU time rather than wall time: the comparison runs on machines whose cores
// are shared, and time spent waiting for a core would blur every ratio. It
// still counts what the work itself costs, page faults included (kernel time
// on behalf of the thread).
#pragma once

#include <time.h>

#include <algorithm>
#include <utility>
#include <vector>

namespace ZalvoCompare {

inline double ThreadCpuNanoseconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e9 + static_cast<double>(now.tv_nsec);
}

class Samples {
public:
    // Runs `work` once and records the CPU time it took; returns what it returns.
    template <class Work>
    auto Time(Work&& work) {
        const double start = ThreadCpuNanoseconds();
        auto result = std::forward<Work>(work)();
        nanoseconds_.push_back(ThreadCpuNanoseconds() - start);
        return result;
    }

    bool Empty() const { return nanoseconds_.empty(); }

    // The middle sample (the mean of the two middle ones for an even count).
    double MedianNanoseconds() const {
        std::vector<double> sorted = nanoseconds_;
        std::sort(sorted.begin(), sorted.end());
        const std::size_t middle = sorted.size() / 2;
        return sorted.size() % 2 == 1 ? sorted[middle] : (sorted[middle - 1] + sorted[middle]) / 2.0;
    }

private:
    std::vector<double> nanoseconds_;
};

}  // namespace ZalvoCompare
