// The analysis panel set out for each test before it runs: graph names, cursors, the option
// switch and the starting axes.
#pragma once

namespace analysis {

struct Context;

void makeAnalysisPanelForTime(const Context& cx);
void makeAnalysisPanelForHist(const Context& cx);
void makeAnalysisPanelForSignal(const Context& cx);
void makeAnalysisPanelForNoise(const Context& cx);
void makeAnalysisPanelForPhase(const Context& cx);
// The digitizer tests: their read-outs and names, and the segment, smoothing and sensor
// controls they read (hidden for the other tests).
void makeAnalysisPanelForDigitizer(const Context& cx, int test);
void show_digitizer_controls(const Context& cx, bool shown);
// The controls' values into the options, and the options onto the controls.
void read_digitizer_controls(const Context& cx);
void show_digitizer_options(const Context& cx);

}  // namespace analysis
