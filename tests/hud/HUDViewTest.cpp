#include "HUDTestRig.h"

#include "hud/HUDRules.h"
#include "hud/RightClickOverlay.h"
#include "hud/SpriteStage.h"

#include <QDir>
#include <QFile>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

using namespace plovane;
using namespace plovane::test;

namespace {

enum class Seen { green, orange, red, other };

Seen classify(QColor c)
{
    const int r = c.red(), g = c.green(), b = c.blue();
    if (c.alpha() < 100)
        return Seen::other;
    if (g > r + 30 && g > b + 30)
        return Seen::green;
    if (r > 150 && g > 90 && g < 190 && b < 80 && r > g + 40)
        return Seen::orange;
    if (r > 150 && g < 110 && b < 110)
        return Seen::red;
    return Seen::other;
}

QColor pixel(const QImage& image, QPointF at)
{
    return image.convertToFormat(QImage::Format_ARGB32).pixelColor(at.toPoint());
}

// Rightmost column of the bar's middle row that shows the fill's hue (tick columns skipped).
double measuredFillWidth(const QImage& image, const QRectF& bar, Seen hue)
{
    const QImage img = image.convertToFormat(QImage::Format_ARGB32);
    const int y = static_cast<int>(bar.center().y());
    int rightmost = -1;
    for (int x = static_cast<int>(bar.left()); x < static_cast<int>(bar.right()); ++x)
        if (classify(img.pixelColor(x, y)) == hue)
            rightmost = x;
    return rightmost < 0 ? 0.0 : rightmost + 1 - bar.left();
}

void setO2(DiveEngine& e, double o2) { e.o2 = o2; }

} // namespace

TEST(HUDView, BarFillWidthAndColourAtTheThresholds)
{
    HUDRig rig;
    rig.settings->idleOpacity = 1.0;
    HUDView& view = rig.makeView();
    rig.show();
    struct Case {
        double o2;
        Seen hue;
    };
    for (Case c : {Case{0, Seen::red}, Case{25, Seen::red}, Case{25.1, Seen::orange}, Case{60, Seen::orange},
                   Case{60.1, Seen::green}, Case{100, Seen::green}}) {
        SCOPED_TRACE(c.o2);
        setO2(*rig.engine, c.o2);
        rig.finishAnimations();
        const QImage image = rig.render();
        const QRectF bar = view.healthBarRect();
        EXPECT_DOUBLE_EQ(bar.width(), 48.0);
        EXPECT_DOUBLE_EQ(bar.height(), 6.0);
        const double expected = hud::healthBarFillWidth(c.o2);
        EXPECT_NEAR(measuredFillWidth(image, bar, c.hue), expected, 1.5);
        EXPECT_EQ(classify(pixel(image, QPointF(bar.left() + 1.5, bar.center().y()))), c.hue);
        if (expected < 46) {
            EXPECT_NE(classify(pixel(image, QPointF(bar.left() + expected + 1.5, bar.center().y()))), c.hue);
        }
    }
}

