#pragma once

#include "platform/ScreenWatch.h"

#include <QObject>

#include <cstdint>
#include <memory>

class QSocketNotifier;

namespace plovane {

class XcbConnection;

// The X server's screen saver from its MIT-SCREEN-SAVER extension: the saver turning on
// (by timeout, `xset s activate`, or the display being put to sleep, which starts it
// too) and off again. The server tells of each change on a connection of our own, which
// wakes the main thread only then; nothing is asked in between.
class XScreenSaverWatch final : public QObject, public ScreenWatch {
public:
    // Null when there is no display, or the server lacks the extension.
    static std::unique_ptr<XScreenSaverWatch> open();
    ~XScreenSaverWatch() override;

    bool screenSeen() const override { return !saverOn_; }

private:
    explicit XScreenSaverWatch(std::shared_ptr<XcbConnection> connection);
    void readEvents();
    void setSaverOn(bool on);

    std::shared_ptr<XcbConnection> connection_;
    QSocketNotifier* notifier_{nullptr};
    Connection notifies_;
    bool saverOn_{false};
};

} // namespace plovane
