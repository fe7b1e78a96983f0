#include "statistics.h"

#include <algorithm>
#include <cstdio>

namespace qh::testing {

Summary Summarise(std::vector<double> samples) {
    if (samples.empty()) return {};
    std::sort(samples.begin(), samples.end());
    const size_t middle = samples.size() / 2;
    const double median = samples.size() % 2 == 1 ? samples[middle] : (samples[middle - 1] + samples[middle]) / 2;
    return {median, samples.front(), samples.back()};
}

void PrintMeasure(const std::string& key, const Summary& summary) {
    std::printf("measure %s %.1f %.1f %.1f\n", key.c_str(), summary.median, summary.min, summary.max);
    std::fflush(stdout);
}

}  // namespace qh::testing
