#include "hud/TipFades.h"

#include "hud/CompactAdviceLabel.h"
#include "hud/DataPanelView.h"
#include "platform/qt/AnimationDriver.h"

#include <QWidget>

namespace plovane {

TipFades::TipFades(QWidget& view, const HUDScene& scene, const HUDRegions& regions, const HUDPainter& painter)
    : view_(view),
      scene_(scene),
      regions_(regions),
      fade_(view, [&painter](QPainter& p, const QRect& area, bool end) { painter.paint(p, area, end ? 1.0 : 0.0); })
{
}

void TipFades::cardFrame(const QRectF& inCard)
{
    const double panel = scene_.panelPresence.value();
    if (panel <= 0.0)
        return; // compact mode: the card is not drawn
    frame(panel >= 1.0 && scene_.card.isAdviceFading(), regions_.cardChange(inCard), scene_.card.adviceProgress());
}

void TipFades::pillFrame()
{
    const double panel = scene_.panelPresence.value();
    if (panel >= 1.0)
        return; // the card shows the tip; the pill is not drawn
    frame(panel <= 0.0 && scene_.pill.isFading(), regions_.areas().pill, scene_.pill.progress());
}

double TipFades::progress() const
{
    return scene_.pill.isFading() ? scene_.pill.progress() : scene_.card.adviceProgress();
}

void TipFades::frame(bool mixable, const QRect& changed, double progress)
{
    if (mixable) {
        if (fade_.frame(changed, progress))
            return;
    } else {
        fade_.finish();
    }
    view_.update(changed);
}

} // namespace plovane
