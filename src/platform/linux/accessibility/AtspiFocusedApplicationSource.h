#pragma once

#include "platform/linux/apps/ApplicationIdentity.h"
#include "platform/linux/FocusedApplicationSource.h"

#include <memory>
#include <string>

namespace plovane {

class AtspiAccessibilitySource;

// The focused application where the compositor tells nobody (GNOME's Wayland session):
// the application of the accessible that last gained the focus, found from its process
// (the bus name's process id, then its program in /proc) through the application
// identity. Only applications on the accessibility bus are seen; the focus of one that is
// not stays unknown.
class AtspiFocusedApplicationSource final : public FocusedApplicationSource {
public:
    AtspiFocusedApplicationSource(std::shared_ptr<AtspiAccessibilitySource> accessibility,
                                  std::shared_ptr<const ApplicationIdentity> identity, std::string procRoot = "/proc");

    std::optional<RunningApplication> focusedApplication() override;
    std::string description() const override { return "the focused accessible (AT-SPI)"; }

private:
    std::shared_ptr<AtspiAccessibilitySource> accessibility_;
    std::shared_ptr<const ApplicationIdentity> identity_;
    std::string procRoot_;
    // The last process resolved and what it was found to be.
    int lastPid_{0};
    std::string lastExecutable_;
    std::optional<RunningApplication> lastApp_;
};

} // namespace plovane
