// What the three spectrum tests show on the analysis panel before they run.
#pragma once

class App;

namespace analysis {

void makeAnalysisPanelForSignal(App& app);
void makeAnalysisPanelForNoise(App& app);
void makeAnalysisPanelForPhase(App& app);

}  // namespace analysis
