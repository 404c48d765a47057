// The two stand-alone oxygen gauges: their thresholds, fill, pulse, wave and bubbles, and
// a gallery of both at the levels that matter.

#include "HUDTestRig.h"

#include "hud/HorizontalOxygenBarView.h"
#include "hud/OxygenBarView.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QPainter>

#include <cmath>
#include <numbers>

using namespace plovane;
using namespace plovane::test;

namespace {

// Each gauge on its own clock, moved by hand.
template <typename Gauge>
struct Staged {
    bool app = (testApp(), true);
    double time = 100.0;
    Gauge gauge;
    explicit Staged(double value, QSize size) : gauge(value)
    {
        gauge.animationDriver().setTimeSource([this] { return time; });
        gauge.setAttribute(Qt::WA_DontShowOnScreen);
        gauge.resize(size);
        gauge.show();
    }
    void run(double seconds)
    {
        for (double t = 0; t < seconds; t += 0.05) {
            time += 0.05;
            gauge.animationDriver().tick();
        }
    }
    // The gauge over the HUD's slate, at `scale` pixels per point.
    QImage image(double scale = 1.0)
    {
        QImage out(gauge.size() * scale, QImage::Format_ARGB32_Premultiplied);
        out.setDevicePixelRatio(scale);
        out.fill(QColor(58, 64, 80));
        gauge.render(&out, QPoint(), QRegion(), QWidget::DrawChildren);
        return out;
    }
};

bool isColor(QColor c, QColor want) { return std::abs(c.red() - want.red()) < 40 && std::abs(c.green() - want.green()) < 40 && std::abs(c.blue() - want.blue()) < 40; }

} // namespace

TEST(OxygenGauges, ThresholdsAndClamping)
{
    EXPECT_EQ(oxygen::fillColor(oxygen::clamped(-5)), oxygen::standardRed());
    EXPECT_EQ(oxygen::fillColor(19.9), oxygen::standardRed());
    EXPECT_EQ(oxygen::fillColor(20), oxygen::standardYellow());
    EXPECT_EQ(oxygen::fillColor(44.99), oxygen::standardYellow());
    EXPECT_EQ(oxygen::fillColor(45), oxygen::standardGreen());
    EXPECT_DOUBLE_EQ(oxygen::clamped(140), 100.0);
    EXPECT_DOUBLE_EQ(oxygen::clamped(-3), 0.0);
    EXPECT_TRUE(oxygen::isCritical(19.99));
    EXPECT_FALSE(oxygen::isCritical(20));
}

TEST(OxygenGauges, HorizontalFillEasesAndPulsesWhileCritical)
{
    Staged<HorizontalOxygenBarView> s(30, QSize(200, 12));
    EXPECT_DOUBLE_EQ(s.gauge.presentedFillWidth(), 60.0);
    EXPECT_EQ(s.gauge.fillColor(), oxygen::standardYellow());
    EXPECT_FALSE(s.gauge.criticalOverlayShown());
    QImage img = s.image();
    EXPECT_TRUE(isColor(img.pixelColor(30, 6), oxygen::standardYellow()));
    EXPECT_FALSE(isColor(img.pixelColor(100, 6), oxygen::standardYellow()));

    s.gauge.setValue(50);
    s.run(0.4);
    EXPECT_DOUBLE_EQ(s.gauge.presentedFillWidth(), 100.0);
    // 50 → 10: eases over 0.35 s to a tenth, turns red, and the overlay pulses at once.
    s.gauge.setValue(10);
    EXPECT_TRUE(s.gauge.criticalOverlayShown());
    s.run(0.15);
    EXPECT_GT(s.gauge.presentedFillWidth(), 20.0);
    EXPECT_LT(s.gauge.presentedFillWidth(), 100.0);
    s.run(0.25);
    EXPECT_DOUBLE_EQ(s.gauge.presentedFillWidth(), 20.0);
    EXPECT_GT(s.gauge.pulseOpacity(), 0.3); // on its way up
    s.run(0.2); // at the top of its swing, 0.6 s in
    EXPECT_NEAR(s.gauge.pulseOpacity(), 0.8, 0.05);
    s.run(0.6);
    EXPECT_NEAR(s.gauge.pulseOpacity(), 0.2, 0.05);
    // Critical again after a calm spell: it pulses again.
    s.gauge.setValue(60);
    s.run(0.5);
    s.gauge.setValue(5);
    s.run(0.6);
    EXPECT_NEAR(s.gauge.pulseOpacity(), 0.8, 0.05);

    // At 0 or below nothing but the track shows.
    s.gauge.setValue(-10);
    s.run(0.5);
    EXPECT_DOUBLE_EQ(s.gauge.presentedFillWidth(), 0.0);
    img = s.image();
    EXPECT_FALSE(isColor(img.pixelColor(3, 6), oxygen::standardRed()));
    // Hidden, it costs nothing.
    s.gauge.hide();
    EXPECT_FALSE(s.gauge.animationDriver().isRunning());
}

