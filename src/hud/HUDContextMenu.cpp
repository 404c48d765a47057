#include "hud/HUDContextMenu.h"

#include "hud/HUDStyle.h"
#include "platform/qt/X11WindowHints.h"

#include <QCoreApplication>
#include <QMenu>
#include <QWindow>

namespace plovane {

HUDContextMenu::HUDContextMenu(HUDMenuActions actions) : actions_(std::move(actions))
{
    if (!actions_.quit)
        actions_.quit = [] { QCoreApplication::quit(); };
}

bool HUDContextMenu::exec(const hud::MenuInputs& inputs, QPoint globalPos, QWidget* parent) const
{
    QMenu menu(parent);
    // Typed as a popup menu, compositors that run X11 windows unmanaged (wlroots) do not
    // hand it the keyboard, which stays with the user's window.
    menu.winId();
    if (QWindow* window = menu.windowHandle())
        typeAsPopupMenu(*window);
    for (const hud::MenuEntry& e : hud::contextMenuEntries(inputs)) {
        if (e.isSeparator()) {
            menu.addSeparator();
            continue;
        }
        QAction* item = menu.addAction(hud::qs(e.title));
        if (e.action == &HUDMenuActions::quit)
            item->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
        QObject::connect(item, &QAction::triggered, &menu, [this, action = e.action] {
            if (const auto& run = actions_.*action)
                run();
        });
    }
    return menu.exec(globalPos) != nullptr;
}

} // namespace plovane
