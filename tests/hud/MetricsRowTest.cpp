#include "HUDTestRig.h"

#include "hud/DataPanelView.h"
#include "settings/Strings.h"

#include <QPaintEvent>
#include <QPainter>

#include <gtest/gtest.h>

#include <cmath>

using namespace plovane;
using namespace plovane::test;

namespace {

QImage renderPanel(const DataPanelView& panel, qreal dpr = 1.0)
{
    QImage image(QSize(static_cast<int>(std::ceil(panel.size().width() * dpr)),
                       static_cast<int>(std::ceil(panel.size().height() * dpr))),
                 QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(dpr);
    image.fill(Qt::transparent);
    QPainter p(&image);
    panel.paint(p, QPointF(0, 0));
    return image;
}

// Every pixel where the two pictures differ.
QRegion differing(const QImage& a, const QImage& b)
{
    QRegion region;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (a.pixel(x, y) != b.pixel(x, y))
                region += QRect(x, y, 1, 1);
    return region;
}

DataPanelView::Content content(Language lang, long long focusSeconds, DiveState state = DiveState::flow)
{
    DataPanelView::Content c;
    c.statusTitle = hud::qs(Strings::statusTitle(state, false, lang));
    c.focusSeconds = focusSeconds;
    c.noiseText = hud::qs(state == DiveState::chaos ? Strings::noiseLoud(lang) : Strings::noiseZen(lang));
    c.advice = QStringLiteral("Sit tall.");
    return c;
}

// Records what the view is asked to repaint.
struct RepaintRecorder : QObject {
    QRegion region;
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            region += static_cast<QPaintEvent*>(event)->region();
        return false;
    }
};

} // namespace

TEST(MetricsRow, EachChangeRepaintsOnlyWhatDiffersAndDrawsAsAFreshCardWould)
{
    testApp();
    struct Step {
        const char* what;
        long long from;
        long long to;
        DiveState toState{DiveState::flow};
        bool small{false};
    };
    const Step steps[] = {
        {"a second", 25 * 60 + 34, 25 * 60 + 35, DiveState::flow, true},
        {"a minute", 25 * 60 + 59, 26 * 60, DiveState::flow, true},
        {"the clock grows an hour", 59 * 60 + 59, 60 * 60},
        {"the wear level", 1199, 1200},
        {"the noise", 600, 600, DiveState::chaos},
    };
    auto check = [&](Language lang, qreal dpr, const Step& step) {
        AnimationDriver driver;
        DataPanelView panel(driver, [](const QRectF&) {});
        DataPanelView::Content before = content(lang, step.from);
        panel.setContent(before, 322);
        const QImage shown = renderPanel(panel, dpr);

        DataPanelView::Content after = content(lang, step.to, step.toState);
        after.statusTitle = before.statusTitle; // only the row changes
        const MetricsRow::Work work = panel.metricsWork();
        ASSERT_EQ(panel.setContent(after, 322), DataPanelView::Change::metrics);
        const QRectF change = panel.metricsChange();
        const QImage next = renderPanel(panel, dpr);

        // The same picture as a card given these values from the start.
        DataPanelView fresh(driver, [](const QRectF&) {});
        fresh.setContent(after, 322);
        EXPECT_EQ(renderPanel(fresh, dpr), next);

        const QRegion differs = differing(shown, next);
        ASSERT_FALSE(differs.isEmpty());
        const QRectF device(change.topLeft() * dpr, change.size() * dpr);
        const QRect box = differs.boundingRect();
        EXPECT_TRUE((differs - device.toAlignedRect()).isEmpty())
            << "pixels changed in " << box.x() << "," << box.y() << " " << box.width() << "x" << box.height();
        EXPECT_TRUE(panel.metricsRect().contains(change));
        if (step.small) {
            // A digit or two: a small box, not the row; one text drawn, the labels and
            // the other values neither measured nor drawn again.
            const QRectF row = panel.metricsRect();
            EXPECT_LT(change.width() * change.height(), row.width() * row.height() / 10);
            EXPECT_EQ(panel.metricsWork().drawn - work.drawn, 1);
            EXPECT_LE(panel.metricsWork().measured - work.measured, 1);
        }
    };
    for (const Language lang : {Language::en, Language::zh})
        for (const qreal dpr : {1.0, 2.0, 1.5})
            for (const Step& step : steps) {
                SCOPED_TRACE(std::string(step.what) + (lang == Language::en ? " en" : " zh") + " at " +
                             std::to_string(dpr));
                check(lang, dpr, step);
            }
}

