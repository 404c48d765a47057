#pragma once

#include <QFont>
#include <QImage>
#include <QRectF>
#include <QString>

#include <array>
#include <cstddef>
#include <utility>
#include <vector>

class QPainter;

namespace plovane {

// The card's row of labelled values (WEAR / SHIFT / NOISE), kept as two images: the
// labels with the dividers between the cells, and the values. Most changes are the
// SHIFT clock's seconds: then only that value is drawn again, its width comes from a
// cache, and only the pixels that differ are reported for repainting.
class MetricsRow {
public:
    static constexpr std::size_t kCells = 3;
    using Texts = std::array<QString, kCells>;

    explicit MetricsRow(Texts labels);

    // The fonts of the labels and of the values (before the first values); different ones
    // lay the row out afresh.
    void setFonts(const QFont& label, const QFont& value);
    // Takes the values for a row of `size` and brings the images up to date. Returns the
    // part of the row (its own coordinates) whose pixels changed; empty when none did.
    QRectF set(const Texts& values, QSizeF size);
    void paint(QPainter& painter, QPointF topLeft) const;

    // Text work done so far (widths measured, texts drawn), for tests.
    struct Work {
        int measured{0};
        int drawn{0};
    };
    Work work() const { return work_; }

private:
    struct Cell {
        QString value;
        double x{0};
        double width{0};
    };
    using Cells = std::array<Cell, kCells>;

    Cells place(const Texts& values);
    double valueAdvance(const QString& text);
    bool digitsTabular();
    void render(qreal dpr) const;
    void drawLabels(QPainter& p) const;
    void drawValue(QPainter& p, const Cell& cell) const;
    double valueTop() const;
    double labelTop() const;
    QRect deviceColumn(const Cell& cell) const;
    QRectF logical(const QRect& device) const;

    Texts labels_;
    QFont labelFont_;
    QFont valueFont_;
    bool fontsSet_{false};
    double labelHeight_{0};
    double valueHeight_{0};
    std::array<double, kCells> labelAdvances_{};
    // Value widths by text, or by the clock's shape ("00:00") where every digit is as
    // wide as the others, so a ticking clock is measured once per length.
    std::vector<std::pair<QString, double>> advances_;
    int tabular_{-1}; // -1 not known yet

    QSizeF size_;
    Cells cells_;
    mutable QImage labelsImage_;
    mutable QImage valuesImage_;
    mutable Work work_;
};

} // namespace plovane
