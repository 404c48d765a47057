#pragma once

#include "platform/linux/apps/ApplicationIdentity.h"
#include "platform/linux/FocusedApplicationSource.h"

#include <memory>
#include <string>
#include <unordered_map>

struct zwlr_foreign_toplevel_handle_v1;
struct zwlr_foreign_toplevel_manager_v1;

namespace plovane {

class WaylandConnection;

// The focused application of a wlroots compositor (sway and others), from its list of
// toplevel windows (zwlr_foreign_toplevel_manager_v1): the application id of the window
// in the activated state, usually its desktop-file id, mapped through the application
// identity. The compositor tells of every change as it happens; a call only looks at
// what was told.
class WlrForeignToplevelSource final : public FocusedApplicationSource {
public:
    // Null when the compositor does not offer the protocol.
    static std::shared_ptr<WlrForeignToplevelSource> open(std::shared_ptr<WaylandConnection> connection,
                                                          std::shared_ptr<const ApplicationIdentity> identity);
    ~WlrForeignToplevelSource() override;
    WlrForeignToplevelSource(const WlrForeignToplevelSource&) = delete;
    WlrForeignToplevelSource& operator=(const WlrForeignToplevelSource&) = delete;

    std::optional<RunningApplication> focusedApplication() override;
    std::string description() const override { return "zwlr_foreign_toplevel_manager_v1"; }

private:
    // What the compositor says about one window; the events between two `done`s describe
    // its next state.
    struct Toplevel {
        std::string appId;
        bool activated{false};
        std::string pendingAppId;
        bool pendingActivated{false};
    };

    WlrForeignToplevelSource(std::shared_ptr<WaylandConnection> connection,
                             std::shared_ptr<const ApplicationIdentity> identity);

    std::shared_ptr<WaylandConnection> connection_;
    std::shared_ptr<const ApplicationIdentity> identity_;
    zwlr_foreign_toplevel_manager_v1* manager_{nullptr};
    std::unordered_map<zwlr_foreign_toplevel_handle_v1*, Toplevel> toplevels_;
    zwlr_foreign_toplevel_handle_v1* active_{nullptr};
    // Each application id resolved once.
    std::unordered_map<std::string, RunningApplication> applications_;
};

} // namespace plovane
