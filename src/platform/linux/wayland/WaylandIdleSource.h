#pragma once

#include "platform/InputIdleSource.h"
#include "platform/linux/IdleTransitionClock.h"

#include <memory>
#include <string_view>

struct ext_idle_notification_v1;
struct org_kde_kwin_idle_timeout;

namespace plovane {

class WaylandConnection;

// Input idle time from the compositor of a Wayland session, which sees every input, to
// native and X11 windows alike. An idle notification set to IdleTransitionClock's
// threshold says when the user stops and when they come back: ext-idle-notify-v1 where
// offered (KWin, newer wlroots compositors), else KDE's older org_kde_kwin_idle (sway 1.7
// among others). Until its first word the user counts as active since the source was made.
class WaylandIdleSource final : public InputIdleSource {
public:
    enum class Protocol { extIdleNotify, kdeIdle };

    // Null when the compositor offers neither protocol or has no seat.
    static std::shared_ptr<WaylandIdleSource> open(std::shared_ptr<WaylandConnection> connection);
    ~WaylandIdleSource() override;
    WaylandIdleSource(const WaylandIdleSource&) = delete;
    WaylandIdleSource& operator=(const WaylandIdleSource&) = delete;

    Protocol protocol() const { return protocol_; }
    // The protocol's name, for the log.
    std::string_view protocolName() const;
    // 999 once the compositor is gone.
    double secondsSinceLastInput() override;
    // The notifications tell only that input came back, not what it was.
    LastInput lastInput() override { return told_ ? LastInput::unknown : LastInput::notSeen; }

private:
    WaylandIdleSource(std::shared_ptr<WaylandConnection> connection, Protocol protocol);
    void idled();
    void resumed();

    std::shared_ptr<WaylandConnection> connection_;
    Protocol protocol_;
    IdleTransitionClock clock_;
    // The compositor said the user stopped or came back at least once.
    bool told_{false};
    ext_idle_notification_v1* notification_{nullptr};
    org_kde_kwin_idle_timeout* timeout_{nullptr};
};

} // namespace plovane
