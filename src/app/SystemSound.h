#pragma once

#include <functional>
#include <string>

typedef struct ca_context ca_context;

namespace plovane {

// One named sound of the freedesktop sound theme, played through libcanberra. When the
// theme has no such sound or no audio output is available, the fallback (the plain
// beep) sounds instead, so a knock is never silent.
class SystemSound {
public:
    SystemSound(std::string eventId, std::function<void()> fallback);
    ~SystemSound();
    SystemSound(const SystemSound&) = delete;
    SystemSound& operator=(const SystemSound&) = delete;

    // Returns true when the theme sound was started, false when the fallback ran.
    bool play();

private:
    std::string eventId_;
    std::function<void()> fallback_;
    // Opened on first use: connecting to the sound server costs nothing while idle.
    ca_context* context_{nullptr};
    bool unavailable_{false};
};

} // namespace plovane
