#pragma once

#include "engine/DailyStats.h"

#include <QColor>
#include <QPixmap>
#include <QString>

class QPainter;
class QRectF;

namespace plovane {

// One line of the report's state card: emoji, label, time, and a bar of the state's share
// of the day, drawn for the report's dark background.
struct StateBarRow {
    QString emoji;
    QString label;
    QString duration; // already formatted
    double ratio{0};
    QColor color;

    static double height();
    // Never narrower than 6 points, so a tiny share still shows.
    static double fillWidth(double available, double ratio);
    void paint(QPainter& p, const QRectF& rect) const;
};

// One line of the report's top applications: rank badge, icon (or a placeholder of the
// same size), name, a bar measured against the top application, and the time.
struct AppRankRow {
    int rank{1};
    DailyStats::AppUsage app;
    long long maxSec{1};
    QPixmap icon; // null when the desktop has none

    static double height();
    // Gold, silver and bronze for the first three; a dim white after that.
    static QColor rankColor(int rank);
    // Never narrower than 4 points.
    static double fillWidth(double available, long long seconds, long long maxSec);
    // Where the bar goes in a row laid out in `rect` (the name sits above it).
    static QRectF barRect(const QRectF& rect, const QString& duration);
    static std::string formatDuration(long long seconds);
    void paint(QPainter& p, const QRectF& rect) const;
};

} // namespace plovane
