// Where the spectrum library (averaged spectra, full-scale reference) meets the data files.
#pragma once

class App;

namespace analysis {

// Power of the full-scale reference tone for channel 0, written as field 10 of a data file.
double reference_power_for_file(App& app);
// After a load: clears the averaged spectra and adds the loaded block's spectrum of every
// channel present, so the spectrum tests show the loaded data.
void spectra_after_load(App& app);

}  // namespace analysis
