#pragma once

#include "hud/CrossFade.h"
#include "hud/HUDStyle.h"
#include "platform/qt/AnimationDriver.h"
#include "platform/qt/ImageStore.h"

#include <QRectF>
#include <QString>

#include <functional>
#include <optional>

class QPainter;

namespace plovane {

// Compact mode's advice: at most two lines in a frosted pill at the bottom of the pet,
// a new tip cross-fading over the old. The pill and each text are kept as images in the
// store, since the pet's frames repaint over them four times a second.
class CompactAdviceLabel {
public:
    CompactAdviceLabel(AnimationDriver& driver, ImageStore& images, std::function<void()> onFrame);

    // A new tip; it cross-fades in when `fade`, else replaces the old at once. Returns
    // whether the text changed.
    bool setText(const QString& text, bool fade);
    const QString& text() const { return advice_.current(); }
    bool isFading() const { return advice_.isFading(); }
    // How far the cross-fade is (0 to 1).
    double progress() const { return advice_.progress(); }

    // The pill's size for the current text.
    QSizeF size() const;
    // Paints the pill at `rect` (as laid out from size()), at `presence` (0 … 1: it
    // drops 6 points and fades as compact mode leaves); `fadeAt` shows the cross-fade at
    // that point instead of where it is.
    void paint(QPainter& painter, const QRectF& rect, double presence,
               std::optional<double> fadeAt = std::nullopt) const;

private:
    const hud::WrappedText& wrapped() const;

    ImageStore& images_;
    CrossFade<QString> advice_;
    mutable hud::WrappedText wrapped_;
    mutable QString wrappedFor_;
    mutable bool wrappedValid_{false};
};

} // namespace plovane
