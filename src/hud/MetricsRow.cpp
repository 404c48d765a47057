#include "hud/MetricsRow.h"

#include "hud/HUDStyle.h"

#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPainter>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>

namespace plovane {

namespace {
constexpr double kSpacing = 12.0; // between a cell and a divider
constexpr double kLabelGap = 2.0;
constexpr std::size_t kKeptAdvances = 16;

// Secondary text of the dark scheme.
QColor secondary() { return QColor(235, 235, 245, 153); }

// "01:02:03" → "00:00:00"; a null string for anything but digits and colons.
QString clockShape(const QString& text)
{
    QString shape = text;
    for (QChar& c : shape) {
        if (c.isDigit())
            c = QLatin1Char('0');
        else if (c != QLatin1Char(':'))
            return {};
    }
    return shape;
}

// The smallest box holding every pixel where `a` and `b` differ within `area`.
QRect differingPixels(const QImage& a, const QImage& b, QRect area)
{
    area &= a.rect() & b.rect();
    int left = INT_MAX, right = -1, top = INT_MAX, bottom = -1;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        const auto* ra = reinterpret_cast<const QRgb*>(a.constScanLine(y));
        const auto* rb = reinterpret_cast<const QRgb*>(b.constScanLine(y));
        int x = area.left();
        while (x <= area.right() && ra[x] == rb[x])
            ++x;
        if (x > area.right())
            continue;
        int last = area.right();
        while (ra[last] == rb[last])
            --last;
        left = std::min(left, x);
        right = std::max(right, last);
        top = std::min(top, y);
        bottom = y;
    }
    return right < 0 ? QRect() : QRect(QPoint(left, top), QPoint(right, bottom));
}
} // namespace

MetricsRow::MetricsRow(Texts labels) : labels_(std::move(labels)) {}

void MetricsRow::setFonts(const QFont& label, const QFont& value)
{
    if (fontsSet_ && label == labelFont_ && value == valueFont_)
        return;
    labelFont_ = label;
    valueFont_ = value;
    fontsSet_ = true;
    const QFontMetricsF lfm(labelFont_);
    const QFontMetricsF vfm(valueFont_);
    labelHeight_ = lfm.height();
    valueHeight_ = vfm.height();
    for (std::size_t i = 0; i < kCells; ++i)
        labelAdvances_[i] = lfm.horizontalAdvance(labels_[i]);
    work_.measured += static_cast<int>(kCells);
    advances_.clear();
    tabular_ = -1;
    // The next values lay the row out and draw it whole.
    labelsImage_ = QImage();
    valuesImage_ = QImage();
}

double MetricsRow::labelTop() const
{
    const double cellHeight = std::ceil(labelHeight_) + kLabelGap + std::ceil(valueHeight_);
    return (size_.height() - cellHeight) / 2;
}

double MetricsRow::valueTop() const { return labelTop() + std::ceil(labelHeight_) + kLabelGap; }

bool MetricsRow::digitsTabular()
{
    if (tabular_ < 0) {
        // Every digit as wide as the others and no pair of digits or colons kerned: then
        // a clock is as wide as any other clock of its length.
        const QFontMetricsF fm(valueFont_);
        const QString chars = QStringLiteral("0123456789:");
        std::array<double, 11> single{};
        for (int i = 0; i < chars.size(); ++i)
            single[i] = fm.horizontalAdvance(QString(chars[i]));
        bool tabular = std::all_of(single.begin(), single.begin() + 10, [&](double a) { return a == single[0]; });
        for (int i = 0; tabular && i < chars.size(); ++i)
            for (int j = 0; tabular && j < chars.size(); ++j)
                tabular = fm.horizontalAdvance(QString(chars[i]) + chars[j]) == single[i] + single[j];
        work_.measured += 11 + 121;
        tabular_ = tabular ? 1 : 0;
    }
    return tabular_ == 1;
}

double MetricsRow::valueAdvance(const QString& text)
{
    QString key = text;
    if (const QString shape = clockShape(text); !shape.isNull() && digitsTabular())
        key = shape;
    for (const auto& [k, advance] : advances_)
        if (k == key)
            return advance;
    const double advance = QFontMetricsF(valueFont_).horizontalAdvance(text);
    ++work_.measured;
    if (advances_.size() >= kKeptAdvances)
        advances_.erase(advances_.begin());
    advances_.emplace_back(std::move(key), advance);
    return advance;
}

MetricsRow::Cells MetricsRow::place(const Texts& values)
{
    Cells cells;
    double x = 0;
    for (std::size_t i = 0; i < kCells; ++i) {
        const double width = std::ceil(std::max(labelAdvances_[i], valueAdvance(values[i])));
        cells[i] = {values[i], x, width};
        x += width + kSpacing + 1.0 + kSpacing; // the divider between two cells
    }
    return cells;
}

