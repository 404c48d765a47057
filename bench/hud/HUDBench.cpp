// What the HUD costs the main thread for the repaints it does while idle: the sprite
// frame every 0.25 s, the SHIFT clock once a second, and a full repaint (state change,
// hover fade frames). Rendered on Qt's offscreen platform into an image.

#include "HUDTestRig.h"

#include <QPainter>

#include <benchmark/benchmark.h>

using namespace plovane;
using namespace plovane::test;

namespace {

struct Bench {
    HUDRig rig;
    QImage image{392, 220, QImage::Format_ARGB32_Premultiplied};
    Bench()
    {
        rig.settings->idleOpacity = 0.4;
        rig.makeView();
        rig.show();
        rig.engine->adviceText = "Shoulders down, chin back: let the screen come to you.";
        rig.finishAnimations();
    }
    void render(const QRegion& region)
    {
        image.fill(Qt::transparent);
        rig.view->render(&image, QPoint(), region, QWidget::DrawChildren);
    }
};

Bench& bench()
{
    static Bench* b = new Bench();
    return *b;
}

void BM_FullRepaint(benchmark::State& state)
{
    Bench& b = bench();
    for (auto _ : state)
        b.render(QRegion(b.rig.view->rect()));
}
BENCHMARK(BM_FullRepaint);

void BM_SpriteFrameTick(benchmark::State& state)
{
    Bench& b = bench();
    const QRegion sprite = b.rig.view->spriteFrameRect().adjusted(-24, -24, 24, 24).toAlignedRect();
    for (auto _ : state) {
        b.rig.scheduler.advance(0.25);
        b.render(sprite);
    }
}
BENCHMARK(BM_SpriteFrameTick);

void BM_ShiftClockSecond(benchmark::State& state)
{
    Bench& b = bench();
    const QRegion card = b.rig.view->dataPanelRect().adjusted(-2, -2, 2, 2).toAlignedRect();
    long long seconds = 0;
    for (auto _ : state) {
        b.rig.engine->focusSeconds = ++seconds;
        b.rig.view->refreshNow();
        b.render(card);
    }
}
BENCHMARK(BM_ShiftClockSecond);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    testApp();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
