#include "platform/qt/InterfaceFont.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QGuiApplication>
#include <QStringList>

namespace plovane::fonts {

QString cjkFamily()
{
    static const QString family = [] {
        for (const char* name : {"Noto Sans CJK SC", "Source Han Sans SC", "Source Han Sans CN", "Noto Sans SC"}) {
            const QString f = QString::fromLatin1(name);
            if (!QFontDatabase::hasFamily(f))
                continue;
            for (const QString& style : QFontDatabase::styles(f))
                if (QFontDatabase::weight(f, style) >= QFont::DemiBold)
                    return f;
        }
        return QString();
    }();
    return family;
}

QFont withCjkFamily(const QFont& font)
{
    const QString cjk = cjkFamily();
    if (cjk.isEmpty() || font.families().contains(cjk))
        return font;
    // A family list tries real families only: an alias such as "Sans Serif" is replaced by
    // the family it stands for, or the list would skip it and set Latin in the CJK face.
    QStringList families = font.families();
    if (families.isEmpty())
        families << font.family();
    families.front() = QFontInfo(font).family();
    families << cjk;
    QFont out = font;
    out.setFamilies(families);
    return out;
}

QFont interfaceFont()
{
    // Resolving the family asks the font database; the application's font rarely changes.
    static QFont base;
    static QFont resolved;
    static bool ready = false;
    const QFont app = QGuiApplication::font();
    if (!ready || !(app == base)) {
        base = app;
        resolved = withCjkFamily(app);
        ready = true;
    }
    return resolved;
}

} // namespace plovane::fonts
