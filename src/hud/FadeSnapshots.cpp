#include "hud/FadeSnapshots.h"

#include <QPainter>
#include <QWidget>

#include <utility>

namespace plovane {

namespace {
constexpr int kStart = 0;
constexpr int kEnd = 1;
} // namespace

FadeSnapshots::FadeSnapshots(QWidget& view, std::function<void(QPainter&, const QRect&, bool)> compose)
    : view_(view), windowPictures_(view), compose_(std::move(compose))
{
}

bool FadeSnapshots::frame(const QRect& area, double t)
{
    const bool calm = !std::exchange(disturbed_, false);
    bool renewed = false;
    ServerPictures* server = windowPictures_.attach(renewed);
    if (!server || area.isEmpty())
        return fallBack(area);
    if (renewed || area != area_) {
        area_ = area;
        stale_ = area;
    }
    if (!stale_.isEmpty()) {
        // Composing what keeps changing would be thrown away again at the next frame.
        if (!calm || !compose(*server, stale_.boundingRect()))
            return fallBack(area);
    }
    t_ = t;
    const QPoint toWindow = windowPictures_.offset();
    if (!server->blend(kStart, kEnd, t, area_.topLeft() + toWindow, area_.translated(toWindow)))
        return fallBack(area);
    return true;
}

bool FadeSnapshots::compose(ServerPictures& server, const QRect& part)
{
    for (const int end : {kStart, kEnd}) {
        const QImage image =
            windowPictures_.compose(part, [&](QPainter& p) { compose_(p, part, end == kEnd); });
        if (part == area_) {
            if (!server.put(end, image))
                return false;
        } else {
            server.patch(end, image, part.topLeft() - area_.topLeft());
        }
    }
    stale_ = {};
    return true;
}

bool FadeSnapshots::fallBack(const QRect& area)
{
    ownPaint_ += area;
    return false;
}

void FadeSnapshots::finish()
{
    area_ = {};
    stale_ = {};
    disturbed_ = false;
}

void FadeSnapshots::painted(const QRegion& region)
{
    // Frames left to the caller show the fade as the mix does; any other paint over the
    // part may have changed what the two pictures hold.
    const QRegion other = (region - ownPaint_) & area_;
    ownPaint_ -= region;
    if (other.isEmpty())
        return;
    stale_ += other;
    disturbed_ = true;
}

void FadeSnapshots::frameChanged(const QRect& area, bool copied)
{
    const QRect part = area & area_;
    if (part.isEmpty())
        return;
    // One known change: not something that keeps painting here.
    stale_ += part;
    if (!copied) {
        ownPaint_ += area;
        return;
    }
    // Mixed again now, before the compositor shows the copy on its own.
    const bool disturbed = std::exchange(disturbed_, false);
    if (!frame(area_, t_)) {
        view_.update(area_);
        return;
    }
    disturbed_ = disturbed;
}

} // namespace plovane
