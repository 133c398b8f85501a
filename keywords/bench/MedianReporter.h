#pragma once
// The console report of the benchmarks, keeping the real time of every run
// of each, by the name it was registered under, for the medians and ratios
// printed at the end.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

namespace benchbase {

class MedianReporter : public benchmark::ConsoleReporter {
public:
    std::map<std::string, std::vector<double>> times;
    void ReportRuns(const std::vector<Run> &runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run &r : runs)
            if (!r.error_occurred)
                times[r.run_name.function_name].push_back(r.GetAdjustedRealTime());
    }
    // 0 when it never ran.
    double median(const std::string &name) const
    {
        auto it = times.find(name);
        if (it == times.end() || it->second.empty())
            return 0;
        std::vector<double> v = it->second;
        std::sort(v.begin(), v.end());
        return v[v.size() / 2];
    }
};

} // namespace benchbase
