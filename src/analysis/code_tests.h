// The code-domain tests: samples against their index, and the histogram of codes.
#pragma once

namespace analysis {

struct Context;

void makeAnalysisPanelForTime(const Context& cx);
void _time_test(const Context& cx);
// Largest and smallest sample of the channel (index 0..3) in displays 1 and 2.
void time_stats(const Context& cx, int channel);

void makeAnalysisPanelForHist(const Context& cx);
void _hist_test(const Context& cx);
// Largest, smallest, mean, standard deviation and variance of the channel in displays 1..5.
void hist_stats(const Context& cx, int channel);

}  // namespace analysis
