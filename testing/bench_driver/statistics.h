#pragma once
// A measure taken over several runs, summed up as the bench prints it.
#include <string>
#include <vector>

namespace qh::testing {

struct Summary {
    double median = 0;
    double min = 0;
    double max = 0;
};

// The median of an even count is the mean of the two middle values. Empty samples give zeros.
Summary Summarise(std::vector<double> samples);

// "measure <key> <median> <min> <max>", one line, for scripts/bench to put into its table.
void PrintMeasure(const std::string& key, const Summary& summary);

}  // namespace qh::testing
