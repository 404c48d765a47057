#pragma once

#include "platform/Signal.h"
#include "settings/Language.h"

#include <QSize>
#include <QString>
#include <QWidget>

#include <functional>
#include <string>

namespace plovane {

class AppLanguage;

// A top-level window around one content view: fixed content size (the window manager
// sees equal minimum and maximum sizes), a title bar with only a close button, and
// unlike the HUD it takes the focus. Closing it only hides it; the owner decides whether
// to keep it or build a new one.
class SecondaryWindow final : public QWidget {
    Q_OBJECT
public:
    SecondaryWindow(const QString& title, QSize contentSize, QWidget* parent = nullptr);

    // Takes `content` as the one child, filling the window.
    void setContent(QWidget* content);
    QWidget* content() const { return content_; }

    // Titles the window `title(language)` now and again after every switch of `language`.
    void titleFollows(AppLanguage& language, std::function<std::string(Language)> title);

    // First showing: centred on the screen under the pointer, then to the front.
    void present();
    // Shows it if hidden, raises it and makes it the active window.
    void bringToFront();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QWidget* content_{nullptr};
    Connection languageObserver_;
};

} // namespace plovane
