#include "hud/StageSnapshots.h"

#include <QEvent>
#include <QPainter>
#include <QWidget>
#include <QWindow>

#include <algorithm>

namespace plovane {

StageSnapshots::StageSnapshots(QWidget& view, std::function<void(QPainter&, const QRect&)> compose)
    : view_(view), windowPictures_(view), compose_(std::move(compose))
{
}

StageSnapshots::~StageSnapshots()
{
    if (watched_)
        watched_->removeEventFilter(this);
}

bool StageSnapshots::attach()
{
    bool renewed = false;
    server_ = windowPictures_.attach(renewed);
    if (renewed) {
        // Pictures and the area found so far do not carry over to another window.
        if (watched_)
            watched_->removeEventFilter(this);
        drop();
        watched_ = windowPictures_.window();
        if (watched_)
            watched_->installEventFilter(this);
    }
    return server_ != nullptr;
}

int StageSnapshots::find(const ImageFileKey& frame) const
{
    for (std::size_t i = 0; i < pictures_.size(); ++i)
        if (pictures_[i].frame == frame)
            return static_cast<int>(i);
    return -1;
}

bool StageSnapshots::compose(const ImageFileKey& frame)
{
    const int slot = static_cast<int>(pictures_.size());
    if (!server_->put(slot, composed(area_)))
        return false;
    pictures_.push_back({frame, {}});
    return true;
}

void StageSnapshots::refresh(int slot, const QRect& part)
{
    // The frame showing now is this picture's: the stale part is composed again as
    // things are now.
    Picture& picture = pictures_[static_cast<std::size_t>(slot)];
    server_->patch(slot, composed(part), part.topLeft() - area_.topLeft());
    picture.stale -= part;
}

bool StageSnapshots::show(const ImageFileKey& frame, const QRect& changed)
{
    const bool calm = std::exchange(calm_, true);
    if (changed.isEmpty() || !attach())
        return false;
    auto repaint = [&] {
        ownPaint_ += changed;
        return false;
    };
    if (!area_.contains(changed)) {
        // The look changes more than seen so far: the pictures grow to take it in. Over
        // the look's first round this settles on everything its frames change.
        area_ = area_.isEmpty() ? changed : area_.united(changed);
        dropPictures();
        return repaint();
    }
    int to = find(frame);
    if (to < 0) {
        if (!calm || pictures_.size() >= kMaxPictures || !compose(frame))
            return repaint();
        to = static_cast<int>(pictures_.size()) - 1;
    } else if (const QRegion stale = pictures_[static_cast<std::size_t>(to)].stale; !stale.isEmpty()) {
        // While something keeps painting here, composing more than the step repaints
        // would be thrown away again.
        const QRect part = stale.boundingRect();
        if (!calm && static_cast<long>(part.width()) * part.height() > static_cast<long>(changed.width()) * changed.height())
            return repaint();
        refresh(to, part);
    }
    // Around what changed, the screen already shows this frame as things are now.
    const QPoint toWindow = windowPictures_.offset();
    server_->draw(to, area_.topLeft() + toWindow, changed.translated(toWindow));
    return true;
}

void StageSnapshots::painted(const QRegion& region)
{
    // Repaints of steps that could not be copied show a frame as the pictures do; any
    // other paint over the area may have changed what lies around the pet.
    const QRegion other = (region - ownPaint_) & area_;
    ownPaint_ -= region;
    if (other.isEmpty())
        return;
    calm_ = false;
    for (Picture& picture : pictures_)
        picture.stale += other;
}

void StageSnapshots::dropPictures()
{
    if (server_)
        server_->clear();
    pictures_.clear();
}

void StageSnapshots::drop()
{
    dropPictures();
    area_ = {};
    ownPaint_ = {};
    calm_ = false;
}

bool StageSnapshots::eventFilter(QObject* watched, QEvent* event)
{
    // An exposed window is shown from the toolkit's own copy, which never saw the frames
    // copied here: the changing part is painted again, as the pictures show it.
    if (watched == watched_ && event->type() == QEvent::Expose && !area_.isEmpty()) {
        ownPaint_ += area_;
        view_.update(area_);
    }
    return false;
}

} // namespace plovane
