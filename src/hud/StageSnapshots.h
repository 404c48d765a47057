#pragma once

#include "hud/ViewPictures.h"
#include "platform/qt/ImageStore.h"

#include <QObject>
#include <QPointer>
#include <QRect>
#include <QRegion>

#include <functional>
#include <vector>

class QPainter;
class QWidget;

namespace plovane {

// The part of a view that a sprite animation changes, as composed for each of its frames
// and kept by the display server. Once a frame has been composed, stepping to it is one
// copy in the server: nothing is painted and no pixels are sent.
//
// Anything else the view paints over that part makes the pictures stale there; each
// picture has its stale part composed again when its frame next shows. While something
// keeps painting there (a blink, a fade), a step that would compose more than it repaints
// is left to the caller to repaint instead. Where the display server cannot keep
// pictures, every step is left to the caller.
class StageSnapshots : public QObject {
public:
    // `compose` paints the view's `area` (view coordinates) as a paint event would.
    StageSnapshots(QWidget& view, std::function<void(QPainter&, const QRect&)> compose);
    ~StageSnapshots() override;

    // A frame step changed `changed` (view coordinates) to show `frame`: every pixel that
    // differs from the frame before lies inside it. True when the change is on screen;
    // false when the caller must repaint `changed`.
    bool show(const ImageFileKey& frame, const QRect& changed);
    // The view is painting `region` (view coordinates) on screen.
    void painted(const QRegion& region);
    // Forgets every picture and the changing part (another look, or the view was hidden).
    void drop();

    int pictureCount() const { return static_cast<int>(pictures_.size()); }
    QRect area() const { return area_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Picture {
        ImageFileKey frame;
        QRegion stale; // painted over on screen since it was composed (view coordinates)
    };

    bool attach();
    void dropPictures();
    int find(const ImageFileKey& frame) const;
    QImage composed(const QRect& area) const
    {
        return windowPictures_.compose(area, [&](QPainter& p) { compose_(p, area); });
    }
    bool compose(const ImageFileKey& frame);
    void refresh(int slot, const QRect& part);

    // More frames than a look has; any beyond fall back to repainting.
    static constexpr std::size_t kMaxPictures = 16;

    QWidget& view_;
    ViewPictures windowPictures_;
    std::function<void(QPainter&, const QRect&)> compose_;
    QPointer<QWindow> watched_; // its exposes repaint the area
    ServerPictures* server_{nullptr};
    QRect area_;        // the changing part, in view coordinates
    QRegion ownPaint_;  // repaints asked for by steps (and exposes) that match the pictures
    bool calm_{false};  // a whole step went by with nothing else painted over the area
    std::vector<Picture> pictures_; // slot i in the server
};

} // namespace plovane
