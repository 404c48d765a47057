#include "platform/PermissionProbe.h"
#include "sensing/PermissionCenter.h"

#include <gtest/gtest.h>

namespace plovane {
namespace {

class RecordingProbe final : public PermissionProbe {
public:
    bool trusted{false};
    bool capture{false};
    int accessibilityRequests{0};
    int captureRequests{0};
    std::vector<PermissionPane> opened;

    bool accessibilityTrusted() override { return trusted; }
    void requestAccessibility() override { ++accessibilityRequests; }
    bool screenCaptureAllowed() override { return capture; }
    void requestScreenCapture() override { ++captureRequests; }
    void openSettings(PermissionPane pane) override { opened.push_back(pane); }
};

TEST(PermissionCenterTest, StatusLineInBothLanguages)
{
    RecordingProbe probe;
    PermissionCenter center{probe};
    probe.trusted = true;
    EXPECT_EQ(center.statusSummary(Language::en), "AX: On / Screen: Off");
    EXPECT_EQ(center.statusSummary(Language::zh), "AX: 已开启 / 录屏: 未开启");
    probe.trusted = false;
    probe.capture = true;
    EXPECT_EQ(center.statusSummary(Language::en), "AX: Off / Screen: On");
    EXPECT_EQ(center.statusSummary(Language::zh), "AX: 未开启 / 录屏: 已开启");
}

TEST(PermissionCenterTest, RefusalReadsNotDeterminedNeverDenied)
{
    RecordingProbe probe;
    PermissionCenter center{probe};
    center.requestAccessibilityIfNeeded();
    EXPECT_EQ(center.accessibilityStatus(), PermissionStatus::notDetermined);
    auto caps = center.capabilities();
    EXPECT_FALSE(caps.supportsIdeStateV1());
    EXPECT_FALSE(caps.supportsIdeStateV2());
    probe.trusted = probe.capture = true;
    caps = center.capabilities();
    EXPECT_TRUE(caps.supportsIdeStateV1());
    EXPECT_TRUE(caps.supportsIdeStateV2());
}

TEST(PermissionCenterTest, RequestsAskOnlyWhileNotGrantedAndEveryTime)
{
    RecordingProbe probe;
    PermissionCenter center{probe};
    center.requestScreenRecordingIfNeeded();
    center.requestScreenRecordingIfNeeded();
    EXPECT_EQ(probe.captureRequests, 2);
    probe.trusted = true;
    center.requestAccessibilityIfNeeded();
    EXPECT_EQ(probe.accessibilityRequests, 0);
    center.openAccessibilitySettings();
    center.openScreenRecordingSettings();
    EXPECT_EQ(probe.opened, (std::vector<PermissionPane>{PermissionPane::accessibility, PermissionPane::screenRecording}));
}

TEST(PermissionCenterTest, SharedCenterUsesTheInstalledProbe)
{
    EXPECT_EQ(PermissionCenter::shared().statusSummary(Language::en), "AX: Off / Screen: Off");
    auto probe = std::make_shared<RecordingProbe>();
    probe->trusted = true;
    PermissionCenter::installSharedProbe(probe);
    EXPECT_EQ(PermissionCenter::shared().accessibilityStatus(), PermissionStatus::granted);
    PermissionCenter::installSharedProbe(nullptr);
    EXPECT_EQ(PermissionCenter::shared().accessibilityStatus(), PermissionStatus::notDetermined);
}

TEST(PermissionCenterTest, RawValuesRoundTrip)
{
    for (auto s : {PermissionStatus::notDetermined, PermissionStatus::denied, PermissionStatus::granted,
                   PermissionStatus::unavailable})
        EXPECT_EQ(permissionStatusFromRaw(rawValue(s)), s);
    EXPECT_FALSE(permissionStatusFromRaw("Granted"));
}

} // namespace
} // namespace plovane
