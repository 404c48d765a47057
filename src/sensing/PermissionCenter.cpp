#include "sensing/PermissionCenter.h"

#include "platform/PermissionProbe.h"

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

std::string_view shortLabel(PermissionStatus status, Language language)
{
    const bool zh = language == Language::zh;
    switch (status) {
    case PermissionStatus::notDetermined:
        return zh ? "未开启" : "Off";
    case PermissionStatus::denied:
        return zh ? "已拒绝" : "Denied";
    case PermissionStatus::granted:
        return zh ? "已开启" : "On";
    case PermissionStatus::unavailable:
        return zh ? "不可用" : "N/A";
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
    std::string line = "AX: ";
    line += shortLabel(accessibility, language);
    line += language == Language::zh ? " / 录屏: " : " / Screen: ";
    line += shortLabel(screen, language);
    return line;
}

} // namespace plovane
