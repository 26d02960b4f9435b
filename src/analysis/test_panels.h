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

}  // namespace analysis
