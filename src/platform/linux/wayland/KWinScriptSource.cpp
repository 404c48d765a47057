#include "platform/linux/wayland/KWinScriptSource.h"

#include "platform/AppIdentity.h"
#include "platform/linux/apps/ProcRunningApplications.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDir>
#include <QTemporaryFile>

#include <unistd.h>

#include <atomic>

namespace plovane {

namespace {

const QString kKWinService = QStringLiteral("org.kde.KWin");
const QString kScriptingPath = QStringLiteral("/Scripting");
const QString kScriptingInterface = QStringLiteral("org.kde.kwin.Scripting");
const QString kPluginName = QStringLiteral("plovane-active-window");
constexpr int kCallTimeoutMs = 2000;

// %1: our name on the bus, %2: the path of our object. Plasma 6 names windows what 5.27
// called clients.
constexpr const char* kScript = R"(// Reports the active window to Plovane.
function report(window) {
    callDBus("%1", "%2", "org.plovane.ActiveWindow", "activated",
             window ? String(window.desktopFileName || "") : "",
             window ? String(window.resourceClass || "") : "",
             window ? String(window.resourceName || "") : "",
             window ? String(window.pid || 0) : "0");
}
if (workspace.windowActivated) {
    workspace.windowActivated.connect(report);
    report(workspace.activeWindow);
} else {
    workspace.clientActivated.connect(report);
    report(workspace.activeClient);
}
)";

QString scriptFolder()
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    return runtime.startsWith(QLatin1Char('/')) ? runtime : QDir::tempPath();
}

} // namespace

KWinScriptSource::KWinScriptSource(QDBusConnection session, std::shared_ptr<const ApplicationIdentity> identity)
    : session_(std::move(session)), identity_(std::move(identity))
{
}

QDBusMessage KWinScriptSource::scriptingCall(const QString& method, const QVariantList& args) const
{
    auto message = QDBusMessage::createMethodCall(kKWinService, kScriptingPath, kScriptingInterface, method);
    message.setArguments(args);
    return session_.call(message, QDBus::Block, kCallTimeoutMs);
}

std::shared_ptr<KWinScriptSource> KWinScriptSource::load(const QDBusConnection& session,
                                                         std::shared_ptr<const ApplicationIdentity> identity)
{
    if (!session.isConnected() || !session.interface())
        return nullptr;
    const QString owner = session.interface()->serviceOwner(kKWinService).value();
    if (owner.isEmpty())
        return nullptr;
    std::shared_ptr<KWinScriptSource> self(new KWinScriptSource(session, std::move(identity)));
    self->kwinOwner_ = owner;

    static std::atomic<int> counter{0};
    const int n = counter++;
    self->objectPath_ = QStringLiteral("/org/plovane/ActiveWindow") + (n ? QString::number(n) : QString());
    if (!self->session_.registerObject(self->objectPath_, self.get(), QDBusConnection::ExportScriptableSlots))
        return nullptr;

    // KWin reads the file when the script starts; it stays until we go.
    self->script_ = std::make_unique<QTemporaryFile>(scriptFolder() + QStringLiteral("/plovane-kwin-XXXXXX.js"));
    if (!self->script_->open())
        return nullptr;
    self->script_->write(QString::fromUtf8(kScript).arg(session.baseService(), self->objectPath_).toUtf8());
    self->script_->flush();

    // A copy of ours that ended without unloading its script left it behind.
    self->scriptingCall(QStringLiteral("unloadScript"), {kPluginName});
    const QDBusMessage loaded =
        self->scriptingCall(QStringLiteral("loadScript"), {self->script_->fileName(), kPluginName});
    if (loaded.type() != QDBusMessage::ReplyMessage || loaded.arguments().isEmpty() ||
        loaded.arguments().constFirst().toInt() < 0)
        return nullptr;
    if (self->scriptingCall(QStringLiteral("start"), {}).type() != QDBusMessage::ReplyMessage)
        return nullptr;
    return self;
}

KWinScriptSource::~KWinScriptSource()
{
    if (script_) {
        auto message = QDBusMessage::createMethodCall(kKWinService, kScriptingPath, kScriptingInterface,
                                                      QStringLiteral("unloadScript"));
        message.setArguments({kPluginName});
        session_.call(message, QDBus::NoBlock);
    }
    if (!objectPath_.isEmpty())
        session_.unregisterObject(objectPath_);
}

bool KWinScriptSource::calledByKWin()
{
    if (!calledFromDBus())
        return false;
    const QString sender = message().service();
    if (sender == kwinOwner_)
        return true;
    // KWin may have come back under a new name.
    kwinOwner_ = session_.interface()->serviceOwner(kKWinService).value();
    return !kwinOwner_.isEmpty() && sender == kwinOwner_;
}

void KWinScriptSource::activated(const QString& desktopFileName, const QString& windowClass, const QString& instance,
                                 const QString& pid)
{
    if (!calledByKWin())
        return;
    const int processId = pid.toInt();
    if (desktopFileName.isEmpty() && windowClass.isEmpty() && instance.isEmpty() && processId <= 0) {
        focused_.reset();
        return;
    }
    if (processId > 0 && processId == static_cast<int>(::getpid())) {
        focused_ = RunningApplication{std::string(kAppIdentifier), std::string(kAppName), std::string(kAppIdentifier),
                                      processId};
        return;
    }
    const std::string executable = processId > 0 ? ProcRunningApplications::executableOf("/proc", processId) : "";
    // The desktop-file name, when KWin knows it, names the application best.
    const QString named = desktopFileName.isEmpty() ? instance : desktopFileName;
    const ApplicationInfo info = identity_->forWindow(named.toStdString(), windowClass.toStdString(), executable);
    focused_ = RunningApplication{info.bundleID, info.name, info.icon, processId};
}

std::optional<RunningApplication> KWinScriptSource::focusedApplication() { return focused_; }

} // namespace plovane
