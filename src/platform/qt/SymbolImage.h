#pragma once

#include <QColor>
#include <QRectF>
#include <QString>

class QPainter;

namespace plovane {

// Stands in for the other platform's named system symbols ("battery.0percent", …): a
// monochrome theme icon tinted to the wanted colour when the desktop has one, else a
// shape we draw ourselves, else an emoji — so a symbol never renders blank.
class SymbolImage {
public:
    enum class Source { themeIcon, drawn, emoji, none };

    // Which of the three a symbol resolves to on this desktop.
    static Source sourceFor(const QString& name);

    // Paints the symbol fitted and centred into `rect`, in `color` (emoji keep their own).
    static void paint(QPainter& painter, const QString& name, const QRectF& rect, const QColor& color);
};

} // namespace plovane
