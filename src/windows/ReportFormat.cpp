#include "windows/ReportFormat.h"

#include <QLocale>
#include <QTextBoundaryFinder>

namespace plovane::windows {

std::string formatDuration(long long s)
{
    if (s < 60)
        return std::to_string(s) + "s";
    const long long h = s / 3600;
    const long long m = (s % 3600) / 60;
    if (h > 0)
        return std::to_string(h) + "h" + std::to_string(m) + "m";
    return std::to_string(m) + "m";
}

QString reportDatePattern(Language language)
{
    return language == Language::zh ? QStringLiteral("yyyy年M月d日 EEEE") : QStringLiteral("EEEE, MMM d");
}

QString qtDatePattern(const QString& pattern)
{
    QString out;
    for (qsizetype i = 0; i < pattern.size();) {
        const QChar c = pattern[i];
        if (c == QLatin1Char('\'')) {
            // Quoted literal: copied with its quotes, which Qt reads the same way.
            const qsizetype end = pattern.indexOf(QLatin1Char('\''), i + 1);
            const qsizetype stop = end < 0 ? pattern.size() : end + 1;
            out += pattern.mid(i, stop - i);
            i = stop;
            continue;
        }
        qsizetype run = 1;
        while (i + run < pattern.size() && pattern[i + run] == c)
            ++run;
        if (c == QLatin1Char('E')) {
            // Weekday: the short name up to three letters, the long name from four.
            out += run >= 4 ? QStringLiteral("dddd") : QStringLiteral("ddd");
        } else if (c == QLatin1Char('a')) {
            out += QStringLiteral("AP");
        } else if (c == QLatin1Char('H') || c == QLatin1Char('m') || c == QLatin1Char('s') ||
                   c == QLatin1Char('d') || c == QLatin1Char('M') || c == QLatin1Char('y')) {
            out += QString(run, c);
        } else if (c.isLetter() && c.unicode() < 128) {
            // A letter we give no meaning keeps its face: quote it so Qt does not read it.
            out += QLatin1Char('\'') + QString(run, c) + QLatin1Char('\'');
        } else {
            out += QString(run, c);
        }
        i += run;
    }
    return out;
}

QString formattedDate(Language language, const QDateTime& when)
{
    const QLocale locale(language == Language::zh ? QStringLiteral("zh_CN") : QStringLiteral("en_US"));
    return locale.toString(when, qtDatePattern(reportDatePattern(language)));
}

QString displayName(const QString& name, int limit)
{
    QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, name);
    int count = 0;
    qsizetype cut = -1;
    while (graphemes.toNextBoundary() >= 0) {
        ++count;
        if (count == limit)
            cut = graphemes.position();
        if (count > limit)
            return name.left(cut) + QChar(0x2026);
    }
    return name;
}

} // namespace plovane::windows
