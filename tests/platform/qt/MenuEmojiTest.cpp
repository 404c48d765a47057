#include "QtTestSupport.h"
#include "TestSupport.h"
#include "hud/HUDTexts.h"
#include "platform/qt/EmojiStyle.h"
#include "platform/qt/EmojiText.h"
#include "platform/qt/InterfaceFont.h"
#include "status/StatusMenuController.h"
#include "status/TrayHost.h"

#include <QMenu>
#include <QWidgetAction>

#include <gtest/gtest.h>

#include <algorithm>

using namespace plovane;

namespace {

// Pixels plainly off the grey axis: a monochrome glyph leaves greys only.
int colourPixels(const QImage& image, const QRect& rect)
{
    return test::countPixels(image, rect, [](QColor c) {
        return std::max({c.red(), c.green(), c.blue()}) - std::min({c.red(), c.green(), c.blue()}) > 40;
    });
}

// Every row that starts with an emoji shows it in colour; returns how many rows did.
int expectEmojiInColour(QMenu& menu, const std::string& name)
{
    menu.adjustSize();
    const QImage image = menu.grab().toImage();
    test::saveToGallery(image, name, "PLOVANE_MENU_GALLERY", "menu-gallery");
    int rows = 0;
    for (QAction* action : menu.actions()) {
        if (action->isSeparator() || qobject_cast<QWidgetAction*>(action) ||
            emoji::leadingEmoji(action->text()).isEmpty())
            continue;
        ++rows;
        EXPECT_GT(colourPixels(image, menu.actionGeometry(action)), 8)
            << name << ": " << action->text().toStdString();
    }
    return rows;
}

} // namespace

// The HUD's menu, the status menu and its character submenu (a style of its own) draw each
// row's emoji from the colour face, on the pinned fonts (DejaVu Sans has ⚙ and ☕ in black)
// as on a desktop's own (fallback finds Noto Sans Symbols2 for 📊, 🖥 and 📦 first), in our
// interface font and in the one a platform theme such as qt6ct gives the application.
TEST(MenuEmoji, HUDAndStatusMenusDrawTheirEmojiInColour)
{
    test::testApp();
    ASSERT_FALSE(emoji::colorFamily().isEmpty()) << "fonts-noto-color-emoji is installed by scripts/deps.sh";
    QApplication::setStyle(new EmojiStyle);
    for (const QFont& font : {fonts::interfaceFont(), QFont(QStringLiteral("Sans Serif"), 9)}) {
        QApplication::setFont(font);
        const std::string face = font == fonts::interfaceFont() ? "" : "sans-";
        for (Language lang : {Language::en, Language::zh}) {
            const std::string suffix = face + (lang == Language::zh ? "zh" : "en");
            QMenu hud;
            for (const hud::MenuEntry& entry : hud::contextMenuEntries({lang, DiveState::resting, true, true, true})) {
                if (entry.isSeparator())
                    hud.addSeparator();
                else
                    hud.addAction(QString::fromStdString(entry.title));
            }
            EXPECT_GE(expectEmojiInColour(hud, "hud-menu-" + suffix), 4);

            StatusMenuState state;
            state.language = lang;
            StatusMenuController status({}, std::make_unique<FixedStatusArea>(TrayHost::xembed));
            status.apply(makeStatusMenuContent(state));
            EXPECT_GE(expectEmojiInColour(status.menu(), "status-menu-" + suffix), 10);
            EXPECT_EQ(expectEmojiInColour(status.characterMenu(), "status-characters-" + suffix), 2);
        }
    }
}
