#include "platform/qt/X11Connection.h"

#include <QGuiApplication>

namespace plovane {

xcb_connection_t* toolkitX11Connection()
{
    auto* x11 = qApp ? qApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

} // namespace plovane
