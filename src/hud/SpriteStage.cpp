#include "hud/SpriteStage.h"

#include "hud/HUDStyle.h"
#include "platform/qt/Shadow.h"
#include "platform/qt/SymbolImage.h"
#include "settings/AppResource.h"

#include <QGuiApplication>
#include <QImageReader>
#include <QPainter>

#include <algorithm>
#include <vector>
#include <cmath>

namespace plovane {

namespace {

constexpr double kShadowRadius = 6.0;
constexpr double kShadowDrop = 6.0;
constexpr double kShadowOpacity = 0.35;
constexpr double kGlowRadius = 14.0;
// What Shadow::make adds on each side for a radius.
constexpr double marginFor(double radius) { return static_cast<double>(static_cast<int>(radius * 1.5 + 0.999)) + 1; }
constexpr double kShadowMargin = marginFor(kShadowRadius);
constexpr double kGlowMargin = marginFor(kGlowRadius);

std::string keyText(const ImageFileKey& k)
{
    return k.path + '\x1f' + std::to_string(k.modifiedNs) + '\x1f' + std::to_string(k.size);
}

// Nearest-neighbour scaling to fit the square, centred: hard pixel edges. Done by hand:
// QImage::scaled goes through the painter's span fillers and their worker threads.
QImage fitted(const QImage& source, qreal dpr)
{
    const int side = static_cast<int>(std::ceil(SpriteStage::kSide * dpr));
    QImage canvas(side, side, QImage::Format_ARGB32_Premultiplied);
    canvas.fill(Qt::transparent);
    canvas.setDevicePixelRatio(dpr);
    if (source.isNull())
        return canvas;
    const QImage src = source.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const double scale = static_cast<double>(side) / std::max(src.width(), src.height());
    const int w = std::max(1, static_cast<int>(std::lround(src.width() * scale)));
    const int h = std::max(1, static_cast<int>(std::lround(src.height() * scale)));
    const int x0 = (side - w) / 2;
    const int y0 = (side - h) / 2;
    for (int y = 0; y < h; ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(src.constScanLine(std::min(src.height() - 1, y * src.height() / h)));
        auto* out = reinterpret_cast<QRgb*>(canvas.scanLine(y0 + y)) + x0;
        for (int x = 0; x < w; ++x)
            out[x] = in[std::min(src.width() - 1, x * src.width() / w)];
    }
    return canvas;
}

} // namespace

QMarginsF SpriteStage::spill(bool glow)
{
    if (glow)
        return {kGlowMargin, kGlowMargin, kGlowMargin, kGlowMargin};
    return {kShadowMargin, kShadowMargin, kShadowMargin, kShadowMargin + kShadowDrop};
}

SpriteStage::SpriteStage(Scheduler& scheduler, AnimationDriver& driver, ImageStore& images,
                         std::function<void(const QRectF&, bool)> onChange)
    : scheduler_(scheduler),
      images_(images),
      onChange_(std::move(onChange)),
      look_(driver, std::string(), Animation::easeInOut(0.45).atFrameRate(30),
            [this] { onChange_(QRectF(0, 0, kSide, kSide), false); })
{
}

SpriteStage::~SpriteStage() = default;

std::string SpriteStage::filePath(const std::string& spritePath) const
{
    return character_.isCustom() ? spritePath : AppResource::path(spritePath);
}

void SpriteStage::setLook(const CharacterID& character, std::string_view stateKey, bool fade)
{
    const std::string name = std::string(stateKey) + "-" + character.rawValue();
    if (name == lookName_)
        return;
    previousPath_ = shownKey_.path;
    previousShape_ = lookShape_;
    character_ = character;
    stateKey_ = std::string(stateKey);
    lookName_ = name;
    frame_ = 0;
    frameCount_ = character_.frameCount(stateKey_);
    auto spritePath = [this](std::string relative) { return SpritePath{relative, filePath(relative)}; };
    framePaths_.clear();
    for (int f = 1; f <= frameCount_; ++f)
        framePaths_.push_back(spritePath(character_.spriteFramePath(stateKey_, f)));
    stillPath_ = spritePath(character_.spritePath(stateKey_));
    deepDivePath_ = spritePath(character_.spritePath("deep_dive"));
    // Grows as the look's frames come up (the first round of the clock).
    lookShape_ = {};
    shapedKeys_.clear();
    resolve();
    look_.set(name, fade && !previousPath_.empty());
    clock_.cancel();
    runClock();
    onChange_(QRectF(0, 0, kSide, kSide), false);
}

void SpriteStage::setShown(bool shown)
{
    shown_ = shown;
    if (!shown)
        clock_.cancel();
    else
        recheck();
    runClock();
}

void SpriteStage::resolve()
{
    // The frame, else the look's still, else the deep-dive still. Paths are made once per
    // look; a file is looked at on disk at most as often as the store allows.
    const SpritePath* shown = nullptr;
    std::optional<ImageFileKey> key;
    auto tryPath = [&](const SpritePath& candidate) {
        if (key)
            return;
        key = images_.keyFor(candidate.file);
        shown = &candidate;
    };
    if (frameCount_ > 1 && static_cast<std::size_t>(frame_) < framePaths_.size())
        tryPath(framePaths_[static_cast<std::size_t>(frame_)]);
    tryPath(stillPath_);
    tryPath(deepDivePath_);
    shownRelative_ = shown->relative;
    shownKey_ = key ? *key : ImageFileKey{shown->file, -1, -1, 0};
    if (std::find(shapedKeys_.begin(), shapedKeys_.end(), shownKey_) != shapedKeys_.end())
        return;
    shapedKeys_.push_back(shownKey_);
    // A missing file shows the placeholder in the middle of the square.
    lookShape_ |= key ? opaqueShape(*key, true) : QRegion(50, 50, kSide - 100, kSide - 100);
}

QRegion SpriteStage::opaqueShape(const ImageFileKey& key, bool shown)
{
    const std::string name = keyText(key);
    if (auto it = shapes_.find(name); it != shapes_.end())
        return it->second;
    // One span per row of source pixels, from its first to its last visible pixel.
    QImage image;
    if (shown) {
        image = images_.image(key.path);
    } else {
        QImageReader reader(QString::fromStdString(key.path));
        reader.setAutoTransform(true); // as the store reads it for painting
        image = reader.read();
    }
    image = image.convertToFormat(QImage::Format_ARGB32);
    QRegion shape;
    if (!image.isNull()) {
        const double scale = kSide / std::max(image.width(), image.height());
        const QPointF inset((kSide - image.width() * scale) / 2, (kSide - image.height() * scale) / 2);
        for (int y = 0; y < image.height(); ++y) {
            const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
            int first = -1, last = -1;
            for (int x = 0; x < image.width(); ++x) {
                if (qAlpha(line[x]) > 0) {
                    if (first < 0)
                        first = x;
                    last = x;
                }
            }
            if (first >= 0)
                shape += QRectF(inset + QPointF(first, y) * scale, QSizeF(last - first + 1, 1) * scale).toAlignedRect();
        }
    }
    if (shapes_.size() > 64)
        shapes_.clear();
    shapes_.emplace(name, shape);
    return shape;
}

QRegion SpriteStage::footprint(bool glow)
{
    if (footprint_.look == lookName_ && footprint_.shown == shownKey_ && footprint_.glow == glow && !lookName_.empty())
        return footprint_.region;
    QRegion ink;
    bool any = false;
    // Looked at directly, not through the store: frames not yet shown are neither kept
    // nor looked at again sooner than the clock would.
    auto add = [&](const SpritePath& path) {
        if (const auto key = imageFileKey(path.file)) {
            ink |= opaqueShape(*key, false);
            any = true;
        }
    };
    for (const SpritePath& frame : framePaths_)
        add(frame);
    add(stillPath_);
    if (!any)
        add(deepDivePath_);
    if (!any)
        ink = QRegion(50, 50, kSide - 100, kSide - 100); // the placeholder
    // The blur reaches about its radius; the shadow also drops below.
    const int side = static_cast<int>(std::ceil(glow ? kGlowRadius : kShadowRadius));
    const int below = side + (glow ? 0 : static_cast<int>(std::ceil(kShadowDrop)));
    QRegion grown;
    for (const QRect& r : ink)
        grown += r.adjusted(-side, -side, side, below);
    footprint_ = {lookName_, shownKey_, glow, grown};
    return grown;
}

void SpriteStage::recheck()
{
    const ImageFileKey before = shownKey_;
    resolve();
    if (!(shownKey_ == before))
        onChange_(QRectF(0, 0, kSide, kSide), false);
}

void SpriteStage::runClock()
{
    // Still sprites never change frame, so the clock sleeps while there is nothing to
    // animate; ticks stay a quarter second apart while there is.
    const bool wanted = frameCount_ > 1 && shown_;
    if (wanted == clock_.isPending())
        return;
    clock_.cancel();
    if (!wanted)
        return;
    clock_ = ScopedTask::onBeat(scheduler_, kFramePeriod, [this] { tick(); });
}

void SpriteStage::tick()
{
    if (frameCount_ <= 1)
        return;
    const ImageFileKey before = shownKey_;
    frame_ = (frame_ + 1) % frameCount_;
    resolve();
    const QRectF area = changedArea(before, shownKey_);
    if (!area.isEmpty())
        onChange_(area, true);
}

QRectF SpriteStage::changedArea(const ImageFileKey& from, const ImageFileKey& to)
{
    const QRectF whole(0, 0, kSide, kSide);
    if (from == to)
        return {};
    // Only versions still in the store can be compared; anything else repaints whole.
    if (images_.keyFor(from.path) != from || images_.keyFor(to.path) != to)
        return whole;
    for (const ChangeBox& known : boxes_)
        if (known.from == from && known.to == to)
            return known.box;
    // Frames of one look differ in a few places (paws, a page): only those repaint.
    const QImage a = images_.image(from.path).convertToFormat(QImage::Format_ARGB32);
    const QImage b = images_.image(to.path).convertToFormat(QImage::Format_ARGB32);
    QRectF box = whole;
    if (!a.isNull() && a.size() == b.size()) {
        QRect diff;
        for (int y = 0; y < a.height(); ++y) {
            const auto* la = reinterpret_cast<const QRgb*>(a.constScanLine(y));
            const auto* lb = reinterpret_cast<const QRgb*>(b.constScanLine(y));
            for (int x = 0; x < a.width(); ++x)
                if (la[x] != lb[x])
                    diff |= QRect(x, y, 1, 1);
        }
        // Both are scaled to fit the square and centred, pixel for pixel alike.
        const double scale = kSide / std::max(a.width(), a.height());
        const QPointF inset((kSide - a.width() * scale) / 2, (kSide - a.height() * scale) / 2);
        box = diff.isEmpty() ? QRectF() : QRectF(inset + QPointF(diff.x(), diff.y()) * scale, QSizeF(diff.size()) * scale);
    }
    if (boxes_.size() >= 64)
        boxes_.clear();
    boxes_.push_back({from, to, box});
    return box;
}

QImage SpriteStage::art(const std::string& path, const char* which, qreal dpr) const
{
    // Named once per ratio: this runs on every paint.
    if (dpr != variantsDpr_) {
        variantsDpr_ = dpr;
        variants_.clear();
    }
    QString& variant = variants_[which];
    if (variant.isEmpty())
        variant = QLatin1String(which) + QLatin1Char('@') + QString::number(dpr);
    const std::string w = which;
    return images_.derived(path, variant, [&](const QImage& source) {
        const QImage sprite = fitted(source, dpr);
        if (w == "sprite")
            return sprite;
        if (w == "glow")
            return Shadow::make(sprite, kGlowRadius, hud::color(hud::Hue::red)).image;
        // The sprite over its drop shadow in one image: one draw per frame.
        const Shadow shadow = Shadow::make(sprite, kShadowRadius, QColor(0, 0, 0));
        QImage out(shadow.image.size() + QSize(0, static_cast<int>(std::ceil(kShadowDrop * dpr))),
                   QImage::Format_ARGB32_Premultiplied);
        out.setDevicePixelRatio(dpr);
        out.fill(Qt::transparent);
        QPainter p(&out);
        p.setOpacity(kShadowOpacity);
        p.drawImage(QPointF(0, kShadowDrop), shadow.image);
        p.setOpacity(1.0);
        p.drawImage(QPointF(kShadowMargin, kShadowMargin), sprite);
        p.end();
        return out;
    });
}

void SpriteStage::paint(QPainter& p, const QRectF& rect, double redGlow) const
{
    const double fade = look_.progress();
    if (fade < 1.0 && !previousPath_.empty())
        paintOne(p, previousPath_, rect, 1.0 - fade, redGlow);
    paintOne(p, shownKey_.path, rect, fade < 1.0 ? fade : 1.0, redGlow);
}

void SpriteStage::paintOne(QPainter& p, const std::string& path, const QRectF& rect, double opacity,
                           double redGlow) const
{
    if (opacity <= 0.001)
        return;
    const double base = p.opacity();
    const qreal dpr = std::max<qreal>(1.0, p.device() ? p.device()->devicePixelRatioF() : 1.0);
    p.setOpacity(base * opacity);
    if (redGlow > 0.0) {
        const QImage sprite = art(path, "sprite", dpr);
        if (!sprite.isNull()) {
            p.setOpacity(base * opacity * redGlow);
            p.drawImage(rect.topLeft() - QPointF(kGlowMargin, kGlowMargin), art(path, "glow", dpr));
            p.setOpacity(base * opacity);
            p.drawImage(rect.topLeft(), sprite);
            p.setOpacity(base);
            return;
        }
    } else if (const QImage shadowed = art(path, "shadowed", dpr); !shadowed.isNull()) {
        p.drawImage(rect.topLeft() - QPointF(kShadowMargin, kShadowMargin), shadowed);
        p.setOpacity(base);
        return;
    }
    SymbolImage::paint(p, QStringLiteral("questionmark.square.dashed"), rect.adjusted(50, 50, -50, -50),
                       QColor(255, 255, 255, 200));
    p.setOpacity(base);
}

} // namespace plovane