TEST(HUDView, CriticalShowsTheBlinkingBatteryAndARedBarWhateverTheLevel)
{
    HUDRig rig;
    rig.settings->idleOpacity = 1.0;
    HUDView& view = rig.makeView();
    rig.show();
    rig.finishAnimations();
    EXPECT_FALSE(view.batterySymbolShown());
    const QRectF battery = view.batterySymbolRect();
    auto redPixelsIn = [](const QImage& image, const QRectF& r) {
        return countPixels(image, r, [](QColor c) { return classify(c) == Seen::red; });
    };
    const int redBefore = redPixelsIn(rig.render(), battery);

    for (DiveState s : {DiveState::chaos, DiveState::resting, DiveState::hovering}) {
        rig.engine->state = s;
        rig.finishAnimations();
        EXPECT_FALSE(view.batterySymbolShown());
        EXPECT_FALSE(view.criticalPulse());
    }

    rig.engine->state = DiveState::critical;
    setO2(*rig.engine, 80);
    rig.settle();
    EXPECT_TRUE(view.criticalPulse());
    rig.animate(0.8); // top of a blink
    const QImage lit = rig.render();
    EXPECT_TRUE(view.batterySymbolShown());
    EXPECT_GT(redPixelsIn(lit, view.batterySymbolRect()), redBefore + 5);
    const QRectF bar = view.healthBarRect();
    EXPECT_EQ(classify(pixel(lit, QPointF(bar.left() + 30, bar.center().y()))), Seen::red);
    // The blink keeps the animation clock running while critical, and only then.
    EXPECT_TRUE(view.animationDriver().isRunning());

    rig.engine->state = DiveState::resting;
    rig.finishAnimations();
    EXPECT_FALSE(view.criticalPulse());
    EXPECT_FALSE(view.batterySymbolShown());
    EXPECT_FALSE(view.animationDriver().isRunning());
}

