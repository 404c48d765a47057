#include "windows/OwnWindowStacking.h"

#include "platform/qt/X11WindowHints.h"

#include <QGuiApplication>

#include <algorithm>

namespace plovane {

namespace {

bool floatsByItself(const QWindow& w) { return w.flags().testFlag(Qt::WindowStaysOnTopHint); }

bool isPassing(const QWindow& w)
{
    const Qt::WindowType type = w.type();
    return type == Qt::Popup || type == Qt::ToolTip || type == Qt::SplashScreen || type == Qt::Drawer;
}

} // namespace

void OwnWindowStacking::install()
{
    auto* app = QGuiApplication::instance();
    if (!app || app->findChild<OwnWindowStacking*>(QString(), Qt::FindDirectChildrenOnly))
        return;
    new OwnWindowStacking(app);
}

OwnWindowStacking::OwnWindowStacking(QObject* parent) : QObject(parent)
{
    connect(qGuiApp, &QGuiApplication::focusWindowChanged, this, &OwnWindowStacking::focusChanged);
}

QList<QWindow*> OwnWindowStacking::windowsToLift(QWindow* focus)
{
    QList<QWindow*> out;
    for (QWindow* w = focus; w && !out.contains(w); w = w->transientParent()) {
        if (!w->isTopLevel() || isPassing(*w) || floatsByItself(*w) ||
            w->flags().testFlag(Qt::WindowDoesNotAcceptFocus))
            continue;
        out.append(w);
    }
    return out;
}

void OwnWindowStacking::focusChanged(QWindow* focus)
{
    // A menu or tool tip taking the keyboard for a moment changes nothing.
    if (focus && isPassing(*focus))
        return;
    const QList<QWindow*> wanted = windowsToLift(focus);
    bool dropped = false;
    for (const QPointer<QWindow>& w : lifted_) {
        if (w && !wanted.contains(w.data())) {
            setKeptAbove(*w, false);
            dropped = true;
        }
    }
    QList<QPointer<QWindow>> now;
    // Parents first, so the focused window ends on top of them.
    for (auto it = wanted.crbegin(); it != wanted.crend(); ++it) {
        QWindow* w = *it;
        const bool was = std::any_of(lifted_.cbegin(), lifted_.cend(), [w](const QPointer<QWindow>& l) { return l == w; });
        if (!was) {
            setKeptAbove(*w, true);
            // Put in the layer, it may sit below the HUD there: raised as the active window
            // (some window managers ignore a plain raise from an application).
            w->raise();
            if (w == focus)
                w->requestActivate();
        }
        now.append(w);
    }
    lifted_ = std::move(now);
    if (dropped && wanted.isEmpty()) {
        // Back on top of whatever the user went to.
        for (QWindow* w : QGuiApplication::topLevelWindows())
            if (w->isVisible() && floatsByItself(*w) && !isPassing(*w))
                w->raise();
    }
}

QIcon programIcon()
{
    static const QIcon icon(QStringLiteral(":/plovane/org.plovane.Plovane.png"));
    return icon;
}

} // namespace plovane
