// A fully wired system whose USB traffic is recorded on its way to the simulated boards: every
// block the host writes and every flush, with the virtual time it happened at.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/clock/clock.h"
#include "platform/ui/headless_frontend.h"
#include "platform/usb/bus.h"
#include "platform/usb/sim_bus.h"
#include "shell/app.h"
#include "shell/startup.h"
#include "uir_ids.h"

namespace testing_support {

using Bytes = std::vector<std::uint8_t>;

struct WireEvent {
    enum Kind { Write, Purge };
    Kind kind;
    Bytes bytes;  // the block written; empty for a purge
    double time;
};

class RecordingBus final : public usb::Bus {
  public:
    RecordingBus(usb::Bus& inner, const platform::Clock& clock) : inner_(inner), clock_(clock) {}

    std::vector<WireEvent> events;
    // Called each time the host looks at a receive queue (a test may let time pass there, as
    // when the program is held up between two polls).
    std::function<void()> on_queue_look;
    // Called ahead of the n-th transfer the host sends on any link (counted from 0), so a test
    // can switch a fault on at an exact point of a sequence.
    std::function<void(int)> before_request;
    int requests = 0;

    std::vector<Bytes> writes() const {
        std::vector<Bytes> out;
        for (const auto& e : events)
            if (e.kind == WireEvent::Write) out.push_back(e.bytes);
        return out;
    }
    void clear() { events.clear(); }

    std::uint32_t device_count() override { return inner_.device_count(); }
    bool serial_number(std::uint32_t index, std::string* serial) override {
        return inner_.serial_number(index, serial);
    }
    std::optional<usb::UsbId> usb_id(std::uint32_t index) override { return inner_.usb_id(index); }
    std::unique_ptr<usb::Link> open(std::uint32_t index) override {
        auto link = inner_.open(index);
        if (!link) return nullptr;
        return std::make_unique<RecordingLink>(*this, std::move(link));
    }

  private:
    class RecordingLink final : public usb::Link {
      public:
        RecordingLink(RecordingBus& bus, std::unique_ptr<usb::Link> inner)
            : bus_(bus), inner_(std::move(inner)) {}
        bool alive() override { return inner_->alive(); }
        usb::Sent send(const std::uint8_t* data, std::size_t n, std::uint32_t timeout_ms) override {
            if (bus_.before_request) bus_.before_request(bus_.requests);
            ++bus_.requests;
            bus_.events.push_back({WireEvent::Write, Bytes(data, data + n), bus_.clock_.now()});
            return inner_->send(data, n, timeout_ms);
        }
        std::size_t queued() override {
            if (bus_.on_queue_look) bus_.on_queue_look();
            return inner_->queued();
        }
        std::size_t receive(std::uint8_t* out, std::size_t max) override {
            return inner_->receive(out, max);
        }
        void purge() override {
            bus_.events.push_back({WireEvent::Purge, {}, bus_.clock_.now()});
            inner_->purge();
        }
        bool overrun() override { return inner_->overrun(); }

      private:
        RecordingBus& bus_;
        std::unique_ptr<usb::Link> inner_;
    };

    usb::Bus& inner_;
    const platform::Clock& clock_;
};

// Pads a frame to the 15-byte request block.
inline Bytes block(std::initializer_list<std::uint8_t> frame) {
    Bytes b(frame);
    b.resize(15, 0);
    return b;
}

struct WireApp {
    WireApp() {
        app =
            std::make_unique<App>(App::Options{clock, frontend, bus, SEISBENCH_TEST_RESOURCE_DIR});
    }

    platform::VirtualClock clock;
    ui::HeadlessFrontend frontend;
    usb::SimBus sim{clock};
    RecordingBus bus{sim, clock};
    std::unique_ptr<App> app;

    App& operator*() { return *app; }
    App* operator->() { return app.get(); }

    simboard::SimBoard& add_board(int code = 4, const std::string& serial = "") {
        simboard::BoardConfig cfg;
        cfg.board_code = static_cast<std::uint8_t>(code);
        cfg.serial = serial.empty() ? "SIM" + std::to_string(code) : serial;
        return sim.add_board(cfg);
    }
    void start() { ASSERT_EQ(shell::startup(*app), 0); }

    // The user switches the connect toggle (on when disconnected, off when connected).
    void toggle_connect() {
        const int on = app->link.usb_opened == 1 ? 0 : 1;
        ASSERT_EQ(app->ui.UserSetValue(app->shell.setuppanel, SETUP_CONNECT, on), 0);
    }
    // Connects, checks that it worked and forgets the traffic and popups it caused.
    void connect() {
        toggle_connect();
        ASSERT_EQ(app->link.usb_opened, 1) << popups_text();
        bus.clear();
        frontend.popups.clear();
    }

    std::string popups_text() const {
        std::string s;
        for (const auto& m : frontend.messages()) s += m + "\n";
        return s;
    }

    int setup_int(int ctrl) const {
        int v = -1;
        app->ui.GetCtrlVal(app->shell.setuppanel, ctrl, &v);
        return v;
    }
    std::string setup_text(int ctrl) const {
        std::string s;
        app->ui.GetCtrlVal(app->shell.setuppanel, ctrl, &s);
        return s;
    }
    bool setup_dimmed(int ctrl) const {
        return app->ui.control(app->shell.setuppanel, ctrl)->dimmed;
    }
    std::vector<std::string> list_labels(int panel, int ctrl) const {
        std::vector<std::string> out;
        for (const auto& it : app->ui.control(panel, ctrl)->items) out.push_back(it.label);
        return out;
    }
};

}  // namespace testing_support
