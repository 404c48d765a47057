#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace plovane::test {

// Writes small ZIP archives for the tests, including ones no honest tool would make:
// links, device files, climbing names, sizes that lie.
class ZipWriter {
public:
    enum class Method { stored, deflated };

    struct Entry {
        std::string name;
        std::string data;
        // Unix mode in the external attributes (type and permissions); 0 for none.
        std::uint32_t mode{0100644};
        Method method{Method::stored};
        // The uncompressed size the archive claims, when it should lie about it.
        std::optional<std::uint64_t> declaredSize;
    };

    ZipWriter& file(std::string name, std::string data, std::uint32_t mode = 0100644);
    ZipWriter& folder(std::string name);
    ZipWriter& symlink(std::string name, std::string target);
    ZipWriter& add(Entry entry);

    // The archive's bytes, or written to `path`.
    std::string bytes() const;
    void write(const std::string& path) const;

private:
    std::vector<Entry> entries_;
};

// A valid pack: "<folder>/manifest.json" with `name` (raw JSON text of the manifest when
// `manifest` is given) and the five still sprites, each a tiny PNG.
ZipWriter packArchive(const std::string& folder, const std::string& manifest);
// The bytes of a small real PNG image.
std::string tinyPng();
// The start of a PNG of width × height (signature and header chunk): what a picture of
// that size begins with, without its pixels.
std::string pngHeaderOfSize(std::uint32_t width, std::uint32_t height);
// A whole transparent PNG of width × height that decodes.
std::string pngOfSize(std::uint32_t width, std::uint32_t height);

} // namespace plovane::test
