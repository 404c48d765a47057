#pragma once

// Helpers shared by the widget tests: one application object per test process, pixel
// counting and colour comparison for rendered images, and the picture galleries.

#include <QApplication>
#include <QColor>
#include <QImage>
#include <QRectF>

#include <functional>
#include <string>

namespace plovane::test {

// One QApplication for the whole test process (each test case runs in its own process).
QApplication& testApp();

// Pixels inside `rect` (sampled every `step` pixels) for which `keep` holds.
int countPixels(const QImage& image, const QRectF& rect, const std::function<bool(QColor)>& keep, int step = 1);

// Each of red, green and blue within `tolerance` of the other colour.
bool near(QColor a, QColor b, int tolerance = 6);

// Writes `image` as <dir>/<name>.png, where dir comes from the environment variable
// `dirVariable` (set by CMake to a folder in the build) or else `fallbackDir`.
void saveToGallery(const QImage& image, const std::string& name, const char* dirVariable, const char* fallbackDir);

} // namespace plovane::test
