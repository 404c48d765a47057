#pragma once

#include "platform/qt/AnimationDriver.h"
#include "platform/qt/Shadow.h"

#include <QImage>
#include <QSizeF>
#include <QString>

#include <functional>
#include <memory>

class QPainter;

namespace plovane {

// A tiny emoji badge beside the pet that bobs up and back for as long as it is shown:
// the knock badge "❓" and the music badge "🎵" differ only in their numbers.
class BadgeView {
public:
    struct Look {
        QString emoji;
        double shadowOpacity;
        double lift;          // points it rises at the top of a bob
        double halfCycle;     // seconds up (and again down)
    };

    BadgeView(AnimationDriver& driver, Look look, std::function<void()> onFrame);

    // Starts bobbing from the rest position, as on every new appearance.
    void appear();
    // Stops bobbing (the badge has been removed).
    void disappear();
    bool isBouncing() const { return bouncing_; }

    QSizeF size() const;
    // Current upward offset (0 … -lift).
    double offsetY() const;
    void paint(QPainter& painter, QPointF topLeft) const;

    const Look& look() const { return look_; }

private:
    void render() const;

    Look look_;
    AnimatedValue bounce_;
    bool bouncing_{false};
    mutable QImage glyph_;
    mutable Shadow shadow_;
    mutable qreal renderedDpr_{0};
    mutable QSizeF size_;
};

std::unique_ptr<BadgeView> makeKnockBadgeView(AnimationDriver& driver, std::function<void()> onFrame);
std::unique_ptr<BadgeView> makeMusicBadgeView(AnimationDriver& driver, std::function<void()> onFrame);

} // namespace plovane
