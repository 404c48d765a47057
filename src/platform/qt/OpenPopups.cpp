#include "platform/qt/OpenPopups.h"

#include <QApplication>
#include <QWidget>

namespace plovane {

void closeOpenPopups()
{
    // Each close takes the innermost open popup; a bound keeps one that refuses to close
    // from holding us here.
    for (int i = 0; i < 16; ++i) {
        QWidget* popup = QApplication::activePopupWidget();
        if (!popup)
            return;
        popup->close();
    }
}

} // namespace plovane
