// The program started with the Qt front-end, plus the test panel holding every control type.
#pragma once

#include <gtest/gtest.h>

#include "qt_support.h"

class AllTypes : public ::testing::Test {
  protected:
    void SetUp() override {
        qt_support::record_events(*t.app, events);
        t.start();
        panel = t->ui.LoadPanel(t->shell.mainpanel, "alltypes.uir");
        ASSERT_GT(panel, 0);
        t->ui.DisplayPanel(panel);
        qt_support::settle();
    }

    // No timer ticks from here on, and nothing recorded so far.
    void quiet() {
        t->ui.SuspendTimerCallbacks();
        events.clear();
    }
    int id(const char* name) { return t->ui.control_id(panel, name); }
    template <class T = QWidget>
    T* widget(const char* name) {
        T* w = t.find<T>(panel, name);
        EXPECT_NE(w, nullptr) << name;
        return w;
    }

    qt_support::QtApp t{qt_support::resources_with_all_types()};
    std::vector<qt_support::Recorded> events;
    int panel = 0;
};