TEST(MetricsRow, SameValuesChangeNothing)
{
    testApp();
    AnimationDriver driver;
    DataPanelView panel(driver, [](const QRectF&) {});
    panel.setContent(content(Language::en, 90), 322);
    const MetricsRow::Work work = panel.metricsWork();
    EXPECT_EQ(panel.setContent(content(Language::en, 90), 322), DataPanelView::Change::none);
    EXPECT_TRUE(panel.metricsChange().isEmpty());
    EXPECT_EQ(panel.metricsWork().drawn, work.drawn);
    EXPECT_EQ(panel.metricsWork().measured, work.measured);
}

TEST(MetricsRow, TheViewRepaintsOnlyTheClocksChangedDigits)
{
    for (const Language lang : {Language::en, Language::zh}) {
        SCOPED_TRACE(lang == Language::en ? "en" : "zh");
        HUDRig rig(lang);
        HUDView& view = rig.makeView();
        rig.show();
        rig.engine->focusSeconds = 25 * 60 + 34;
        rig.finishAnimations();
        const QImage shown = rig.render();

        RepaintRecorder recorder;
        view.installEventFilter(&recorder);
        rig.engine->focusSeconds = 25 * 60 + 35;
        rig.settle();
        view.removeEventFilter(&recorder);
        const QRegion differs = differing(shown, rig.render());

        ASSERT_FALSE(differs.isEmpty());
        EXPECT_TRUE((differs - recorder.region).isEmpty());
        const QRect box = recorder.region.boundingRect();
        EXPECT_LT(box.width() * box.height(), 302 * 38 / 10)
            << "repainted " << box.x() << "," << box.y() << " " << box.width() << "x" << box.height();
    }
}

TEST(MetricsRow, ATipCrossFadeRepaintsTheTipsAloneAndEveryPixelThatChanges)
{
    HUDRig rig(Language::en);
    rig.settings->idleOpacity = 1.0;
    HUDView& view = rig.makeView();
    rig.show();
    const std::string shortTip = "Sit tall.";
    const std::string longTip = "Shoulders down, chin back: let the screen come to you, and breathe out slowly.";
    rig.engine->adviceText = shortTip;
    rig.finishAnimations();
    // One line to two and back: the old tip may fade out over a taller or a shorter line.
    for (const std::string& tip : {longTip, shortTip}) {
        SCOPED_TRACE(tip);
        rig.engine->adviceText = tip;
        rig.settle(); // the card is laid out anew: repainted whole once
        QImage shown = rig.render();
        const QRectF card = view.dataPanelRect();
        int frames = 0;
        for (int i = 0; i < 24; ++i) {
            RepaintRecorder recorder;
            view.installEventFilter(&recorder);
            rig.animate(1.0 / 30);
            rig.settle();
            view.removeEventFilter(&recorder);
            const QImage next = rig.render();
            const QRegion differs = differing(shown, next);
            EXPECT_TRUE((differs - recorder.region).isEmpty()) << "frame " << i << " left old pixels";
            if (!recorder.region.isEmpty()) {
                ++frames;
                const QRect box = recorder.region.boundingRect();
                EXPECT_LT(box.height(), card.height() / 2) << "frame " << i << " repainted " << box.height() << " rows";
                EXPECT_GE(box.top(), card.top() + card.height() / 3) << "frame " << i << " reached the headline";
            }
            shown = next;
        }
        EXPECT_GE(frames, 10) << "the fade runs at thirty frames a second";
    }
}