TEST(HUDView, OpacityAtIdleHoveredRestingAndCritical)
{
    HUDRig rig;
    rig.settings->idleOpacity = 0.3;
    HUDView& view = rig.makeView();
    rig.show();
    rig.finishAnimations();
    EXPECT_DOUBLE_EQ(view.presentedOpacity(), 0.3);

    QEnterEvent enter(QPointF(10, 10), QPointF(10, 10), QPointF(10, 10));
    QCoreApplication::sendEvent(&view, &enter);
    rig.animate(0.3);
    EXPECT_GT(view.presentedOpacity(), 0.3);
    EXPECT_LT(view.presentedOpacity(), 1.0); // a 0.6 s fade, halfway
    rig.animate(0.4);
    EXPECT_DOUBLE_EQ(view.presentedOpacity(), 1.0);

    rig.engine->state = DiveState::resting;
    rig.finishAnimations();
    EXPECT_DOUBLE_EQ(view.presentedOpacity(), 1.0); // hover beats resting
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(&view, &leave);
    rig.finishAnimations();
    EXPECT_DOUBLE_EQ(view.presentedOpacity(), 0.85);

    rig.engine->state = DiveState::critical;
    rig.finishAnimations();
    EXPECT_DOUBLE_EQ(view.presentedOpacity(), 1.0);

    rig.engine->state = DiveState::flow;
    setO2(*rig.engine, 19.9);
    rig.finishAnimations();
    EXPECT_DOUBLE_EQ(view.presentedOpacity(), 1.0);
    setO2(*rig.engine, 20.0);
    rig.finishAnimations();
    EXPECT_DOUBLE_EQ(view.presentedOpacity(), 0.3);

    // The pet's own hover also brings the HUD to full strength, and zooms the pet.
    QEnterEvent onPet(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
    QCoreApplication::sendEvent(view.clickOverlay(), &onPet);
    rig.finishAnimations();
    EXPECT_TRUE(view.isSpriteHovering());
    EXPECT_DOUBLE_EQ(view.presentedOpacity(), 1.0);
}

// Enter and leave events go missing around menus and windows mapped over the pointer:
// the look follows the pointer's real place instead.
TEST(HUDView, HoverLookEndsWhereThePointerIsFoundElsewhereWithoutALeave)
{
    HUDRig rig;
    rig.settings->idleOpacity = 0.3;
    HUDView& view = rig.makeView();
    rig.show();
    auto hoverPet = [&] {
        QEnterEvent onView(QPointF(10, 10), QPointF(10, 10), QPointF(10, 10));
        QCoreApplication::sendEvent(&view, &onView);
        QEnterEvent onPet(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
        QCoreApplication::sendEvent(view.clickOverlay(), &onPet);
        ASSERT_TRUE(view.isHovering() && view.isSpriteHovering());
    };
    hoverPet();
    QTest::qWait(400);
    EXPECT_TRUE(view.isSpriteHovering()) << "the pointer is still over the pet";

    // Over the panel beside the pet: the pet shrinks back, the panel stays at full strength.
    rig.pointer = view.mapToGlobal(QPoint(4, 4));
    QTest::qWait(400);
    EXPECT_FALSE(view.isSpriteHovering());
    EXPECT_TRUE(view.isHovering());

    // Far away: the idle look.
    rig.pointer = view.mapToGlobal(QPoint(-600, -400));
    QTest::qWait(400);
    EXPECT_FALSE(view.isHovering());
    rig.finishAnimations();
    EXPECT_DOUBLE_EQ(view.presentedOpacity(), 0.3);

    // Under Xwayland the X server keeps the pointer's last place, over the pet, while it is
    // over a native window: it says the pointer is over none of its windows.
    rig.pointer.reset();
    hoverPet();
    rig.pointerOffDisplay = true;
    QTest::qWait(400);
    EXPECT_FALSE(view.isHovering() || view.isSpriteHovering());

    // Hidden under the pointer, the panel is no longer hovered either.
    rig.pointerOffDisplay = false;
    hoverPet();
    view.hide();
    QTest::qWait(400);
    EXPECT_FALSE(view.isHovering() || view.isSpriteHovering());
}

TEST(HUDView, SpriteFramesCycleOverFourFramesEveryQuarterSecond)
{
    HUDRig rig;
    HUDView& view = rig.makeView();
    rig.show();
    ASSERT_EQ(view.spriteFrameCount(), 4) << "tuffin's deep_dive look has four frames";
    EXPECT_EQ(view.spriteFrame(), 0);
    std::vector<int> seen;
    for (int i = 0; i < 5; ++i) {
        rig.scheduler.advance(0.25);
        seen.push_back(view.spriteFrame());
    }
    EXPECT_EQ(seen, (std::vector<int>{1, 2, 3, 0, 1}));
    EXPECT_NE(view.floatingSpritePath().find("sprite_deep_dive_32_2.png"), std::string::npos);

    // Another look restarts at its first frame with its own count.
    rig.engine->state = DiveState::research;
    rig.settle();
    EXPECT_EQ(view.spriteFrame(), 0);
    EXPECT_EQ(view.spriteFrameCount(), 3);
    rig.scheduler.advance(0.75);
    EXPECT_EQ(view.spriteFrame(), 0);
}

TEST(HUDView, AFramesRepaintRoomCoversItsShadowAndGlow)
{
    // A sprite frame repaints only the area that changed plus this spill: whatever a
    // frame draws (its shadow, or the red glow on low oxygen) must stay inside it.
    HUDRig rig;
    AnimationDriver driver;
    SpriteStage stage(rig.scheduler, driver, rig.images, [](const QRectF&, bool) {});
    stage.setShown(true);
    const QRectF square(100, 100, SpriteStage::kSide, SpriteStage::kSide);
    for (const char* look : {"hovering", "deep_dive", "flow", "resting"}) {
        stage.setLook(CharacterID::builtIn(SpriteCharacter::tuffin), look, false);
        for (int frame = 0; frame < std::max(1, stage.frameCount()); ++frame) {
            for (const double glow : {0.0, 0.85}) {
                QImage canvas(360, 360, QImage::Format_ARGB32_Premultiplied);
                canvas.fill(Qt::transparent);
                {
                    QPainter p(&canvas);
                    stage.paint(p, square, glow);
                }
                QRect drawn;
                for (int y = 0; y < canvas.height(); ++y)
                    for (int x = 0; x < canvas.width(); ++x)
                        if (qAlpha(canvas.pixel(x, y)) > 0)
                            drawn |= QRect(x, y, 1, 1);
                ASSERT_FALSE(drawn.isEmpty());
                EXPECT_TRUE((square + SpriteStage::spill(glow > 0.0)).contains(QRectF(drawn)))
                    << look << " frame " << frame << " glow " << glow;
            }
            rig.scheduler.advance(SpriteStage::kFramePeriod);
        }
    }
}

TEST(HUDView, StillOnlySpriteNeverAdvancesAndTheClockSleeps)
{
    HUDRig rig;
    // A custom character that is not on disk: no frames, no stills.
    rig.settings->characterID = CharacterID::custom("nonexistent-pack");
    HUDView& view = rig.makeView();
    rig.show();
    EXPECT_EQ(view.spriteFrameCount(), 0);
    EXPECT_FALSE(view.frameClockRunning());
    rig.scheduler.advance(2.0);
    EXPECT_EQ(view.spriteFrame(), 0);
    // Nothing on disk: the deep-dive still is asked for, shows the placeholder and is not cached.
    EXPECT_NE(view.floatingSpritePath().find("sprite_deep_dive_32.png"), std::string::npos);
    EXPECT_TRUE(view.getSpriteImage(view.floatingSpritePath()).isNull());
    EXPECT_FALSE(view.spriteImages().contains(view.floatingSpritePath()));
    const QImage image = rig.render();
    const int painted = countPixels(image, view.spriteFrameRect(), [](QColor c) { return c.alpha() > 60; }, 2);
    EXPECT_GT(painted, 20) << "the placeholder symbol stands in for the missing sprite";
}

TEST(HUDView, SpriteImagesAreDecodedOncePerPath)
{
    HUDRig rig;
    HUDView& view = rig.makeView();
    const std::string path = view.floatingSpritePath();
    const QImage first = view.getSpriteImage(path);
    ASSERT_FALSE(first.isNull());
    EXPECT_EQ(view.spriteImages().fileCount(), 1u);
    EXPECT_EQ(view.getSpriteImage(path).cacheKey(), first.cacheKey());
    EXPECT_EQ(view.spriteImages().fileCount(), 1u);
}

TEST(HUDView, AFrameDeletedWhileRunningShowsTheStillAndARewrittenOneShowsAnew)
{
    QTemporaryDir data;
    qputenv("XDG_DATA_HOME", data.path().toUtf8());
    const QString folder = data.path() + "/Plovane/Sprites/pack/";
    QDir().mkpath(folder);
    auto write = [&](const QString& name, QColor colour, int second) {
        QImage image(32, 32, QImage::Format_ARGB32);
        image.fill(colour);
        ASSERT_TRUE(image.save(folder + name, "PNG"));
        const timespec t{1577836800 + second, 0};
        const timespec times[2] = {t, t};
        ASSERT_EQ(utimensat(AT_FDCWD, (folder + name).toLocal8Bit().constData(), times, 0), 0);
    };
    write("sprite_deep_dive_32.png", Qt::blue, 1);
    for (int i = 1; i <= 4; ++i)
        write(QString("sprite_deep_dive_32_%1.png").arg(i), Qt::red, 1);

    HUDRig rig;
    rig.settings->idleOpacity = 1.0;
    rig.settings->characterID = CharacterID::custom("pack");
    HUDView& view = rig.makeView();
    rig.show();
    rig.finishAnimations();
    ASSERT_EQ(view.spriteFrameCount(), 4);
    auto shown = [&] { return classify(pixel(rig.render(), view.spriteFrameRect().center())); };
    EXPECT_EQ(shown(), Seen::red);

    rig.scheduler.advance(0.25); // frame 2
    QFile::remove(folder + "sprite_deep_dive_32_3.png");
    write("sprite_deep_dive_32_1.png", Qt::green, 2);
    rig.scheduler.advance(0.25); // frame 3 is gone: the still shows at that tick
    EXPECT_NE(view.floatingSpritePath().find("sprite_deep_dive_32.png"), std::string::npos);
    EXPECT_EQ(classify(pixel(rig.render(), view.spriteFrameRect().center())), Seen::other) << "blue still";
    EXPECT_GT(pixel(rig.render(), view.spriteFrameRect().center()).blue(), 200);
    rig.scheduler.advance(0.25); // frame 4
    EXPECT_EQ(shown(), Seen::red);
    rig.scheduler.advance(0.25); // frame 1, rewritten
    EXPECT_EQ(view.spriteFrame(), 0);
    EXPECT_EQ(shown(), Seen::green);
}

TEST(HUDView, CompactModeHidesThePanelAndShowsTheAdviceLabel)
{
    HUDRig rig;
    rig.settings->idleOpacity = 1.0;
    HUDView& view = rig.makeView();
    rig.show();
    rig.finishAnimations();
    const QRectF card = view.dataPanelRect();
    const QImage expanded = rig.render();
    EXPECT_TRUE(view.showDataPanel());
    EXPECT_GT(pixel(expanded, card.topLeft() + QPointF(20, 20)).alpha(), 100);

    rig.settings->compactMode = true;
    rig.settle();
    rig.animate(0.1);
    EXPECT_FALSE(view.showDataPanel());
    rig.animate(3.0);
    const QImage compact = rig.render();
    EXPECT_EQ(pixel(compact, card.topLeft() + QPointF(20, 20)).alpha(), 0);
    // The pet moves to the leading side and the label sits beside its lower part.
    EXPECT_LT(view.spriteFrameRect().left(), card.center().x());
    EXPECT_GT(view.compactLabelRect().bottom(), view.spriteFrameRect().center().y());
    EXPECT_FALSE(view.petShape().intersects(view.compactLabelRect().toAlignedRect()));
    EXPECT_GT(pixel(compact, view.compactLabelRect().center()).alpha(), 100);
}

TEST(HUDView, WelcomeBubbleComesAfterOnePointTwoSecondsUntilDismissed)
{
    HUDRig rig(Language::en, /*welcomeAlreadyShown=*/false);
    HUDView& view = rig.makeView();
    rig.show();
    rig.scheduler.advance(1.1);
    EXPECT_FALSE(view.showWelcomeBubble());
    rig.scheduler.advance(0.1);
    EXPECT_TRUE(view.showWelcomeBubble());
    rig.finishAnimations();
    EXPECT_FALSE(rig.settings->hasShownWelcome.get());

    // Its button dismisses it for good.
    const QPointF button = view.welcomeButtonRect().center();
    QTest::mouseClick(&view, Qt::LeftButton, {}, button.toPoint());
    EXPECT_FALSE(view.showWelcomeBubble());
    EXPECT_TRUE(rig.settings->hasShownWelcome.get());
    // A second press finds it gone and changes nothing.
    rig.defaults->clearWrites();
    view.dismissWelcome();
    EXPECT_TRUE(rig.defaults->writes().empty());

    // The next launch never schedules it.
    rig.view.reset();
    HUDView& again = rig.makeView();
    rig.show();
    rig.scheduler.advance(5.0);
    EXPECT_FALSE(again.showWelcomeBubble());
}

TEST(HUDView, BadgesStackKnockAboveMusicAndOnlyWhileRaised)
{
    HUDRig rig;
    HUDView& view = rig.makeView();
    rig.show();
    rig.finishAnimations();
    EXPECT_FALSE(view.animationDriver().isRunning());

    rig.engine->isMusicPlaying = true;
    rig.finishAnimations();
    const QRectF musicAlone = view.musicBadgeRect();
    EXPECT_TRUE(view.animationDriver().isRunning()) << "the badge bobs";

    rig.engine->knockHintVisible = true;
    rig.finishAnimations();
    EXPECT_LT(view.knockBadgeRect().bottom(), view.musicBadgeRect().top() + 0.5);
    EXPECT_GT(view.musicBadgeRect().top(), musicAlone.top());
    // Both near the top-right corner, right-aligned.
    EXPECT_NEAR(view.knockBadgeRect().right(), view.musicBadgeRect().right(), 0.5);
    EXPECT_GT(view.knockBadgeRect().left(), view.width() / 2.0);

    // Hidden, nothing runs; shown again, the bob goes on.
    view.hide();
    EXPECT_FALSE(view.animationDriver().isRunning());
    EXPECT_FALSE(view.frameClockRunning());
    view.show();
    EXPECT_TRUE(view.animationDriver().isRunning());
    EXPECT_TRUE(view.frameClockRunning());

    rig.engine->knockHintVisible = false;
    rig.engine->isMusicPlaying = false;
    rig.finishAnimations();
    EXPECT_FALSE(view.animationDriver().isRunning()) << "no badge, no timer";
}

TEST(HUDView, LeftClickOnThePetTogglesWorkAndRestAndTheButtonDoesToo)
{
    HUDRig rig;
    HUDView& view = rig.makeView();
    rig.show();
    RightClickOverlay* overlay = view.clickOverlay();
    ASSERT_NE(overlay, nullptr);
    EXPECT_EQ(overlay->geometry(), view.spriteFrameRect().toAlignedRect());

    QTest::mousePress(overlay, Qt::LeftButton, {}, QPoint(80, 80));
    EXPECT_EQ(rig.engine->state.get(), DiveState::resting);
    QTest::mouseRelease(overlay, Qt::LeftButton, {}, QPoint(80, 80));
    rig.finishAnimations();

    // Resting: the data panel offers "Work".
    const QRectF button = view.actionButtonRect();
    ASSERT_FALSE(button.isEmpty());
    QTest::mouseClick(&view, Qt::LeftButton, {}, button.center().toPoint());
    EXPECT_NE(rig.engine->state.get(), DiveState::resting);
    rig.finishAnimations();
    EXPECT_TRUE(view.actionButtonRect().isEmpty());

    // A right press reports the press's own screen position.
    QPoint reported;
    overlay->onRightClick = [&](QPoint at) { reported = at; };
    QTest::mousePress(overlay, Qt::RightButton, {}, QPoint(30, 40));
    EXPECT_EQ(reported, overlay->mapToGlobal(QPoint(30, 40)));
}

TEST(HUDView, IdleRepaintsStaySmall)
{
    HUDRig rig;
    HUDView& view = rig.makeView();
    rig.show();
    rig.finishAnimations();

    // Draining by a tenth moves the bar by a twentieth of a point: no animation for that.
    rig.engine->o2 = 99.9;
    rig.settle();
    EXPECT_FALSE(view.animationDriver().isRunning());
    // A real step glides.
    rig.engine->o2 = 50.0;
    rig.settle();
    EXPECT_TRUE(view.animationDriver().isRunning());
    rig.finishAnimations();

    // The SHIFT clock alone touches only the metrics row of the card.
    AnimationDriver driver;
    DataPanelView panel(driver, [](const QRectF&) {});
    DataPanelView::Content c;
    c.statusTitle = "In the Zone";
    c.advice = "Sit tall.";
    c.noiseText = "Zen";
    EXPECT_EQ(panel.setContent(c, 322), DataPanelView::Change::card);
    EXPECT_EQ(panel.setContent(c, 322), DataPanelView::Change::none);
    c.focusSeconds = 61;
    EXPECT_EQ(panel.setContent(c, 322), DataPanelView::Change::metrics);
    // A new tip of the same size cross-fades in place; one that takes another line
    // changes the card's size.
    c.advice = "Stand up.";
    EXPECT_EQ(panel.setContent(c, 322), DataPanelView::Change::texts);
    const QSizeF oneLine = panel.size();
    c.advice = "Stand up, walk to the window and look at something far away for a while.";
    EXPECT_EQ(panel.setContent(c, 322), DataPanelView::Change::card);
    EXPECT_GT(panel.size().height(), oneLine.height());
    EXPECT_TRUE(QRectF(QPointF(0, 0), panel.size()).contains(panel.metricsRect()));
}

TEST(HUDView, CardFollowsStateAfterItHasBeenKeptAsAnImage)
{
    HUDRig rig;
    rig.settings->idleOpacity = 1.0;
    HUDView& view = rig.makeView();
    rig.show();
    auto buttonHue = [&] {
        const QImage image = rig.render();
        const QRectF b = view.actionButtonRect();
        // Left of the symbol, inside the capsule.
        return pixel(image, QPointF(b.left() + 4, b.center().y()));
    };
    rig.engine->state = DiveState::critical;
    rig.finishAnimations();
    rig.render(); // kept as an image now
    const QColor rest = buttonHue();
    EXPECT_GT(rest.green(), rest.blue() + 40) << "green Rest button";

    rig.engine->state = DiveState::resting;
    rig.finishAnimations();
    const QColor work = buttonHue();
    EXPECT_GT(work.blue(), work.green() + 40) << "blue Work button";

    // A longer tip grows the card; its image grows with it.
    rig.engine->state = DiveState::flow;
    rig.engine->adviceText = "Short.";
    rig.finishAnimations();
    rig.render();
    const double shortHeight = view.dataPanelRect().height();
    rig.engine->adviceText = "A much longer piece of advice that certainly needs two lines of the card to be shown.";
    rig.finishAnimations();
    EXPECT_GT(view.dataPanelRect().height(), shortHeight);
    const QRectF card = view.dataPanelRect();
    EXPECT_GT(pixel(rig.render(), QPointF(card.left() + 30, card.bottom() - 4)).alpha(), 100);
}

namespace {
// The screen as the view's paint events leave it: each painted area is cleared and
// painted again, as a translucent window's backing store does, in the state the view is
// in when that paint comes.
class PaintedScreen : public QObject {
public:
    PaintedScreen(HUDView& view, QImage start) : view_(view), image_(std::move(start)) { view_.installEventFilter(this); }
    ~PaintedScreen() override { view_.removeEventFilter(this); }
    const QImage& image() const { return image_; }
    // The whole view painted afresh.
    QImage whole()
    {
        replaying_ = true; // its paint is not the screen's
        QImage image(view_.size(), QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        view_.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
        replaying_ = false;
        return image;
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched != &view_ || event->type() != QEvent::Paint || replaying_)
            return false;
        replaying_ = true;
        for (const QRect& area : static_cast<QPaintEvent*>(event)->region()) {
            QPainter clear(&image_);
            clear.setCompositionMode(QPainter::CompositionMode_Clear);
            clear.fillRect(area, Qt::transparent);
            clear.end();
            view_.render(&image_, area.topLeft(), QRegion(area), QWidget::DrawChildren);
        }
        replaying_ = false;
        return false;
    }

private:
    HUDView& view_;
    QImage image_;
    bool replaying_{false};
};

int differingPixels(const QImage& a, const QImage& b)
{
    const QImage x = a.convertToFormat(QImage::Format_ARGB32), y = b.convertToFormat(QImage::Format_ARGB32);
    int n = 0;
    for (int row = 0; row < x.height(); ++row)
        for (int col = 0; col < x.width(); ++col)
            n += x.pixel(col, row) != y.pixel(col, row);
    return n;
}
} // namespace

TEST(HUDView, ALanguageSwitchRepaintsWhatAFullRepaintWould)
{
    enum class Look { dimmed, compact, critical };
    for (const Look look : {Look::dimmed, Look::compact, Look::critical}) {
        SCOPED_TRACE(static_cast<int>(look));
        HUDRig rig(Language::en, /*welcomeAlreadyShown=*/false);
        rig.settings->compactMode = look == Look::compact;
        if (look == Look::critical)
            rig.engine->state = DiveState::critical;
        HUDView& view = rig.makeView();
        rig.show();
        rig.scheduler.advance(1.2);
        rig.finishAnimations();
        ASSERT_TRUE(view.showWelcomeBubble());
        if (look != Look::critical) {
            ASSERT_LT(view.presentedOpacity(), 1.0) << "the pointer is away: dimmed";
        }

        // Both ways, each frame painted only where the view asks to be.
        PaintedScreen screen(view, rig.render());
        for (const Language lang : {Language::zh, Language::en}) {
            rig.language->language = lang;
            for (int frame = 0; frame < 45; ++frame) {
                rig.settle();
                rig.animate(1.0 / 30);
            }
            rig.settle();
            EXPECT_EQ(differingPixels(screen.image(), screen.whole()), 0) << "stale pixels after switching to "
                                                                       << (lang == Language::zh ? "zh" : "en");
        }
    }
}

namespace {

// A screen that is blanked and lit by hand.
struct FakeScreen : ScreenWatch {
    bool seen{true};
    bool screenSeen() const override { return seen; }
    void set(bool on)
    {
        seen = on;
        changed.emit();
    }
};

struct PaintCount : QObject {
    std::vector<QRegion> regions;
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() == QEvent::Paint)
            regions.push_back(static_cast<QPaintEvent*>(e)->region());
        return false;
    }
};

// With the screen unseen: twelve of the engine's seconds with a new tip paint and animate
// nothing; seen again, the whole view is painted at once and the pet moves on.
void expectStillUntilSeen(HUDRig& rig, FakeScreen& screen, PaintCount& paints)
{
    HUDView& view = *rig.view;
    EXPECT_FALSE(view.isSeen());
    EXPECT_FALSE(view.animationDriver().isRunning());
    EXPECT_FALSE(view.frameClockRunning());
    // The engine's second goes on, and so does the view's following it: a new tip, the
    // clock, the gauge. Nothing of it is painted.
    rig.engine->start();
    rig.engine->adviceText = "A tip nobody sees fade in.";
    for (int second = 0; second < 12; ++second) {
        rig.scheduler.advance(1.0);
        rig.settle();
    }
    EXPECT_TRUE(paints.regions.empty());
    EXPECT_FALSE(view.animationDriver().isRunning());

    screen.set(true);
    rig.settle();
    EXPECT_TRUE(view.isSeen());
    ASSERT_FALSE(paints.regions.empty());
    QRegion painted;
    for (const QRegion& r : paints.regions)
        painted += r;
    EXPECT_EQ(painted, QRegion(view.rect()));
    EXPECT_TRUE(view.animationDriver().isRunning());
    EXPECT_TRUE(view.frameClockRunning());
    rig.engine->stop();
}

} // namespace

