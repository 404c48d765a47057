#include "windows/OwnWindowStacking.h"

#include "platform/qt/X11ActiveWindowWatch.h"
#include "platform/qt/X11WindowHints.h"

#include <QGuiApplication>

#include <algorithm>
#include <utility>

namespace plovane {

namespace {

bool floatsByItself(const QWindow& w) { return w.flags().testFlag(Qt::WindowStaysOnTopHint); }

// Out of the window manager's hands (the HUD under a tiling manager), so above every window
// it stacks.
bool unmanaged(const QWindow& w) { return w.flags().testFlag(Qt::X11BypassWindowManagerHint); }

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

OwnWindowStacking::OwnWindowStacking(QObject* parent)
    : QObject(parent), windowManagerActive_(new X11ActiveWindowWatch(this))
{
    connect(qGuiApp, &QGuiApplication::focusWindowChanged, this, &OwnWindowStacking::focusChanged);
    // While the HUD stands down, the window manager's word on the active window counts
    // too: the toolkit does not hear of every activation that moves away from ours.
    connect(windowManagerActive_, &X11ActiveWindowWatch::activeChanged, this, &OwnWindowStacking::focusChanged);
}

QList<QWindow*> OwnWindowStacking::windowsOverHud(QWindow* focus)
{
    QList<QWindow*> out;
    for (QWindow* w = focus; w && !out.contains(w); w = w->transientParent()) {
        // Nor those out of the window manager's hands: the status icon takes the focus
        // inside an XEmbed tray's window.
        if (!w->isTopLevel() || isPassing(*w) || floatsByItself(*w) || unmanaged(*w) ||
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
    // A window that goes while active may leave the focus with it as far as we hear.
    const QList<QWindow*> front = focus && focus->isVisible() ? windowsOverHud(focus) : QList<QWindow*>{};
    if (!front.isEmpty()) {
        // Our windows keep the ordinary layer, where the window manager orders them with
        // the user's; the floating ones step down into it and ours go over them.
        for (QWindow* w : QGuiApplication::topLevelWindows()) {
            if (!floatsByItself(*w) || isPassing(*w) ||
                std::any_of(lowered_.cbegin(), lowered_.cend(), [w](const QPointer<QWindow>& l) { return l == w; }))
                continue;
            // One no window manager stacks can only step out of sight.
            if (unmanaged(*w))
                keepOutOfSight(*w, true);
            else
                setKeptAbove(*w, false);
            lowered_.append(w);
        }
        windowManagerActive_->setFollowing(true);
        // Parents first, so the focused window ends on top of them.
        for (auto it = front.crbegin(); it != front.crend(); ++it) {
            (*it)->raise();
            connect(*it, &QWindow::visibleChanged, this, &OwnWindowStacking::visibilityChanged, Qt::UniqueConnection);
        }
        return;
    }
    // The user went to another application, or our window went: the floating windows
    // float again, above whatever the user went to.
    windowManagerActive_->setFollowing(false);
    for (const QPointer<QWindow>& w : std::exchange(lowered_, {})) {
        if (!w)
            continue;
        if (unmanaged(*w))
            keepOutOfSight(*w, false);
        else
            setKeptAbove(*w, true);
        if (w->isVisible())
            w->raise();
    }
}

void OwnWindowStacking::visibilityChanged()
{
    // Hiding the active window brings no word of the focus going elsewhere.
    focusChanged(QGuiApplication::focusWindow());
}

QIcon programIcon()
{
    static const QIcon icon(QStringLiteral(":/plovane/org.plovane.Plovane.png"));
    return icon;
}

} // namespace plovane
