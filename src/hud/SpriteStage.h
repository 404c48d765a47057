#pragma once

#include "hud/CrossFade.h"
#include "platform/Scheduler.h"
#include "platform/qt/AnimationDriver.h"
#include "platform/qt/ImageStore.h"
#include "settings/CharacterID.h"

#include <QImage>
#include <QRectF>
#include <QMarginsF>
#include <QRegion>

#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class QPainter;

namespace plovane {

// The pet's picture: which file of the current look shows now, the frame clock that
// steps through a look's frames every quarter second, and the pictures prepared from
// those files (scaled to the square, over their drop shadow, or with a red glow), kept
// in an ImageStore under the file's path, modification time and size.
//
// A frame whose file has gone shows the look's still sprite at that tick (and the
// deep-dive still when that is gone too); a file rewritten on disk shows anew.
class SpriteStage {
public:
    // The sprite square's side in points.
    static constexpr double kSide = 160.0;
    static constexpr double kFramePeriod = 0.25;

    // How far a change to the sprite spills outside its own pixels when painted: the drop
    // shadow's blur and offset, or the red glow's blur. A repaint of a changed area needs
    // no more room than this.
    static QMarginsF spill(bool glow);

    // `onChange` gets the area that changed, in the square's own coordinates (0…kSide),
    // and whether the change is only the clock stepping to the look's next frame.
    SpriteStage(Scheduler& scheduler, AnimationDriver& driver, ImageStore& images,
                std::function<void(const QRectF&, bool step)> onChange);
    ~SpriteStage();
    SpriteStage(const SpriteStage&) = delete;
    SpriteStage& operator=(const SpriteStage&) = delete;

    // Shows `stateKey`'s look of `character`. Another look than the one showing starts
    // at its first frame and, when `fade`, fades in over the old picture.
    void setLook(const CharacterID& character, std::string_view stateKey, bool fade);
    // The clock runs only while shown and while the look has more than one frame.
    void setShown(bool shown);
    // Looks at the file showing again (at most as often as the store allows), so a
    // still sprite rewritten on disk is repainted.
    void recheck();

    int frame() const { return frame_; }
    int frameCount() const { return frameCount_; }
    bool clockRunning() const { return clock_.isPending(); }
    bool isFading() const { return look_.isFading(); }
    // Where the look's pictures have pixels (every frame of it shown so far, and the old
    // look's while it fades out), row by row, in the square's coordinates.
    QRegion drawnShape() const { return look_.isFading() ? lookShape_ | previousShape_ : lookShape_; }
    QRectF drawnBounds() const { return drawnShape().boundingRect(); }
    // Where the current look can put ink, in the square's coordinates: every frame of
    // it (or the still it falls back to), grown by the reach of the drop shadow or, with
    // `glow`, of the red glow. Text laid beside the pet keeps out of it.
    QRegion footprint(bool glow);
    // The path showing (relative for built-in characters, as CharacterID gives it).
    const std::string& spritePath() const { return shownRelative_; }
    // The version of the file showing (its path, modification time and size).
    const ImageFileKey& shownKey() const { return shownKey_; }
    // A sprite path of the current character as a file path.
    std::string filePath(const std::string& spritePath) const;
    ImageStore& images() const { return images_; }

    // Paints the square at `rect`: the old look fading out, then the current frame over
    // its drop shadow, or, with `redGlow` above zero, over a red glow of that opacity.
    // A file that cannot be read shows a placeholder symbol.
    void paint(QPainter& painter, const QRectF& rect, double redGlow) const;

private:
    struct Art {
        QImage sprite;
        QImage withShadow; // its top-left lies kShadowMargin up and left of the sprite's
        QImage glow;       // same placement
    };

    void resolve();
    void runClock();
    void tick();
    QRectF changedArea(const ImageFileKey& from, const ImageFileKey& to);
    // The shape of a file version; `shown` takes the picture from the store, which a
    // file about to be painted is in anyway.
    QRegion opaqueShape(const ImageFileKey& key, bool shown);
    QImage art(const std::string& path, const char* which, qreal dpr) const;
    void paintOne(QPainter& p, const std::string& path, const QRectF& rect, double opacity, double redGlow) const;

    Scheduler& scheduler_;
    ImageStore& images_;
    std::function<void(const QRectF&, bool)> onChange_;
    CharacterID character_{CharacterID::builtIn(SpriteCharacter::tuffin)};
    std::string stateKey_;
    std::string lookName_;
    int frame_{0};
    int frameCount_{0};
    bool shown_{false};
    struct SpritePath {
        std::string relative; // as CharacterID gives it
        std::string file;
    };
    std::vector<SpritePath> framePaths_;
    SpritePath stillPath_;
    SpritePath deepDivePath_;
    std::vector<ImageFileKey> shapedKeys_; // files whose shape is in lookShape_
    std::string shownRelative_;
    ImageFileKey shownKey_;
    std::string previousPath_;
    QRegion lookShape_;
    struct Footprint {
        std::string look;
        ImageFileKey shown; // a file rewritten on disk shapes it anew
        bool glow{false};
        QRegion region;
    };
    Footprint footprint_;
    QRegion previousShape_;
    CrossFade<std::string> look_;
    // Per pair of file versions, the box of pixels that differ; per file version, where
    // it has pixels; in the square's points.
    struct ChangeBox {
        ImageFileKey from;
        ImageFileKey to;
        QRectF box;
    };
    std::vector<ChangeBox> boxes_; // a few per look: searched in place, no key built per frame
    std::unordered_map<std::string, QRegion> shapes_;
    mutable qreal variantsDpr_{0};
    mutable std::unordered_map<std::string, QString> variants_;
    // Last, so it is cancelled before anything its runs touch goes.
    ScopedTask clock_;
};

} // namespace plovane