TEST(OxygenGauges, WaveOutlineWorkedExample)
{
    const QPainterPath path = WaveShape{0, 50}.path(QRectF(0, 0, 20, 60));
    ASSERT_GE(path.elementCount(), 23);
    auto at = [&](int i) { return QPointF(path.elementAt(i).x, path.elementAt(i).y); };
    // The surface, one point per point of width (x = 0 is where the outline starts).
    auto surface = [&](double x) {
        for (int i = 1; i < path.elementCount(); ++i)
            if (at(i).x() == x && at(i).y() < 30)
                return at(i).y();
        return x == 0 ? at(0).y() : -1.0;
    };
    EXPECT_EQ(at(0), QPointF(0, 10));
    EXPECT_NEAR(surface(5), 12.5, 1e-9);
    EXPECT_NEAR(surface(10), 10, 1e-9);
    EXPECT_NEAR(surface(15), 7.5, 1e-9);
    EXPECT_NEAR(surface(20), 10, 1e-9);
    EXPECT_TRUE(path.contains(QPointF(19.5, 59.5)));
    EXPECT_TRUE(path.contains(QPointF(0.5, 59.5)));
    EXPECT_FALSE(path.contains(QPointF(5, 12)));
    EXPECT_TRUE(path.contains(QPointF(15, 8)));
    // Under 5 points of liquid the top is flat.
    const QRectF flat = WaveShape{1.0, 4.9}.path(QRectF(0, 0, 20, 60)).boundingRect();
    EXPECT_NEAR(flat.top(), 60 - 4.9, 1e-9);
    EXPECT_NEAR(flat.height(), 4.9, 1e-9);
}

TEST(OxygenGauges, BubblesRiseSwayAndRestartAboveTheLiquid)
{
    std::mt19937 random(7);
    std::vector<Bubble> bubbles(3);
    bubbles[0].x = 0.5, bubbles[0].y = 10, bubbles[0].speed = 2;
    bubbles[1].x = 0.5, bubbles[1].y = 48, bubbles[1].speed = 2; // ends exactly at the level
    bubbles[2].x = 0.5, bubbles[2].y = 49, bubbles[2].speed = 2, bubbles[2].scale = 1.3, bubbles[2].opacity = 0.3;
    OxygenBarView::updateBubbles(bubbles, 100, 50, random);
    EXPECT_DOUBLE_EQ(bubbles[0].y, 12);
    EXPECT_NEAR(bubbles[0].x, 0.505646, 1e-6);
    EXPECT_DOUBLE_EQ(bubbles[1].y, 50); // equal to the level: keeps rising
    EXPECT_DOUBLE_EQ(bubbles[2].y, 0);  // above it: back to the bottom
    EXPECT_GE(bubbles[2].x, 0.2);
    EXPECT_LE(bubbles[2].x, 0.8);
    EXPECT_GE(bubbles[2].speed, 1.0);
    EXPECT_LE(bubbles[2].speed, 3.0);
    EXPECT_DOUBLE_EQ(bubbles[2].scale, 1.3);
    EXPECT_DOUBLE_EQ(bubbles[2].opacity, 0.3);

    // With no liquid every bubble restarts on every tick.
    OxygenBarView::updateBubbles(bubbles, 100, 0, random);
    for (const Bubble& b : bubbles)
        EXPECT_DOUBLE_EQ(b.y, 0);
}

TEST(OxygenGauges, VerticalGaugeAnimatesOnlyWhileShown)
{
    Staged<OxygenBarView> s(60, QSize(72, 220));
    s.gauge.seedRandom(3);
    EXPECT_EQ(s.gauge.bubbles().size(), 8u);
    EXPECT_TRUE(s.gauge.animationDriver().isRunning());
    const double before = s.gauge.phase();
    s.run(0.5);
    EXPECT_NEAR(s.gauge.phase() - before, std::numbers::pi / 2, 0.2);
    s.run(1.5);
    EXPECT_LT(s.gauge.phase(), 0.2); // a full turn in 2 s, without a jump
    const double fill = s.gauge.tubeRect().height() * 0.6;
    for (const Bubble& b : s.gauge.bubbles())
        EXPECT_LE(b.y, fill + 3.0);
    s.gauge.hide();
    EXPECT_FALSE(s.gauge.animationDriver().isRunning());
    s.gauge.show();
    EXPECT_EQ(s.gauge.bubbles().size(), 8u); // showing again adds no second set
}

