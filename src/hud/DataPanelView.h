#pragma once

#include "hud/CrossFade.h"
#include "hud/HUDStyle.h"
#include "hud/HUDTexts.h"
#include "hud/MetricsRow.h"
#include "platform/qt/AnimationDriver.h"

#include <QImage>
#include <QPixmap>
#include <QRectF>
#include <QRegion>
#include <QString>

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

class QPainter;

namespace plovane {

// The card beside the pet: status headline; WEAR / SHIFT / NOISE; the recent
// applications with the frontmost one highlighted; the current advice; and, while
// critical or resting, the Rest / Work button.
class DataPanelView {
public:
    struct AppIcon {
        std::string id;
        std::string icon; // theme name or path; empty: the app shows no icon
        bool isActive{false};
        bool isNitrogen{false};
    };
    struct Content {
        QString statusTitle;
        bool decompression{false};
        long long focusSeconds{0};
        QString noiseText;
        std::vector<AppIcon> apps; // already cut to the first five
        QString advice;
        bool showActionButton{false};
        hud::ActionButtonLook actionButton;
    };

    // `onFrame` gets the part of the card an animation frame changed, relative to the
    // card's top-left: the headline while its text cross-fades, the whole card for
    // anything else. `onAdviceFrame` gets the advice's part for each frame of a new tip's
    // cross-fade (`onFrame` does when it is not given).
    DataPanelView(AnimationDriver& driver, std::function<void(const QRectF&)> onFrame,
                  std::function<void(const QRectF&)> onAdviceFrame = {});

    // Takes new values (animating what changes) and lays the card out for `width`.
    // Returns what has to be repainted.
    // What a new content changed: nothing; the metrics row (see metricsChange()); only
    // the title or tip, in place (their cross-fades repaint them frame by frame); or the
    // card as a whole (its chrome, its size, where its texts lie).
    enum class Change { none, metrics, texts, card };
    Change setContent(const Content& incoming, double width);
    // Where the pet can put ink over the card, relative to the card's top-left: the
    // texts and the button end before it. Taken at the next setContent().
    void setObstacle(const QRegion& obstacle);
    const QRegion& obstacle() const { return obstacle_; }
    const Content& content() const { return content_; }

    QSizeF size() const { return size_; }
    // The Rest / Work button relative to the card's top-left, or empty while hidden.
    QRectF actionButtonRect() const;
    // Where the advice text is drawn, relative to the card's top-left.
    QRectF adviceTextRect() const;
    // The WEAR / SHIFT / NOISE row relative to the card's top-left.
    QRectF metricsRect() const;
    // After a `Change::metrics`: the part of the card whose pixels changed (a clock tick
    // changes a digit or two), relative to the card's top-left.
    QRectF metricsChange() const
    {
        return metricsChange_.isEmpty() ? QRectF() : metricsChange_.translated(metricsRect().topLeft());
    }
    MetricsRow::Work metricsWork() const { return metrics_.work(); }

    // A new tip's cross-fade: whether it runs, and how far it is (0 to 1).
    bool isAdviceFading() const { return advice_.isFading(); }
    double adviceProgress() const { return advice_.progress(); }

    // Paints the card; `adviceAt` shows the tip's cross-fade at that point instead of
    // where it is.
    void paint(QPainter& painter, QPointF topLeft, std::optional<double> adviceAt = std::nullopt) const;

    static QString wearText(long long focusSeconds);

private:
    void layout(double width);
    bool chromeMoving() const;
    QRectF adviceLineRect() const;
    QRectF headerRect() const;
    // Where a text spanning `top` to `bottom` must end: the card's padding, or short of
    // the obstacle where it reaches that band.
    double rightLimit(double top, double bottom) const;
    // How many lines the tip may take where it is laid.
    int adviceLines() const;
    // Where the advice texts showing now (the new one and the one fading out) are drawn.
    QRectF adviceFadeRect() const;
    const QImage& adviceImage(const QString& text, qreal dpr) const;
    void paintChrome(QPainter& p, QPointF topLeft) const;
    void paintIcons(QPainter& p, QPointF origin) const;
    void paintActionButton(QPainter& p, const QRectF& line) const;

    Content content_;
    double width_{0};
    QSizeF size_;
    double headerHeight_{0};
    double stripHeight_{0};
    double adviceHeight_{0};
    double headerRight_{0};
    double metricsRight_{0};
    double adviceRight_{0};
    QRegion obstacle_;
    QRegion laidOutObstacle_;
    QSizeF buttonSize_;
    hud::WrappedText wrappedAdvice_;
    mutable QImage cache_;
    mutable bool cacheValid_{false};
    mutable qreal cacheDpr_{0};
    MetricsRow metrics_{{QStringLiteral("WEAR"), QStringLiteral("SHIFT"), QStringLiteral("NOISE")}};
    QRectF metricsChange_;
    struct AdviceImage {
        QString text;
        double width{0};
        qreal dpr{0};
        QImage image;
    };
    mutable std::vector<AdviceImage> adviceImages_;

    CrossFade<QString> title_;
    CrossFade<QString> advice_;
    AnimatedValue buttonPresence_;
    std::array<std::unique_ptr<AnimatedValue>, 5> iconActive_;
    std::array<std::string, 5> iconSlotIds_;
};

} // namespace plovane
