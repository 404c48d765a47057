#include "platform/qt/QtFontManager.h"

#include <QFontDatabase>
#include <QGuiApplication>
#include <QString>

namespace plovane {

bool QtFontManager::registerFontFile(const std::string& path)
{
    // Qt's font database only exists once the GUI application does.
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return false;
    return QFontDatabase::addApplicationFont(QString::fromStdString(path)) >= 0;
}

} // namespace plovane
