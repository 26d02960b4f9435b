#include "analysis/errors.h"

#include "analysis/context.h"
#include "shell/panel_values.h"
#include "uir_ids.h"

namespace analysis {

namespace {

struct ErrorText {
    int code;
    const char* text;  // %i stands for the channel number
};

constexpr ErrorText kErrors[] = {
    {10, "Error 10, Channel %i : Time Domain Plot Error."},
    {20, "Error 20, Channel %i : FFT Plot Error.\n\nSample size too small."},
    {21, "Error 21, Channel %i : FFT Plot Error.\n\nFundamental frequency is too low."},
    {22, "Error 22, Channel %i : FFT Plot Error.\n\nFundamental bins overlap the DC bins."},
    {23,
     "Error 23, Channel %i : FFT Plot Error.\n\nFundamental bins overlap the Nyquist or "
     "limit frequency."},
    {24, "Error 24, Channel %i : FFT Plot Error.\n\nNo fundamental stands above the noise."},
    {25, "Error 25, Channel %i : FFT Plot Error.\n\nPeak noise bins overlap the DC bins."},
    {26,
     "Error 26, Channel %i : FFT Plot Error.\n\nPeak noise bins overlap the fundamental "
     "bins."},
    {27,
     "Error 27, Channel %i : FFT Plot Error.\n\nPeak noise bins overlap the Nyquist or limit "
     "frequency."},
    {28, "Error 28, Channel %i : FFT Plot Error.\n\nBandwidth limit leaves no noise bins."},
    {31,
     "Error 31, Channel %i : FFT Plot Error.\n\nHarmonics bins overlap with other "
     "harmonics."},
    {32, "Error 32, Channel %i : FFT Plot Error.\n\nHarmonics bins overlap the DC bins."},
    {33,
     "Error 33, Channel %i : FFT Plot Error.\n\nHarmonics bins overlap the fundamental "
     "bins."},
    {34,
     "Error 34, Channel %i : FFT Plot Error.\n\nHarmonics bins are aliased around the "
     "Nyquist frequency."},
    {35,
     "Error 35, Channel %i : FFT Plot Error.\n\nToo many harmonics; only the first 1000 are "
     "analysed."},
    {50, "Error 50, Channel %i : Phase Plot Error.\n\nSample size too small."},
};

}  // namespace

std::string error_message(int value) {
    const int code = value / 10, channel = value % 10;
    for (const auto& e : kErrors) {
        if (e.code != code) continue;
        std::string text = e.text;
        text.replace(text.find("%i"), 2, std::to_string(channel));
        return text;
    }
    return "Plot Error.";
}

std::string error_label(int value) {
    const std::string text = error_message(value);
    const std::size_t reason = text.find("\n\n");
    return std::to_string(value) +
           (reason == std::string::npos ? "" : " " + text.substr(reason + 2));
}

void display_error(const Context& cx) {
    const int p = cx.shell.analysispanel;
    int index = -1, value = 0;
    cx.ui.GetCtrlIndex(p, ANALYSIS_ERRORS, &index);
    if (cx.ui.GetValueFromIndex(p, ANALYSIS_ERRORS, index, &value) < 0) return;
    cx.ui.MessagePopup("Plot Error", error_message(value));
}

void show_errors(const Context& cx) {
    auto& ui = cx.ui;
    const int p = cx.shell.analysispanel;
    const std::vector<int>& errors = cx.analysis.measurement.errors;
    const int shown = errors.empty() ? 0 : 1;
    ui.SetCtrlAttribute(p, ANALYSIS_ERRORIND, ui::ATTR_VISIBLE, shown);
    ui.SetCtrlAttribute(p, ANALYSIS_ERRORS, ui::ATTR_VISIBLE, shown);
    ui.ClearListCtrl(p, ANALYSIS_ERRORS);
    for (int value : errors) ui.InsertListItem(p, ANALYSIS_ERRORS, -1, error_label(value), value);
    // The newest entry is the one selected.
    if (shown) ui.SetCtrlIndex(p, ANALYSIS_ERRORS, static_cast<int>(errors.size()) - 1);
}

}  // namespace analysis
