// What a rebuild of the status menu costs the main thread (the refresh after a compact,
// knock-hint or language toggle: the packs read from disk, the content made, the rows
// and both submenus rebuilt), with one imported pack whose thumbnail sprite is a
// 5,500 × 5,500 picture, and with ordinary 32 × 32 sprites; and, with 1,000 packs, what
// the menu's opening costs (the packs folder read again and found unchanged) and a
// rebuild. Qt's offscreen platform.
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
#include <vector>

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

// Each benchmark's own data folder, removed at the end.
std::vector<std::string> dataFolders;

void useDataFolder(const std::string& name)
{
    const std::string home = (fs::temp_directory_path() / ("plovane-menu-bench-" + name)).string();
    fs::remove_all(home);
    dataFolders.push_back(home);
    ::setenv("XDG_DATA_HOME", home.c_str(), 1);
}

void usePack(int side)
{
    useDataFolder(std::to_string(side));
    writePack(AppResource::customSpritesBase() + "/Big", side);
}

// `count` packs of 32 × 32 sprites named "Pack 1" … in no particular order on disk.
void usePacks(int count)
{
    useDataFolder("packs-" + std::to_string(count));
    const std::string base = AppResource::customSpritesBase();
    writePack(base + "/pack-0", 32);
    for (int i = 1; i < count; ++i)
        fs::copy(base + "/pack-0", base + "/pack-" + std::to_string(i * 7919 % count), fs::copy_options::recursive);
    for (int i = 0; i < count; ++i) {
        FILE* manifest = std::fopen((base + "/pack-" + std::to_string(i) + "/manifest.json").c_str(), "w");
        std::fprintf(manifest, "{\"name\": \"Pack %d\"}", (i * 389 + 17) % count);
        std::fclose(manifest);
    }
}

std::unique_ptr<StatusMenuController> menu()
{
    return std::make_unique<StatusMenuController>(StatusMenuActions{}, std::make_unique<FixedStatusArea>(TrayHost::xembed));
}

// Every rebuild after the menu's first: what a compact or language toggle costs.
void rebuild(benchmark::State& state)
{
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

void BM_MenuRebuildWithHugeSprite(benchmark::State& state)
{
    usePack(5500);
    rebuild(state);
}
BENCHMARK(BM_MenuRebuildWithHugeSprite)->Unit(benchmark::kMillisecond);

void BM_FirstMenuBuildWithHugeSprite(benchmark::State& state) { firstBuild(state, 5500); }
BENCHMARK(BM_FirstMenuBuildWithHugeSprite)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_MenuRebuildWithSmallSprites(benchmark::State& state)
{
    usePack(32);
    rebuild(state);
}
BENCHMARK(BM_MenuRebuildWithSmallSprites)->Unit(benchmark::kMillisecond);

// What each opening of the menu costs with 1,000 packs and none added: the folder read again.
void BM_PackListingAtMenuOpening1000Packs(benchmark::State& state)
{
    usePacks(1000);
    const std::vector<CustomCharacter> listed = CustomCharacter::loadAll();
    for (auto _ : state) {
        const bool changed = CustomCharacter::loadAll() != listed;
        benchmark::DoNotOptimize(changed);
    }
}
BENCHMARK(BM_PackListingAtMenuOpening1000Packs)->Unit(benchmark::kMillisecond);

// A language toggle with 1,000 packs listed: the rows rewritten in place.
void BM_MenuRebuildWith1000Packs(benchmark::State& state)
{
    usePacks(1000);
    rebuild(state);
}
BENCHMARK(BM_MenuRebuildWith1000Packs)->Unit(benchmark::kMillisecond);

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
    for (const std::string& folder : dataFolders)
        fs::remove_all(folder);
    return 0;
}
