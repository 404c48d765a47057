// What the user can see and reach: no control hidden under the pet, the welcome bubble
// on top for the pointer too, and clicks taken only where something is drawn.

#include "HUDTestRig.h"

#include "hud/RightClickOverlay.h"

#include <QTest>

#include <algorithm>
#include <cstdlib>

#include <gtest/gtest.h>

using namespace plovane;
using namespace plovane::test;

namespace {

const DiveState kStates[] = {DiveState::flow,     DiveState::research, DiveState::chaos,
                             DiveState::hovering, DiveState::critical, DiveState::resting};

// The button's capsule colour: green for Rest, blue for Work.
bool capsule(QColor c, DiveState state)
{
    if (c.alpha() < 200)
        return false;
    return state == DiveState::resting ? c.blue() > c.green() + 40 && c.blue() > c.red() + 60
                                       : c.green() > c.red() + 60 && c.green() > c.blue() + 30;
}

// Share of the pixels of `r` that look alike in both images (within a little shading).
double alikeShare(const QImage& a, const QImage& b, const QRectF& r)
{
    const QImage x = a.convertToFormat(QImage::Format_ARGB32);
    const QImage y = b.convertToFormat(QImage::Format_ARGB32);
    const QRect area = r.toAlignedRect() & x.rect();
    int alike = 0;
    for (int j = area.top(); j <= area.bottom(); ++j)
        for (int i = area.left(); i <= area.right(); ++i) {
            const QRgb p = x.pixel(i, j), q = y.pixel(i, j);
            const int d = std::max({std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                                    std::abs(qBlue(p) - qBlue(q)), std::abs(qAlpha(p) - qAlpha(q))});
            alike += d <= 40 ? 1 : 0;
        }
    return area.isEmpty() ? 0.0 : static_cast<double>(alike) / (area.width() * area.height());
}

// Clicks the widget the window system would deliver a press at `at` (view coordinates) to.
QWidget* clickAt(HUDView& view, QPointF at)
{
    QWidget* target = view.childAt(at.toPoint());
    if (!target)
        target = &view;
    QTest::mouseClick(target, Qt::LeftButton, {}, target->mapFrom(&view, at.toPoint()));
    return target;
}

} // namespace

TEST(HUDReach, TheWorkAndRestButtonAndTheAdviceStayInSightWhenNoAppHasAnIcon)
{
    for (Language lang : {Language::en, Language::zh}) {
        HUDRig rig(lang);
        rig.settings->idleOpacity = 1.0;
        HUDView& view = rig.makeView();
        rig.show();
        rig.engine->recentApps = std::vector<DiveEngine::RecentApp>{
            {"org.example.noicon", "No icon", "org.example.noicon", "", false}};
        rig.engine->adviceText = lang == Language::zh ? "休息：脚踝各方向转十圈，然后站起来走一走。"
                                                      : "Rest: roll your ankles ten times each way, then walk.";
        for (DiveState state : kStates) {
            rig.engine->state = state;
            rig.engine->o2 = state == DiveState::critical ? 0.0 : 50.0;
            rig.settings->characterID = CharacterID::builtIn(SpriteCharacter::tuffin);
            rig.finishAnimations();
            for (int i = 0; i < 4; ++i) // each frame of the look once: the pet at its widest
                rig.scheduler.advance(0.25);
            rig.finishAnimations();
            const std::string where = std::string(rawValue(state)) + (lang == Language::zh ? " zh" : " en");
            const QRectF advice = view.adviceTextRect();
            const QRectF button = view.actionButtonRect();
            const QImage withPet = rig.render();
            // The same HUD with the pet's pictures gone (a placeholder in the middle of its square).
            rig.settings->characterID = CharacterID::custom("no-such-pack");
            rig.finishAnimations();
            const QImage withoutPet = rig.render();
            ASSERT_EQ(view.adviceTextRect(), advice);

            // The pet's lowest row and its shadow may touch the line's top edge, no more.
            EXPECT_GT(alikeShare(withPet, withoutPet, advice), 0.9) << where << ": advice covered";
            if (state != DiveState::critical && state != DiveState::resting) {
                EXPECT_TRUE(button.isEmpty()) << where;
                continue;
            }
            ASSERT_FALSE(button.isEmpty()) << where;
            const auto isCapsule = [state](QColor c) { return capsule(c, state); };
            const int painted = countPixels(withoutPet, button, isCapsule);
            ASSERT_GT(painted, 0) << where;
            EXPECT_GT(countPixels(withPet, button, isCapsule), painted * 85 / 100) << where << ": button covered";
        }
    }
}

TEST(HUDReach, GotItInCompactModeClosesTheBubbleAndLeavesWorkAndRestAlone)
{
    HUDRig rig(Language::en, /*welcomeAlreadyShown=*/false);
    rig.settings->compactMode = true;
    HUDView& view = rig.makeView();
    rig.show();
    rig.scheduler.advance(1.3);
    rig.finishAnimations();
    ASSERT_TRUE(view.showWelcomeBubble());
    const QRectF button = view.welcomeButtonRect();
    ASSERT_TRUE(view.spriteFrameRect().intersects(button)) << "the case at hand: the button lies over the pet";
    const DiveState before = rig.engine->state.get();

    QWidget* target = clickAt(view, button.center());
    EXPECT_EQ(target, &view) << "the bubble's button is not under the pet's click catcher";
    EXPECT_EQ(rig.engine->state.get(), before);
    EXPECT_FALSE(view.showWelcomeBubble());
    EXPECT_TRUE(rig.settings->hasShownWelcome.get());

    // Gone, the pet takes the click again.
    rig.finishAnimations();
    clickAt(view, view.spriteFrameRect().center());
    EXPECT_EQ(rig.engine->state.get(), DiveState::resting);
}

TEST(HUDReach, ClicksAreTakenOnlyWhereSomethingIsDrawn)
{
    for (bool compact : {false, true}) {
        HUDRig rig;
        rig.settings->idleOpacity = 1.0;
        rig.settings->compactMode = compact;
        HUDView& view = rig.makeView();
        rig.show();
        for (int i = 0; i < 4; ++i)
            rig.scheduler.advance(0.25);
        rig.finishAnimations();
        const QImage image = rig.render().convertToFormat(QImage::Format_ARGB32);
        const QRegion reach = view.interactiveRegion();
        const char* mode = compact ? "compact" : "expanded";

        // Every point that takes clicks has something painted within the width of a shadow.
        int stray = 0;
        for (int y = 0; y < image.height(); y += 3) {
            for (int x = 0; x < image.width(); x += 3) {
                if (!reach.contains(QPoint(x, y)))
                    continue;
                bool near = false;
                for (int dy = -12; dy <= 12 && !near; ++dy)
                    for (int dx = -12; dx <= 12 && !near; ++dx) {
                        const QPoint q(x + dx, y + dy);
                        near = image.rect().contains(q) && qAlpha(image.pixel(q)) > 8;
                    }
                stray += near ? 0 : 1;
            }
        }
        EXPECT_EQ(stray, 0) << mode << ": points that take clicks over nothing drawn";

        // And what is drawn takes them: the pet, the card or the advice label.
        EXPECT_TRUE(reach.contains(view.spriteFrameRect().center().toPoint())) << mode;
        if (compact)
            EXPECT_TRUE(reach.contains(view.compactLabelRect().center().toPoint()));
        else
            EXPECT_TRUE(reach.contains(view.dataPanelRect().center().toPoint()));
    }
}