TEST(OxygenGauges, BubblesStayInsideTheRoundedLiquid)
{
    // Low in the tube the bubbles restart at the bottom all the time; the corners below the
    // liquid's rounded end, outside it, must show the glass alone in every frame.
    Staged<OxygenBarView> v(10, QSize(72, 220));
    v.gauge.seedRandom(5);
    const QRectF tube = v.gauge.tubeRect();
    const double r = tube.width() / 2;
    const QPointF centre(tube.center().x(), tube.bottom() - r);
    constexpr double kScale = 2.0;
    std::vector<QPoint> corner;
    for (int y = int((tube.bottom() - r) * kScale); y < int(tube.bottom() * kScale); ++y)
        for (int x = int(tube.left() * kScale); x < int(tube.right() * kScale); ++x)
            if (std::hypot(x / kScale - centre.x(), y / kScale - centre.y()) > r + 1.0)
                corner.push_back({x, y});
    ASSERT_GT(corner.size(), 20u);
    const QImage first = v.image(kScale);
    int changed = 0;
    for (int frame = 0; frame < 60; ++frame) {
        v.run(0.05);
        const QImage now = v.image(kScale);
        for (const QPoint& at : corner)
            changed += now.pixel(at) != first.pixel(at);
    }
    EXPECT_EQ(changed, 0);
}

namespace {

// A sheet of pictures drawn at twice their size, with captions big enough to read.
struct Sheet {
    static constexpr double kScale = 2.0;
    QImage image;
    QPainter p;
    explicit Sheet(QSize points) : image(points * kScale, QImage::Format_ARGB32_Premultiplied)
    {
        image.setDevicePixelRatio(kScale);
        image.fill(QColor(58, 64, 80)); // the slate the gauges are drawn over
        p.begin(&image);
        p.setRenderHint(QPainter::Antialiasing, true);
        p.setRenderHint(QPainter::SmoothPixmapTransform, true);
    }
    void text(const QRectF& r, const QString& t, int pixels, Qt::Alignment align = Qt::AlignCenter,
              QColor c = Qt::white)
    {
        QFont f = QGuiApplication::font();
        f.setPixelSize(pixels);
        p.setFont(f);
        p.setPen(c);
        p.drawText(r, align | Qt::AlignVCenter, t);
    }
    void heading(double y, const QString& t) { text(QRectF(12, y, 900, 20), t, 14, Qt::AlignLeft, QColor(255, 214, 10)); }
    // `from` (in points of the picture) drawn into `to`.
    void draw(const QRectF& to, const QImage& picture, const QRectF& from)
    {
        const double s = picture.devicePixelRatio();
        p.drawImage(to, picture, QRectF(from.topLeft() * s, from.size() * s));
    }
};

QString seconds(double t) { return QString::number(t, 'f', 2) + " s"; }

} // namespace

