#pragma once

#include <vector>

// The median of `values` (the upper one of an even count); 0 for none.
double Median(std::vector<double> values);
// The value below which `share` (0 to 1) of `values` lie.
double Percentile(std::vector<double> values, double share);

// The resident memory (VmRSS) of process `pid`, or of this one for 0, in
// KiB; -1 when unknown.
long ResidentKiB(int pid = 0);
