#pragma once

#include "settings/Language.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace plovane {

class PermissionProbe;

enum class PermissionStatus { notDetermined, denied, granted, unavailable };

std::string_view rawValue(PermissionStatus status);
std::optional<PermissionStatus> permissionStatusFromRaw(std::string_view raw);

struct PermissionCapabilities {
    PermissionStatus accessibility{PermissionStatus::notDetermined};
    PermissionStatus screenRecording{PermissionStatus::notDetermined};

    bool supportsIdeStateV1() const { return accessibility == PermissionStatus::granted; }
    bool supportsIdeStateV2() const { return screenRecording == PermissionStatus::granted; }
};

// The one place that probes and requests the accessibility and screen-recording
// permissions. Holds no state: every call asks the desktop again. A refused permission
// reads notDetermined, since the probes only answer yes or no.
class PermissionCenter {
public:
    explicit PermissionCenter(PermissionProbe& probe) : probe_(&probe) {}

    // The process-wide instance. Until the application installs the desktop's probe it
    // reports both permissions as not granted.
    static PermissionCenter& shared();
    static void installSharedProbe(std::shared_ptr<PermissionProbe> probe);

    PermissionStatus accessibilityStatus();
    PermissionStatus screenRecordingStatus();
    PermissionCapabilities capabilities();
    void requestAccessibilityIfNeeded();
    void requestScreenRecordingIfNeeded();
    void openAccessibilitySettings();
    void openScreenRecordingSettings();
    // "AX: On / Screen: Off", or "AX: 已开启 / 录屏: 未开启" in Chinese.
    std::string statusSummary(Language language);

private:
    PermissionProbe* probe_;
};

} // namespace plovane
