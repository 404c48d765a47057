#pragma once

#include "platform/InputIdleSource.h"

#include <memory>

namespace plovane {

class XcbConnection;

// Input idle time from the X server's MIT-SCREEN-SAVER extension, which every key,
// pointer, button and wheel event resets.
class XScreenSaverIdleSource final : public InputIdleSource {
public:
    explicit XScreenSaverIdleSource(std::shared_ptr<XcbConnection> connection);
    // False when the server lacks the extension.
    bool available() const { return available_; }
    double secondsSinceLastInput() override;

private:
    std::shared_ptr<XcbConnection> connection_;
    bool available_{false};
};

// No display to ask: the user counts as long idle.
class NullInputIdleSource final : public InputIdleSource {
public:
    double secondsSinceLastInput() override { return 999; }
};

} // namespace plovane
