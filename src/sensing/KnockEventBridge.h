#pragma once

#include "platform/Clock.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>

namespace plovane {

// Limits that keep a misbehaving or hostile client from exhausting the process.
struct KnockBridgeLimits {
    // Open client connections kept at once; a new one beyond this closes the oldest.
    std::size_t maxConnections{64};
    // A connection that sends nothing for this long is closed.
    std::chrono::milliseconds idleTimeout{std::chrono::minutes(5)};
};

// Listens on a TCP port (every interface) for an outside knock detector. Each chunk a
// client sends (1 to 2048 bytes) is one message; "KNOCK", in any letter case and with
// surrounding whitespace, is a knock. Knocks closer than 0.8 s to the last accepted one
// are dropped. Nothing is ever sent back.
//
// The network runs on the bridge's own thread; start() and stop() hand their work to it
// and return once it is done. onKnock runs on that thread, so its owner hops to the main
// thread itself.
class KnockEventBridge {
public:
    // The port the application listens on; knock detectors send here.
    static constexpr std::uint16_t defaultPort = 8765;

    // Port 0 listens on a port the system picks (see boundPort()).
    explicit KnockEventBridge(std::uint16_t port = defaultPort, const Clock& clock = SystemClock::instance(),
                              KnockBridgeLimits limits = {});
    ~KnockEventBridge();
    KnockEventBridge(const KnockEventBridge&) = delete;
    KnockEventBridge& operator=(const KnockEventBridge&) = delete;

    // Called once for each accepted knock, on the bridge's thread.
    void setOnKnock(std::function<void()> handler);

    // (Re)starts listening; stops whatever ran before. A port that cannot be opened is
    // logged ("KnockEventBridge start failed: ...") and leaves the bridge idle.
    void start();
    // Closes every client connection and the listener.
    void stop();

    // The port actually listened on, 0 when not listening.
    std::uint16_t boundPort() const;
    // Client connections currently open.
    std::size_t openConnectionCount() const;
    // Chunks received since construction, knocks or not.
    std::uint64_t chunksReceived() const;

    class Impl;

private:
    std::unique_ptr<Impl> impl_;
};

} // namespace plovane
