#include "HUDTestRig.h"

#include <QDir>
#include <QPainter>

#include <cstdlib>

namespace plovane::test {

HUDRig::HUDRig(Language lang, bool welcomeAlreadyShown)
{
    testApp();
    UserDefaults::setStandard(defaults);
    AppLanguage::shared().language = lang;
    language = std::make_unique<AppLanguage>(*defaults);
    language->language = lang;
    settings = std::make_unique<HUDSettings>(*defaults);
    settings->hasShownWelcome = welcomeAlreadyShown;
    auto input = std::make_unique<GlobalInputMonitor>(idle);
    auto ide = std::make_unique<IDEStateProvider>(axMonitor);
    engine = std::make_unique<DiveEngine>(DiveConfig{}, std::move(input), std::make_unique<ActiveAppMonitor>(workspace),
                                          std::move(ide), EngineServices{clock, scheduler, workspace, sleepWake, *defaults, EngineTuning{.language = lang}});
}

HUDRig::~HUDRig()
{
    view.reset();
    engine.reset();
    UserDefaults::setStandard(nullptr);
}

HUDView& HUDRig::makeView()
{
    HUDView::Environment env;
    env.appLanguage = language.get();
    env.hudSettings = settings.get();
    env.scheduler = &scheduler;
    env.images = &images;
    env.animationTime = [this] { return animationTime; };
    env.screenWatch = screenWatch;
    env.pointerPosition = [this]() -> std::optional<QPoint> {
        if (pointerOffDisplay)
            return std::nullopt;
        return pointer.value_or(view->clickOverlay()->mapToGlobal(view->clickOverlay()->rect().center()));
    };
    view = std::make_unique<HUDView>(*engine, env);
    view->setAttribute(Qt::WA_DontShowOnScreen);
    view->resize(392, 220);
    return *view;
}

void HUDRig::show()
{
    view->show();
    settle();
}

void HUDRig::settle()
{
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();
}

void HUDRig::animate(double seconds)
{
    animationTime += seconds;
    view->animationDriver().tick();
}

QImage HUDRig::render()
{
    QImage image(view->size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    view->render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

QImage HUDRig::renderOverBackdrop()
{
    QImage out(view->size(), QImage::Format_ARGB32_Premultiplied);
    QPainter p(&out);
    QLinearGradient g(0, 0, out.width(), out.height());
    g.setColorAt(0, QColor(70, 96, 130));
    g.setColorAt(1, QColor(150, 160, 170));
    p.fillRect(out.rect(), g);
    p.drawImage(0, 0, render());
    return out;
}

void saveToGallery(const QImage& image, const std::string& name)
{
    saveToGallery(image, name, "PLOVANE_HUD_GALLERY", "hud-gallery");
}

} // namespace plovane::test
