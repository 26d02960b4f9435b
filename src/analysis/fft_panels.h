// What the three spectrum tests show on the analysis panel before they run.
#pragma once

namespace analysis {

struct Context;

void makeAnalysisPanelForSignal(const Context& cx);
void makeAnalysisPanelForNoise(const Context& cx);
void makeAnalysisPanelForPhase(const Context& cx);

}  // namespace analysis
