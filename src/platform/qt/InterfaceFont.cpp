#include "platform/qt/InterfaceFont.h"

#include "platform/qt/EmojiText.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QGuiApplication>

namespace plovane::fonts {

QStringList cjkFamilies()
{
    QStringList out;
    for (const char* name : {"Plovane Sans CJK SC", "Noto Sans CJK SC", "Source Han Sans SC", "Noto Sans SC"}) {
        const QString family = QString::fromLatin1(name);
        if (!QFontDatabase::hasFamily(family))
            continue;
        for (const QString& style : QFontDatabase::styles(family)) {
            if (QFontDatabase::weight(family, style) >= QFont::DemiBold) {
                out << family;
                break;
            }
        }
    }
    return out;
}

QFont withCjkFamilies(const QFont& font)
{
    const QStringList cjk = cjkFamilies();
    const QString color = emoji::colorFamily();
    if ((cjk.isEmpty() && color.isEmpty()) || font.families().contains(cjk.isEmpty() ? color : cjk.front()))
        return font;
    // A family list tries real families only: an alias such as "Sans Serif" is replaced by
    // the family it stands for, or the list would skip it and set Latin in a Chinese face.
    QStringList families = font.families();
    if (families.isEmpty())
        families << font.family();
    families.front() = QFontInfo(font).family();
    // Emoji the text face lacks come from the colour face before fallback finds a
    // monochrome one (Noto Sans Symbols2 has 📊 🖥 📦).
    if (!color.isEmpty() && !families.contains(color))
        families.insert(1, color);
    for (const QString& family : cjk)
        if (!families.contains(family))
            families << family;
    QFont out = font;
    out.setFamilies(families);
    return out;
}

QFont interfaceFont()
{
    // Resolving the families asks the font database; the application's font rarely changes.
    static QFont base;
    static QFont resolved;
    static bool ready = false;
    const QFont app = QGuiApplication::font();
    if (!ready || !(app == base)) {
        base = app;
        resolved = withCjkFamilies(app);
        ready = true;
    }
    return resolved;
}

} // namespace plovane::fonts
