#pragma once
// A scripted display for the display-mode tests: the modes it offers, the one
// it shows, every switch asked of it, and how it answers a switch. It is
// installed for the test's life.

#include <optional>
#include <vector>

#include "platform/display.h"

namespace plexo::test {

class FakeDisplay : public platform::DisplayDevices {
public:
    std::vector<platform::DisplayMode> modes;
    std::optional<platform::DisplayMode> current;
    std::vector<platform::DisplayMode> applied;
    // Refuses every switch, leaving the mode as it was.
    bool refuse = false;
    // Ends the next switch in this mode instead of the one asked.
    std::optional<platform::DisplayMode> landsIn;
    // The display is gone: no modes, no current mode, every switch fails.
    bool gone = false;

    std::vector<platform::DisplayMode> Modes(const std::string&) override
    {
        return gone ? std::vector<platform::DisplayMode>{} : modes;
    }
    std::optional<platform::DisplayMode> Current(const std::string&) override
    {
        return gone ? std::nullopt : current;
    }
    bool Apply(const std::string&, const platform::DisplayMode& mode) override
    {
        applied.push_back(mode);
        if (gone || refuse)
            return false;
        current = landsIn.value_or(mode);
        landsIn.reset();
        return *current == mode;
    }
};

// Installs a fake display for one scope.
class FakeDisplayScope {
public:
    FakeDisplayScope() : fake_(std::make_shared<FakeDisplay>()), previous_(platform::SetDisplayDevices(fake_)) {}
    ~FakeDisplayScope() { platform::SetDisplayDevices(previous_); }
    FakeDisplayScope(const FakeDisplayScope&) = delete;
    FakeDisplayScope& operator=(const FakeDisplayScope&) = delete;

    FakeDisplay& operator*() { return *fake_; }
    FakeDisplay* operator->() { return fake_.get(); }

private:
    std::shared_ptr<FakeDisplay> fake_;
    std::shared_ptr<platform::DisplayDevices> previous_;
};

}  // namespace plexo::test
