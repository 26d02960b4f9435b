// The code-domain tests: samples against their index, and the histogram of codes.
#pragma once

class App;

namespace analysis {

void makeAnalysisPanelForTime(App& app);
void _time_test(App& app);
// Largest and smallest sample of the channel (index 0..3) in displays 1 and 2.
void time_stats(App& app, int channel);

void makeAnalysisPanelForHist(App& app);
void _hist_test(App& app);
// Largest, smallest, mean, standard deviation and variance of the channel in displays 1..5.
void hist_stats(App& app, int channel);

}  // namespace analysis
