#pragma once

namespace plovane {

// The system settings page that governs one permission.
enum class PermissionPane { accessibility, screenRecording };

// The desktop's answers on the two privacy permissions the optional sensing needs.
class PermissionProbe {
public:
    virtual ~PermissionProbe() = default;
    // Whether other applications' accessibility trees may be read; false when unknown.
    virtual bool accessibilityTrusted() = 0;
    // Asks the desktop to turn accessibility on; does nothing when it cannot ask.
    virtual void requestAccessibility() = 0;
    // Whether the screen may be captured; false when unknown.
    virtual bool screenCaptureAllowed() = 0;
    // Asks for screen capture; does nothing when it cannot ask.
    virtual void requestScreenCapture() = 0;
    // Opens the settings page of the permission; does nothing when none is known.
    virtual void openSettings(PermissionPane pane) = 0;
};

// A desktop that offers neither permission: everything reads as not granted.
class NullPermissionProbe final : public PermissionProbe {
public:
    bool accessibilityTrusted() override { return false; }
    void requestAccessibility() override {}
    bool screenCaptureAllowed() override { return false; }
    void requestScreenCapture() override {}
    void openSettings(PermissionPane) override {}
};

} // namespace plovane
