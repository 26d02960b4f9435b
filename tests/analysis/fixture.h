// A started system with the analysis panel at hand: channel data can be set directly and the
// panel's read-outs, plots and error entries read back.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "analysis/analysis.h"
#include "analysis/panel_setup.h"
#include "shell/panel_values.h"
#include "support/test_app.h"
#include "uir_ids.h"

namespace testing_support {

class AnalysisTest : public ::testing::Test {
  protected:
    void SetUp() override { t.start(); }

    App& app() { return *t; }
    ui::Runtime& ui() { return t->ui; }
    int ap() const { return t.app->shell.analysispanel; }
    int sp() const { return t.app->shell.setuppanel; }

    // Channel c (0..3) holds these samples, tagged for that channel.
    void set_channel(int c, const std::vector<std::int32_t>& samples) {
        auto& st = t->analysis;
        st.ch_count[c] = static_cast<int>(samples.size());
        for (size_t i = 0; i < samples.size(); ++i) {
            st.data(c)[i] = samples[i];
            st.tag(c)[i] = c << 4;
        }
    }
    void set_buttons(int b1, int b2, int b3, int b4) {
        const int ctrls[4] = {ANALYSIS_CH1, ANALYSIS_CH2, ANALYSIS_CH3, ANALYSIS_CH4};
        const int on[4] = {b1, b2, b3, b4};
        for (int i = 0; i < 4; ++i) ui().SetCtrlVal(ap(), ctrls[i], on[i]);
    }
    // Runs the dispatcher for a test with the given statistics channel.
    void run_test(int test, int stat_ch = 0) {
        ui().SetCtrlVal(ap(), ANALYSIS_TEST, test);
        ui().SetCtrlVal(ap(), ANALYSIS_STATCH, stat_ch);
        analysis::analysis(app());
    }

    const ui::Control& ctrl(int id) { return *ui().control(ap(), id); }
    const ui::GraphState& graph() { return ctrl(ANALYSIS_GRAPH).graph; }
    double display(int index) {
        return shell::get_double(ui(), ap(), analysis::stat_display(index));
    }
    std::string display_label(int index) { return ctrl(analysis::stat_display(index)).label; }
    bool visible(int id) { return ctrl(id).visible; }
    std::vector<int> errors() {
        std::vector<int> out;
        for (const auto& it : ctrl(ANALYSIS_ERRORS).items) out.push_back(it.value);
        return out;
    }
    std::vector<std::string> ring_labels(int id) {
        std::vector<std::string> out;
        for (const auto& it : ctrl(id).items) out.push_back(it.label);
        return out;
    }

    TestApp t;
};

}  // namespace testing_support