QRectF MetricsRow::set(const Texts& values, QSizeF size)
{
    const bool drawn = !labelsImage_.isNull() && size == size_;
    bool sameValues = drawn;
    for (std::size_t i = 0; sameValues && i < kCells; ++i)
        sameValues = values[i] == cells_[i].value;
    if (sameValues)
        return {};

    const Cells cells = place(values);
    bool samePlaces = drawn;
    for (std::size_t i = 0; samePlaces && i < kCells; ++i)
        samePlaces = cells[i].x == cells_[i].x && cells[i].width == cells_[i].width;

    if (!samePlaces) {
        // Something moved: draw the row again and compare it with what was shown.
        const QImage oldLabels = std::move(labelsImage_);
        const QImage oldValues = std::move(valuesImage_);
        const qreal dpr = oldLabels.isNull() ? (qApp ? qApp->devicePixelRatio() : 1.0) : oldLabels.devicePixelRatio();
        size_ = size;
        cells_ = cells;
        render(dpr);
        if (oldLabels.size() != labelsImage_.size() || oldLabels.devicePixelRatio() != dpr)
            return {QPointF(0, 0), size_};
        const QRect all = labelsImage_.rect();
        return logical(differingPixels(oldLabels, labelsImage_, all) | differingPixels(oldValues, valuesImage_, all));
    }

    // Same places: only the values that changed are drawn again, each in its own column.
    struct Patch {
        std::size_t cell;
        QRect column;
        QImage before;
    };
    std::vector<Patch> patches;
    for (std::size_t i = 0; i < kCells; ++i)
        if (cells[i].value != cells_[i].value) {
            const QRect column = deviceColumn(cells[i]);
            patches.push_back({i, column, valuesImage_.copy(column)});
        }
    cells_ = cells;
    for (const Patch& patch : patches) {
        const QRect& c = patch.column;
        for (int y = c.top(); y <= c.bottom(); ++y)
            std::memset(valuesImage_.scanLine(y) + c.left() * sizeof(QRgb), 0, c.width() * sizeof(QRgb));
    }
    QPainter p(&valuesImage_);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    for (const Patch& patch : patches)
        drawValue(p, cells_[patch.cell]);
    p.end();
    QRect changed;
    for (const Patch& patch : patches)
        changed |= differingPixels(patch.before, valuesImage_.copy(patch.column), patch.before.rect())
                       .translated(patch.column.topLeft());
    return logical(changed);
}

QRect MetricsRow::deviceColumn(const Cell& cell) const
{
    // Halfway to the dividers on either side.
    const qreal dpr = valuesImage_.devicePixelRatio();
    const int left = static_cast<int>(std::floor((cell.x - kSpacing / 2) * dpr));
    const int right = static_cast<int>(std::ceil((cell.x + cell.width + kSpacing / 2 + 1.0) * dpr));
    return QRect(QPoint(left, 0), QPoint(right - 1, valuesImage_.height() - 1)) & valuesImage_.rect();
}

QRectF MetricsRow::logical(const QRect& device) const
{
    if (device.isEmpty())
        return {};
    const qreal dpr = valuesImage_.devicePixelRatio();
    return {device.x() / dpr, device.y() / dpr, device.width() / dpr, device.height() / dpr};
}

void MetricsRow::render(qreal dpr) const
{
    labelsImage_ = hud::makeLayer(size_, dpr);
    valuesImage_ = hud::makeLayer(size_, dpr);
    QPainter lp(&labelsImage_);
    lp.setRenderHint(QPainter::TextAntialiasing, true);
    drawLabels(lp);
    lp.end();
    QPainter vp(&valuesImage_);
    vp.setRenderHint(QPainter::TextAntialiasing, true);
    for (const Cell& cell : cells_)
        drawValue(vp, cell);
}

void MetricsRow::drawLabels(QPainter& p) const
{
    p.setFont(labelFont_);
    p.setPen(secondary());
    for (std::size_t i = 0; i < kCells; ++i) {
        const Cell& cell = cells_[i];
        p.drawText(QRectF(cell.x, labelTop(), cell.width + 1, labelHeight_), Qt::AlignLeft | Qt::AlignVCenter,
                   labels_[i]);
        ++work_.drawn;
        if (i + 1 < kCells)
            p.fillRect(QRectF(cell.x + cell.width + kSpacing, 0, 1.0, size_.height()), hud::color(hud::Hue::white, 0.08));
    }
}

void MetricsRow::drawValue(QPainter& p, const Cell& cell) const
{
    p.setFont(valueFont_);
    p.setPen(Qt::white);
    p.drawText(QRectF(cell.x, valueTop(), cell.width + 1, valueHeight_), Qt::AlignLeft | Qt::AlignVCenter, cell.value);
    ++work_.drawn;
}

void MetricsRow::paint(QPainter& p, QPointF topLeft) const
{
    if (size_.isEmpty())
        return;
    const qreal dpr = p.device() ? p.device()->devicePixelRatioF() : 1.0;
    if (labelsImage_.isNull() || labelsImage_.devicePixelRatio() != dpr)
        render(dpr);
    p.drawImage(topLeft, labelsImage_);
    p.drawImage(topLeft, valuesImage_);
}

} // namespace plovane
