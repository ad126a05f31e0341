#pragma once
// One machine-readable line per compared figure, picked up by
// tools/iap-bench-chart for the README's chart; the human-readable lines
// around it stay as they are.
#include <cstdio>

inline void PrintBenchFigure(const char* what, double ours, double floor, const char* unit, double goal) {
    std::printf("FIGURE\t%s\t%.4g\t%.4g\t%s\t%.4g\n", what, ours, floor, unit, goal);
    std::fflush(stdout);
}
