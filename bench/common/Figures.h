// The benchmarks' output: one line per figure, "name<TAB>value<TAB>unit<TAB>target", which
// scripts/bench gathers into its table; and the percentiles the figures are made of.
#pragma once

#include <algorithm>
#include <cstdio>
#include <vector>

namespace skedula::bench {

inline void Print(const char* name, double value, const char* unit, const char* target) {
    std::printf("%s\t%.3f\t%s\t%s\n", name, value, unit, target);
}

// The value below which the fraction of the values lies (0.5: the median), nearest rank.
inline double Percentile(std::vector<double> values, double fraction) {
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const auto index = static_cast<std::size_t>(fraction * static_cast<double>(values.size() - 1));
    return values[index];
}

} // namespace skedula::bench