TEST(HUDView, NothingIsAnimatedOrPaintedWhileNobodyCanSeeTheScreen)
{
    FakeScreen screen;
    PaintCount paints;
    HUDRig rig;
    rig.screenWatch = &screen;
    rig.engine->isMusicPlaying = true; // a badge that bobs for as long as it shows
    HUDView& view = rig.makeView();
    rig.show();
    rig.finishAnimations();
    ASSERT_TRUE(view.isSeen());
    ASSERT_TRUE(view.animationDriver().isRunning());
    ASSERT_TRUE(view.frameClockRunning());

    view.installEventFilter(&paints);
    view.update();
    rig.settle();
    ASSERT_FALSE(paints.regions.empty()) << "the view paints while seen";
    paints.regions.clear();

    screen.set(false); // blanked, off or locked
    expectStillUntilSeen(rig, screen, paints);
    view.removeEventFilter(&paints);
}

// Started, or shown from the menu, while the screen is already blanked or locked.
TEST(HUDView, AViewShownOnAnUnseenScreenStaysStillUntilSeen)
{
    FakeScreen screen;
    screen.seen = false;
    PaintCount paints;
    HUDRig rig;
    rig.screenWatch = &screen;
    rig.engine->isMusicPlaying = true;
    HUDView& view = rig.makeView();
    view.installEventFilter(&paints);
    rig.show();
    rig.animate(0.5);
    expectStillUntilSeen(rig, screen, paints);
    view.removeEventFilter(&paints);
}