// Both gauges at the levels where they change (0, the critical 20, the yellow 45, full),
// the vertical gauge's wave and bubbles over one wave period, and the red pulse of both
// over one swing up and down.
TEST(OxygenGauges, Gallery)
{
    testApp();
    const double levels[] = {0, 10, 19.9, 20, 44.9, 45, 100};
    const char* bars[] = {"track only", "red, pulse", "red, pulse", "yellow", "yellow", "green", "green"};
    constexpr double kColumn = 110;
    Sheet sheet(QSize(7 * kColumn + 20, 900));

    sheet.heading(8, "Vertical gauge at the thresholds (72 × 220 pt; 0.7 s after showing)");
    sheet.heading(322, "Horizontal gauge at the thresholds (90 × 12 pt)");
    for (int i = 0; i < 7; ++i) {
        const double x = 10 + i * kColumn;
        Staged<OxygenBarView> v(levels[i], QSize(72, 220));
        v.gauge.seedRandom(11);
        v.run(0.7);
        const QImage tall = v.image(Sheet::kScale);
        sheet.draw(QRectF(x + (kColumn - 72) / 2, 34, 72, 220), tall, QRectF(0, 0, 72, 220));
        sheet.text(QRectF(x, 258, kColumn, 18), QString::number(levels[i]), 15);
        sheet.text(QRectF(x, 276, kColumn, 16),
                   v.gauge.criticalOverlayShown() ? "critical, tint " + QString::number(v.gauge.pulseOpacity(), 'f', 2)
                                                  : QString("calm"),
                   11, Qt::AlignCenter, v.gauge.criticalOverlayShown() ? QColor(255, 120, 110) : QColor(200, 204, 214));

        Staged<HorizontalOxygenBarView> h(levels[i], QSize(90, 12));
        h.run(0.7);
        const QImage bar = h.image(Sheet::kScale);
        sheet.draw(QRectF(x + (kColumn - 90) / 2, 350, 90, 12), bar, QRectF(0, 0, 90, 12));
        sheet.text(QRectF(x, 366, kColumn, 18), QString::number(levels[i]), 15);
        sheet.text(QRectF(x, 384, kColumn, 16), bars[i], 11, Qt::AlignCenter, QColor(200, 204, 214));

        // What each level must show: the liquid's colour near the bottom of the tube, and
        // the bar's colour at its start.
        const QImage plain = v.image();
        const QRectF tube = v.gauge.tubeRect();
        const QColor bottom = plain.pixelColor(QPointF(tube.center().x(), tube.bottom() - 4).toPoint());
        if (levels[i] == 0) {
            EXPECT_FALSE(isColor(bottom, oxygen::standardRed())) << "no liquid at 0";
        } else {
            EXPECT_GT(bottom.red(), 180) << levels[i];
        }
        const QColor start = h.image().pixelColor(8, 6);
        if (levels[i] > 0) {
            EXPECT_TRUE(isColor(start, oxygen::fillColor(levels[i])) ||
                        (levels[i] < 20 && start.red() > 150 && start.green() < 120))
                << levels[i];
        }
    }

    // The wave: one period is 2 s; the crests travel left, one tube width per period.
    sheet.heading(412, "Wave and bubbles over one period (level 60, top of the liquid, 4 × size, every 0.25 s)");
    {
        Staged<OxygenBarView> v(60, QSize(72, 220));
        v.gauge.seedRandom(5);
        const QRectF tube = v.gauge.tubeRect();
        const double surface = tube.bottom() - tube.height() * 0.6;
        const QRectF crop(tube.left() - 4, surface - 10, tube.width() + 8, 40);
        for (int k = 0; k <= 8; ++k) {
            const double x = 14 + k * 84;
            const QImage frame = v.image(4.0);
            sheet.draw(QRectF(x, 440, crop.width() * 2.5, crop.height() * 2.5), frame, crop);
            sheet.text(QRectF(x - 10, 542, crop.width() * 2.5 + 20, 16), seconds(k * 0.25), 12);
            sheet.text(QRectF(x - 10, 558, crop.width() * 2.5 + 20, 16),
                       "phase " + QString::number(v.gauge.phase() / std::numbers::pi, 'f', 2) + "π", 11,
                       Qt::AlignCenter, QColor(200, 204, 214));
            v.run(0.25);
        }
    }

    // The pulse: the red tint swings 0.2 → 0.8 → 0.2, 0.6 s each way.
    sheet.heading(592, "Critical pulse over one swing (level 10, every 0.15 s): vertical gauge, 3 × size, and bar");
    {
        Staged<OxygenBarView> v(10, QSize(72, 220));
        Staged<HorizontalOxygenBarView> h(10, QSize(90, 12));
        v.gauge.seedRandom(5);
        const QRectF tube = v.gauge.tubeRect();
        const QRectF crop(tube.left() - 4, tube.bottom() - 44, tube.width() + 8, 48);
        for (int k = 0; k <= 8; ++k) {
            const double x = 14 + k * 84;
            sheet.draw(QRectF(x, 620, crop.width() * 2.4, crop.height() * 2.4), v.image(3.0), crop);
            sheet.draw(QRectF(x - 4, 744, 72, 10), h.image(Sheet::kScale), QRectF(0, 0, 90, 12));
            sheet.text(QRectF(x - 10, 760, 88, 16), seconds(k * 0.15), 12);
            sheet.text(QRectF(x - 10, 776, 88, 16), "tint " + QString::number(v.gauge.pulseOpacity(), 'f', 2), 11,
                       Qt::AlignCenter, QColor(255, 120, 110));
            v.run(0.15);
            h.run(0.15);
        }
    }

    // The same swing, large: where the tint stands at its low and its high.
    sheet.heading(812, "Bar at the bottom and the top of the pulse (level 10, 200 × 12 pt)");
    {
        Staged<HorizontalOxygenBarView> h(10, QSize(200, 12));
        sheet.draw(QRectF(20, 842, 200, 12), h.image(Sheet::kScale), QRectF(0, 0, 200, 12));
        sheet.text(QRectF(230, 836, 200, 24), "0.00 s, tint " + QString::number(h.gauge.pulseOpacity(), 'f', 2), 12,
                   Qt::AlignLeft);
        h.run(0.6);
        sheet.draw(QRectF(20, 872, 200, 12), h.image(Sheet::kScale), QRectF(0, 0, 200, 12));
        sheet.text(QRectF(230, 866, 200, 24), "0.60 s, tint " + QString::number(h.gauge.pulseOpacity(), 'f', 2), 12,
                   Qt::AlignLeft);
        EXPECT_NEAR(h.gauge.pulseOpacity(), 0.8, 0.05);
    }
    sheet.p.end();
    saveToGallery(sheet.image, "oxygen-gauges");
}
