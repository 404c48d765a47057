#include "sensing/PermissionCenter.h"

#include "platform/PermissionProbe.h"
#include "settings/Strings.h"

#include <array>
#include <utility>

namespace plovane {

namespace {

constexpr std::array<std::pair<PermissionStatus, std::string_view>, 4> kRaw{{
    {PermissionStatus::notDetermined, "notDetermined"},
    {PermissionStatus::denied, "denied"},
    {PermissionStatus::granted, "granted"},
    {PermissionStatus::unavailable, "unavailable"},
}};

std::string shortLabel(PermissionStatus status, Language language)
{
    switch (status) {
    case PermissionStatus::notDetermined:
        return Strings::permissionOff(language);
    case PermissionStatus::denied:
        return Strings::permissionDenied(language);
    case PermissionStatus::granted:
        return Strings::permissionOn(language);
    case PermissionStatus::unavailable:
        return Strings::permissionUnavailable(language);
    }
    return {};
}

PermissionStatus fromAnswer(bool granted)
{
    return granted ? PermissionStatus::granted : PermissionStatus::notDetermined;
}

std::shared_ptr<PermissionProbe>& sharedProbe()
{
    static std::shared_ptr<PermissionProbe> probe = std::make_shared<NullPermissionProbe>();
    return probe;
}

} // namespace

std::string_view rawValue(PermissionStatus status)
{
    for (const auto& [s, raw] : kRaw)
        if (s == status)
            return raw;
    return {};
}

std::optional<PermissionStatus> permissionStatusFromRaw(std::string_view raw)
{
    for (const auto& [s, r] : kRaw)
        if (r == raw)
            return s;
    return std::nullopt;
}

PermissionCenter& PermissionCenter::shared()
{
    static PermissionCenter center{*sharedProbe()};
    return center;
}

void PermissionCenter::installSharedProbe(std::shared_ptr<PermissionProbe> probe)
{
    if (!probe)
        probe = std::make_shared<NullPermissionProbe>();
    shared().probe_ = probe.get();
    sharedProbe() = std::move(probe);
}

PermissionStatus PermissionCenter::accessibilityStatus() { return fromAnswer(probe_->accessibilityTrusted()); }

PermissionStatus PermissionCenter::screenRecordingStatus() { return fromAnswer(probe_->screenCaptureAllowed()); }

PermissionCapabilities PermissionCenter::capabilities()
{
    const auto accessibility = accessibilityStatus();
    return PermissionCapabilities{accessibility, screenRecordingStatus()};
}

void PermissionCenter::requestAccessibilityIfNeeded()
{
    if (accessibilityStatus() != PermissionStatus::granted)
        probe_->requestAccessibility();
}

void PermissionCenter::requestScreenRecordingIfNeeded()
{
    if (screenRecordingStatus() != PermissionStatus::granted)
        probe_->requestScreenCapture();
}

void PermissionCenter::openAccessibilitySettings() { probe_->openSettings(PermissionPane::accessibility); }

void PermissionCenter::openScreenRecordingSettings() { probe_->openSettings(PermissionPane::screenRecording); }

std::string PermissionCenter::statusSummary(Language language)
{
    const auto accessibility = accessibilityStatus();
    const auto screen = screenRecordingStatus();
    return Strings::permissionNameAccessibility(language) + ": " + shortLabel(accessibility, language) + " / " +
           Strings::permissionNameScreen(language) + ": " + shortLabel(screen, language);
}

} // namespace plovane
