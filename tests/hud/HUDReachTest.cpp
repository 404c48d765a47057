// What the user can see and reach: no control hidden under the pet, the welcome bubble
// on top for the pointer too, and clicks taken only where something is drawn.

#include "HUDTestRig.h"

#include "hud/HUDRegions.h"
#include "hud/RightClickOverlay.h"

#include <QDir>
#include <QPainter>
#include <QTemporaryDir>

#include <QTest>

#include <algorithm>
#include <cstdlib>

#include <gtest/gtest.h>

using namespace plovane;
using namespace plovane::test;

namespace {

const DiveState kStates[] = {DiveState::flow,     DiveState::research, DiveState::chaos,
                             DiveState::hovering, DiveState::critical, DiveState::resting};

// Clicks the widget the window system would deliver a press at `at` (view coordinates) to.
QWidget* clickAt(HUDView& view, QPointF at)
{
    QWidget* target = view.childAt(at.toPoint());
    if (!target)
        target = &view;
    QTest::mouseClick(target, Qt::LeftButton, {}, target->mapFrom(&view, at.toPoint()));
    return target;
}

// Where the pet can put ink at every size the HUD gives it: its pixels as drawn, at its
// own size and zoomed for the hover about the square's centre, with the reach of the drop
// shadow's blur and drop, or of the red glow.
QRegion petReach(const HUDView& view, bool glow)
{
    const QRectF square = view.spriteFrameRect();
    const int side = glow ? 14 : 6;
    const int below = glow ? 14 : 12;
    QRegion reach;
    for (const QRect& r : view.petShape())
        for (double zoom : {1.0, HUDRegions::kHoverZoom}) {
            const QRectF at(square.center() + (QPointF(r.topLeft()) - square.center()) * zoom, QSizeF(r.size()) * zoom);
            reach += at.toAlignedRect().adjusted(-side, -side, side, below);
        }
    return reach;
}

} // namespace

TEST(HUDReach, NoTextOrButtonOfTheCardOrCompactPillLiesUnderThePetOrItsShadow)
{
    // A pack whose pet fills its whole square, beside the two built-in ones.
    QTemporaryDir data;
    qputenv("XDG_DATA_HOME", data.path().toUtf8());
    const QString folder = data.path() + "/Plovane/Sprites/wide/";
    QDir().mkpath(folder);
    QImage full(32, 32, QImage::Format_ARGB32);
    full.fill(QColor(250, 250, 250));
    for (const char* look : {"deep_dive", "reading", "critical", "hovering", "resting"})
        ASSERT_TRUE(full.save(folder + QString("sprite_%1_32.png").arg(look), "PNG"));
    const CharacterID characters[] = {CharacterID::builtIn(SpriteCharacter::tuffin),
                                      CharacterID::builtIn(SpriteCharacter::corgi), CharacterID::custom("wide")};
    // Texts: white and bold; the button: a coloured capsule. The card's fill and border are faint.
    const auto ink = [](QColor c) { return c.alpha() > 100 && std::max({c.red(), c.green(), c.blue()}) > 150; };

    for (Language lang : {Language::en, Language::zh}) {
        for (const CharacterID& character : characters) {
            HUDRig rig(lang);
            rig.settings->idleOpacity = 1.0;
            rig.settings->characterID = character;
            HUDView& view = rig.makeView();
            rig.show();
            // The icon row keeps its place when no app has an icon.
            rig.engine->recentApps = std::vector<DiveEngine::RecentApp>{
                {"org.example.noicon", "No icon", "org.example.noicon", "", false}};
            for (DiveState state : kStates) {
                rig.engine->state = state;
                rig.engine->o2 = state == DiveState::critical ? 0.0 : 50.0;
                rig.engine->focusSeconds = 5520;
                rig.engine->adviceText =
                    lang == Language::zh
                        ? (state == DiveState::research ? "浏览中。来源可靠吗？一次性多看几篇，别只信一篇。"
                                                        : "心流状态。动动脚趾、绷绷小腿，悄悄给血液循环加个速。")
                        : "Deep in flow. Wiggle your toes, tense your calves, give your circulation a quiet boost.";
                rig.finishAnimations();
                for (int i = 0; i < 4; ++i) // each frame of the look once: the pet at its widest
                    rig.scheduler.advance(0.25);
                rig.finishAnimations();
                const std::string where = character.rawValue() + " " + std::string(rawValue(state)) + (lang == Language::zh ? " zh" : " en");

                const QRegion reach = petReach(view, state == DiveState::critical);
                QImage card(view.size(), QImage::Format_ARGB32_Premultiplied);
                card.fill(Qt::transparent);
                QPainter p(&card);
                view.dataPanel().paint(p, view.dataPanelRect().topLeft());
                p.end();
                int under = 0;
                for (const QRect& r : reach)
                    under += countPixels(card, r, ink);
                EXPECT_EQ(under, 0) << where << ": the card's ink lies under the pet";
                EXPECT_GT(countPixels(card, view.adviceTextRect(), ink), 20) << where << ": no tip drawn";
                const std::string name = QString::fromStdString(character.rawValue()).section(':', -1).toStdString();
                const std::string lg = lang == Language::zh ? "zh" : "en";
                if (state == DiveState::research || state == DiveState::resting)
                    saveToGallery(rig.renderOverBackdrop(),
                                  "beside-" + name + "-" + QString::fromLatin1(rawValue(state)).toLower().toStdString() + "-" + lg);
                const QRectF button = view.actionButtonRect();
                if (state == DiveState::critical || state == DiveState::resting) {
                    ASSERT_FALSE(button.isEmpty()) << where;
                    EXPECT_FALSE(reach.intersects(button.toAlignedRect())) << where << ": button under the pet";
                    EXPECT_LE(view.adviceTextRect().right(), button.left()) << where << ": the button covers the tip";
                }
            }

            // Compact, the pill stands beside the pet, never over it.
            rig.engine->state = DiveState::flow;
            rig.engine->o2 = 50.0;
            rig.settings->compactMode = true;
            rig.finishAnimations();
            const QRectF pill = view.compactLabelRect();
            const std::string where = character.rawValue() + (lang == Language::zh ? " compact zh" : " compact en");
            EXPECT_FALSE(petReach(view, false).intersects(pill.toAlignedRect())) << where;
            EXPECT_TRUE(QRectF(view.rect()).contains(pill)) << where << ": the pill leaves the window";
            EXPECT_GT(countPixels(rig.render(), pill, [](QColor c) { return c.alpha() > 100; }), 100) << where;
            saveToGallery(rig.renderOverBackdrop(), "beside-" + QString::fromStdString(character.rawValue()).section(':', -1).toStdString() +
                                                        (lang == Language::zh ? "-compact-zh" : "-compact-en"));
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
