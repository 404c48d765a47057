#pragma once

#include "platform/linux/apps/ApplicationIdentity.h"
#include "platform/linux/FocusedApplicationSource.h"

#include <QDBusConnection>
#include <QDBusContext>
#include <QObject>
#include <QString>

#include <memory>
#include <optional>

class QTemporaryFile;

namespace plovane {

// The focused application on KDE Plasma's Wayland session, which offers no public list
// of windows: a small script loaded into KWin over D-Bus reports each activated window
// (its desktop-file name, class, instance and process id) to an object of ours on the
// session bus. Works with KWin 5.27 and 6. The script is unloaded again when the source
// goes. Lives on the main thread; the reports arrive through its event loop.
class KWinScriptSource final : public QObject, protected QDBusContext, public FocusedApplicationSource {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.plovane.ActiveWindow")
public:
    // Null when KWin is not on the session bus or refuses the script.
    static std::shared_ptr<KWinScriptSource> load(const QDBusConnection& session,
                                                  std::shared_ptr<const ApplicationIdentity> identity);
    ~KWinScriptSource() override;

    std::optional<RunningApplication> focusedApplication() override;
    std::string description() const override { return "a KWin script"; }

public Q_SLOTS:
    // Called by the script; every argument is text (JavaScript numbers would arrive as
    // floating point). Calls from anyone but KWin are ignored.
    Q_SCRIPTABLE void activated(const QString& desktopFileName, const QString& windowClass, const QString& instance,
                                const QString& pid);

private:
    KWinScriptSource(QDBusConnection session, std::shared_ptr<const ApplicationIdentity> identity);
    bool calledByKWin();
    QDBusMessage scriptingCall(const QString& method, const QVariantList& args) const;

    QDBusConnection session_;
    std::shared_ptr<const ApplicationIdentity> identity_;
    QString objectPath_;
    std::unique_ptr<QTemporaryFile> script_;
    QString kwinOwner_;
    std::optional<RunningApplication> focused_;
};

} // namespace plovane
