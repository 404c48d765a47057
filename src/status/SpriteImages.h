#pragma once

#include "platform/qt/ImageStore.h"

#include <QImage>
#include <QObject>

#include <cstddef>
#include <functional>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

namespace plovane {

// Pictures the status item makes from sprite files (the menu's thumbnails, the sprite the
// status icon is cut from), each read once per version of its file and at the size it is
// shown. Sprites are pixel art of a few dozen pixels and are read at once. A far larger
// file (an imported pack's, from before packs were bounded) takes most of a second to
// read whatever size it is read at: it is read on a worker thread, and `onReady` runs on
// the main thread once it is in.
class SpritePictures {
public:
    enum class Shape {
        // Stretched to side × side with hard pixel edges.
        square,
        // Whole, no larger than side on either side.
        within,
    };

    SpritePictures(QObject& context, std::function<void()> onReady);
    ~SpritePictures();
    SpritePictures(const SpritePictures&) = delete;
    SpritePictures& operator=(const SpritePictures&) = delete;

    // The picture of the file as it is now; null when the file does not load, or while a
    // large one is still being read.
    QImage picture(const std::string& path, int side, Shape shape);
    // Files read so far (tests and benchmarks), and whether a worker is reading one.
    std::size_t readCount() const { return reads_; }
    bool reading() const { return pending_ > 0; }

private:
    struct Entry {
        ImageFileKey version;
        QImage image;
        bool ready{false};
    };

    QObject* context_;
    std::function<void()> onReady_;
    std::unordered_map<std::string, Entry> entries_;
    std::vector<std::jthread> workers_;
    std::size_t reads_{0};
    int pending_{0};
};

} // namespace plovane
