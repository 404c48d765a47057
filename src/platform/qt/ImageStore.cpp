#include "platform/qt/ImageStore.h"

#include <QImageReader>

#include <sys/stat.h>

namespace plovane {

std::optional<ImageFileKey> imageFileKey(const std::string& path)
{
    struct stat st {};
    if (path.empty() || ::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return std::nullopt;
    return ImageFileKey{path, static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec,
                        static_cast<std::int64_t>(st.st_size), static_cast<std::uint64_t>(st.st_ino)};
}

namespace {

QImage decode(const std::string& path)
{
    QImageReader reader(QString::fromStdString(path));
    reader.setAutoTransform(true);
    return reader.read();
}

} // namespace

ImageStore::ImageStore() : ImageStore(Limits{}) {}

ImageStore::ImageStore(Limits limits, TimeSource now) : limits_(limits), now_(std::move(now)) {}

ImageStore& ImageStore::shared()
{
    static ImageStore store;
    return store;
}

double ImageStore::now() const
{
    if (now_)
        return now_();
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

std::optional<ImageFileKey> ImageStore::keyFor(const std::string& path)
{
    if (File* f = current(path))
        return f->key;
    return std::nullopt;
}

ImageStore::File* ImageStore::current(const std::string& path)
{
    const double t = now();
    auto it = files_.find(path);
    if (it != files_.end() && t - it->second.checkedAt < limits_.recheckAfter) {
        touch(it->second);
        return &it->second;
    }
    const std::optional<ImageFileKey> key = imageFileKey(path);
    if (it != files_.end()) {
        if (key && *key == it->second.key) {
            it->second.checkedAt = t;
            touch(it->second);
            return &it->second;
        }
        // Gone or rewritten: what was made from the old version goes with it.
        fileUse_.erase(it->second.use);
        files_.erase(it);
    }
    if (!key)
        return nullptr;
    // A file that does not decode is kept as such too, so it is not decoded again until
    // it changes.
    QImage image = decode(path);
    ++decodes_;
    fileUse_.push_front(path);
    File& f = files_[path];
    f.key = *key;
    f.image = std::move(image);
    f.checkedAt = t;
    f.use = fileUse_.begin();
    trim();
    return &files_[path];
}

void ImageStore::touch(File& file)
{
    if (file.use != fileUse_.begin())
        fileUse_.splice(fileUse_.begin(), fileUse_, file.use);
}

QImage ImageStore::image(const std::string& path)
{
    File* f = current(path);
    return f ? f->image : QImage();
}

QImage ImageStore::derived(const std::string& path, const QString& variant,
                           const std::function<QImage(const QImage&)>& make)
{
    File* f = current(path);
    if (!f || f->image.isNull())
        return {};
    for (auto it = f->derived.begin(); it != f->derived.end(); ++it) {
        if (it->first == variant) {
            if (it != f->derived.begin())
                f->derived.splice(f->derived.begin(), f->derived, it);
            return f->derived.front().second;
        }
    }
    f->derived.emplace_front(variant, make(f->image));
    QImage made = f->derived.front().second;
    trim();
    return made;
}

QImage ImageStore::named(const QString& name, const std::function<QImage()>& make)
{
    if (auto it = named_.find(name); it != named_.end()) {
        namedUse_.splice(namedUse_.begin(), namedUse_, it->second.second);
        return it->second.first;
    }
    QImage image = make();
    namedUse_.push_front(name);
    named_.emplace(name, std::make_pair(image, namedUse_.begin()));
    while (named_.size() > limits_.named) {
        named_.erase(namedUse_.back());
        namedUse_.pop_back();
    }
    return image;
}

std::size_t ImageStore::derivedCount() const
{
    std::size_t n = 0;
    for (const auto& [path, f] : files_)
        n += f.derived.size();
    return n;
}

void ImageStore::trim()
{
    while (files_.size() > limits_.files) {
        files_.erase(fileUse_.back());
        fileUse_.pop_back();
    }
    // Pictures of the least recently used files go first; a file keeps its decoded image.
    std::size_t extra = derivedCount();
    for (auto it = fileUse_.rbegin(); it != fileUse_.rend() && extra > limits_.derived; ++it) {
        auto& list = files_[*it].derived;
        while (!list.empty() && extra > limits_.derived) {
            list.pop_back();
            --extra;
        }
    }
}

void ImageStore::recheckAll()
{
    for (auto& [path, f] : files_)
        f.checkedAt = -1e300;
}

void ImageStore::clear()
{
    files_.clear();
    fileUse_.clear();
    named_.clear();
    namedUse_.clear();
}

} // namespace plovane
