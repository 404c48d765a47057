#pragma once

#include <chrono>
#include <optional>
#include <string>

namespace plovane::accessibilityBus {

// What a short look at the accessibility bus found.
struct Probe {
    // The launcher owns its name on the session bus.
    bool launcherRegistered{false};
    // It answered (within the time given).
    bool launcherAnswered{false};
    // It says accessibility is on (IsEnabled or ScreenReaderEnabled).
    bool enabled{false};
    // Where the accessibility bus is, when known: from the launcher, else as given.
    std::string address;
    // An address was given (the X root window's, or the user's own), which the bridge
    // may take as switched on.
    bool addressGiven{false};
    // The registry on that bus answered.
    bool registryAnswered{false};
};

// Looks at the bus from a thread of its own, each question limited by `timeout`, and
// returns within about twice that however hung the launcher or the registry is.
// `xAddress` is the address the X root window publishes, if any. Needs the application
// object (Qt D-Bus).
Probe probe(std::optional<std::string> xAddress, std::chrono::milliseconds timeout);

// The address to give the toolkit's accessibility bridge (AT_SPI_BUS_ADDRESS), or
// nothing to leave it to find the bus its own way. The bridge asks the launcher and the
// registry synchronously, with a 25 s timeout each: it may only meet a bus that answered,
// else it is given kNoBus. Our own accessibility client takes the same address.
std::optional<std::string> bridgeAddress(const Probe& probe, bool alwaysOn);

// An address no bus listens on: the bridge starts without a bus, and without waiting.
inline constexpr const char* kNoBus = "unix:path=/dev/null";

// Before the first widget: probes the bus and, when the launcher or the registry does
// not answer, points Qt's accessibility bridge at no bus, then creates the bridge, so
// neither the start nor a later text change waits for them. A healthy bus is left to the
// bridge, which finds it as always: screen readers keep working.
void prepareBridge();

} // namespace plovane::accessibilityBus
