#pragma once

#include <QImage>
#include <QString>

#include <chrono>
#include <cstdint>
#include <functional>
#include <list>
#include <optional>
#include <string>
#include <unordered_map>

namespace plovane {

// What identifies one version of an image file: its path, modification time and size
// (and inode, for a file replaced by a rename within the same clock tick). A file
// rewritten gets a new key, so nothing made from the old one is shown.
struct ImageFileKey {
    std::string path;
    std::int64_t modifiedNs{0};
    std::int64_t size{0};
    std::uint64_t inode{0};
    bool operator==(const ImageFileKey&) const = default;
};

// The current version of a file, or nothing when it is not a regular file.
std::optional<ImageFileKey> imageFileKey(const std::string& path);

// The one owner of the UI's decoded and prepared images. Files are keyed by path,
// modification time and size; pictures made from a file (scaled, shadowed, greyed) are
// kept with it and go when it changes; pictures made from nothing on disk (a rendered
// text line, a theme icon) are kept by name. Everything is bounded, least recently used
// going first. A path's file is looked at (stat) at most once per `recheckAfter`, so a
// painter may ask many times a second without touching the disk each time.
// Main thread only.
class ImageStore {
public:
    using TimeSource = std::function<double()>; // seconds, monotonic

    struct Limits {
        std::size_t files{48};   // decoded files, with what was made from each
        std::size_t derived{96}; // pictures made from files, over all files
        std::size_t named{128};  // pictures kept by name
        double recheckAfter{1.0};
    };

    ImageStore();
    explicit ImageStore(Limits limits, TimeSource now = {});

    // The current version of a file, or nothing when it is not a regular file. A file
    // that is there but does not decode has a key and a null image.
    std::optional<ImageFileKey> keyFor(const std::string& path);
    // The file decoded as it is now; null when it is missing (nothing is kept: the next
    // call looks again) or not an image (kept until the file changes).
    QImage image(const std::string& path);
    // A picture made from the file's current version by `make`, once per version and
    // `variant` (which names what was made: size, colour, …). Null when the file is.
    QImage derived(const std::string& path, const QString& variant, const std::function<QImage(const QImage&)>& make);
    // A picture kept under `name` (which must say everything it depends on), made once.
    QImage named(const QString& name, const std::function<QImage()>& make);

    // Forgets every file's last look, so the next request checks the disk.
    void recheckAll();
    void clear();
    bool contains(const std::string& path) const { return files_.count(path) != 0; }
    std::size_t fileCount() const { return files_.size(); }
    std::size_t derivedCount() const;
    std::size_t namedCount() const { return named_.size(); }
    // Decodes so far (tests and benchmarks).
    std::size_t decodeCount() const { return decodes_; }

    // The process-wide store the UI uses unless given another.
    static ImageStore& shared();

private:
    struct File {
        ImageFileKey key;
        QImage image;
        double checkedAt{0};
        std::list<std::string>::iterator use;
        std::list<std::pair<QString, QImage>> derived; // most recent first
    };

    File* current(const std::string& path);
    void touch(File& file);
    void trim();
    double now() const;

    Limits limits_;
    TimeSource now_;
    std::unordered_map<std::string, File> files_;
    std::list<std::string> fileUse_; // most recent first
    std::unordered_map<QString, std::pair<QImage, std::list<QString>::iterator>> named_;
    std::list<QString> namedUse_;
    std::size_t decodes_{0};
};

} // namespace plovane
