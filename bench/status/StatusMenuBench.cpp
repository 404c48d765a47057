// What a rebuild of the status menu costs the main thread (the refresh after a compact,
// knock-hint or language toggle: the packs read from disk, the content made, the rows
// and both submenus rebuilt), with one imported pack whose thumbnail sprite is a
// 5,500 × 5,500 picture, and with ordinary 32 × 32 sprites. Qt's offscreen platform.
//
//   status_menu_bench [--benchmark_filter=…]

#include "status/StatusMenuController.h"

#include "settings/AppResource.h"
#include "settings/CustomCharacter.h"

#include <QApplication>
#include <QImage>
#include <QRandomGenerator>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

using namespace plovane;
namespace fs = std::filesystem;

namespace {

// A pack whose thumbnail sprite (deep dive) is side × side pixels of coarse noise, which
// compresses about as badly as a detailed picture (some 50 MB at 5,500 pixels); its other
// sprites are 32 × 32.
void writePack(const std::string& folder, int side)
{
    fs::create_directories(folder);
    QImage sprite(side, side, QImage::Format_ARGB32);
    auto* random = QRandomGenerator::global();
    for (int y = 0; y < side; ++y) {
        auto* row = reinterpret_cast<quint32*>(sprite.scanLine(y));
        for (int x = 0; x < side; ++x)
            row[x] = (random->generate() & 0x00f0f0f0u) | 0xff000000u;
    }
    const QImage small = sprite.copy(0, 0, 32, 32);
    for (const char* key : {"deep_dive", "reading", "hovering", "resting", "critical"}) {
        const std::string path = folder + "/sprite_" + key + "_32.png";
        if (!fs::exists(path))
            (std::string(key) == "deep_dive" ? sprite : small).save(QString::fromStdString(path), "PNG");
    }
    FILE* manifest = std::fopen((folder + "/manifest.json").c_str(), "w");
    std::fputs("{\"name\": \"Big\"}", manifest);
    std::fclose(manifest);
}

StatusMenuState stateFor(Language lang)
{
    StatusMenuState s;
    s.language = lang;
    s.characterRaw = "corgi";
    s.packs = CustomCharacter::loadAll();
    return s;
}

void usePack(int side)
{
    const std::string home = (fs::temp_directory_path() / ("plovane-menu-bench-" + std::to_string(side))).string();
    ::setenv("XDG_DATA_HOME", home.c_str(), 1);
    writePack(AppResource::customSpritesBase() + "/Big", side);
}

std::unique_ptr<StatusMenuController> menu()
{
    return std::make_unique<StatusMenuController>(StatusMenuActions{}, std::make_unique<FixedStatusArea>(TrayHost::xembed));
}

// Every rebuild after the menu's first: what a compact or language toggle costs.
void rebuild(benchmark::State& state, int side)
{
    usePack(side);
    const auto controller = menu();
    controller->apply(makeStatusMenuContent(stateFor(Language::zh)));
    bool zh = true;
    for (auto _ : state) {
        // What a language toggle does: the packs read again, every title rewritten.
        zh = !zh;
        controller->apply(makeStatusMenuContent(stateFor(zh ? Language::zh : Language::en)));
    }
}

// The menu's first build at launch, or after its pack's sprite changed on disk.
void firstBuild(benchmark::State& state, int side)
{
    usePack(side);
    for (auto _ : state) {
        state.PauseTiming();
        auto controller = menu();
        state.ResumeTiming();
        controller->apply(makeStatusMenuContent(stateFor(Language::en)));
        state.PauseTiming();
        controller.reset();
        state.ResumeTiming();
    }
}

void BM_MenuRebuildWithHugeSprite(benchmark::State& state) { rebuild(state, 5500); }
BENCHMARK(BM_MenuRebuildWithHugeSprite)->Unit(benchmark::kMillisecond);

void BM_FirstMenuBuildWithHugeSprite(benchmark::State& state) { firstBuild(state, 5500); }
BENCHMARK(BM_FirstMenuBuildWithHugeSprite)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_MenuRebuildWithSmallSprites(benchmark::State& state) { rebuild(state, 32); }
BENCHMARK(BM_MenuRebuildWithSmallSprites)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int qtArgc = 1;
    static char name[] = "status_menu_bench";
    static char* qtArgv[] = {name, nullptr};
    QApplication app(qtArgc, qtArgv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
