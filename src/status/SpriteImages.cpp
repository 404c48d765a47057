#include "status/SpriteImages.h"

#include <QImageReader>
#include <QMetaObject>

#include <algorithm>

namespace plovane {
namespace {

// Past this on either side a file is read on a worker thread.
constexpr int kReadAtOnceSide = 512;
// A few characters' thumbnails and poses; past this the pictures read are forgotten.
constexpr std::size_t kMostPictures = 64;

QImage readSprite(const QString& path, int side, SpritePictures::Shape shape)
{
    QImageReader reader(path);
    const QSize size = reader.size();
    const bool large = size.isValid() && std::max(size.width(), size.height()) > kReadAtOnceSide;
    if (large) {
        reader.setScaledSize(shape == SpritePictures::Shape::square ? QSize(side, side)
                                                                     : size.scaled(side, side, Qt::KeepAspectRatio));
        return reader.read();
    }
    QImage image = reader.read();
    if (image.isNull())
        return image;
    if (shape == SpritePictures::Shape::square)
        return image.scaled(side, side, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    return std::max(image.width(), image.height()) > side
               ? image.scaled(side, side, Qt::KeepAspectRatio, Qt::FastTransformation)
               : image;
}

bool readsAtOnce(const QString& path)
{
    const QSize size = QImageReader(path).size();
    return !size.isValid() || std::max(size.width(), size.height()) <= kReadAtOnceSide;
}

} // namespace

SpritePictures::SpritePictures(QObject& context, std::function<void()> onReady)
    : context_(&context), onReady_(std::move(onReady))
{
}

SpritePictures::~SpritePictures()
{
    // A worker still reading is waited for; what it posts back is dropped with the context.
    workers_.clear();
}


QImage SpritePictures::picture(const std::string& path, int side, Shape shape)
{
    const std::string key = path + '\n' + std::to_string(side) + (shape == Shape::square ? "s" : "w");
    const auto version = imageFileKey(path);
    if (!version) {
        entries_.erase(key);
        return {};
    }
    if (auto it = entries_.find(key); it != entries_.end() && it->second.version == *version)
        return it->second.image;
    if (entries_.size() >= kMostPictures)
        std::erase_if(entries_, [](const auto& entry) { return entry.second.ready; });
    const QString file = QString::fromStdString(path);
    ++reads_;
    if (readsAtOnce(file)) {
        Entry& entry = entries_[key] = Entry{*version, readSprite(file, side, shape), true};
        return entry.image;
    }
    // Asked again while being read: the same null picture until it is in.
    entries_[key] = Entry{*version, QImage(), false};
    ++pending_;
    // The context outlives the workers: they are waited for before it goes.
    workers_.emplace_back([this, key, version = *version, file, side, shape, context = context_] {
        QImage image = readSprite(file, side, shape);
        QMetaObject::invokeMethod(
            context,
            [this, key, version, image = std::move(image)] {
                if (--pending_ == 0)
                    workers_.clear(); // each has posted this and is ending
                auto it = entries_.find(key);
                if (it == entries_.end() || it->second.version != version)
                    return;
                it->second.image = image;
                it->second.ready = true;
                if (onReady_)
                    onReady_();
            },
            Qt::QueuedConnection);
    });
    return {};
}

} // namespace plovane
