#include "windows/SecondaryWindow.h"

#include "platform/qt/X11WindowHints.h"
#include "settings/AppLanguage.h"

#include <QCursor>
#include <QGuiApplication>
#include <QResizeEvent>
#include <QScreen>
#include <QTimer>
#include <QWindow>

namespace plovane {

SecondaryWindow::SecondaryWindow(const QString& title, QSize contentSize, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setWindowTitle(title);
    // Equal minimum and maximum: neither the user nor the window manager resizes it.
    setFixedSize(contentSize);
    setAttribute(Qt::WA_DeleteOnClose, false);
}

void SecondaryWindow::setContent(QWidget* content)
{
    if (content_ && content_ != content)
        content_->deleteLater();
    content_ = content;
    if (content_) {
        content_->setParent(this);
        content_->setGeometry(rect());
        if (isVisible())
            content_->show();
    }
}

void SecondaryWindow::titleFollows(AppLanguage& language, std::function<std::string(Language)> title)
{
    setWindowTitle(QString::fromStdString(title(language.language.get())));
    // The switch is announced before it is stored: retitle once it is done.
    languageObserver_ = language.objectWillChange.connect([this, &language, title = std::move(title)] {
        QTimer::singleShot(0, this, [this, &language, title] {
            setWindowTitle(QString::fromStdString(title(language.language.get())));
        });
    });
}

void SecondaryWindow::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (content_)
        content_->setGeometry(rect());
}

void SecondaryWindow::present()
{
    QScreen* screen = QGuiApplication::screenAt(QCursor::pos());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (screen) {
        const QRect area = screen->availableGeometry();
        move(area.center() - QPoint(width() / 2, height() / 2));
    }
    bringToFront();
}

void SecondaryWindow::bringToFront()
{
    // A window manager that ignores our "no minimise" hint may have minimised it.
    if (windowState() & Qt::WindowMinimized)
        setWindowState(windowState() & ~Qt::WindowMinimized);
    if (!isVisible()) {
        winId();
        // Toolkits offer minimising and maximising to the window manager whatever the
        // window's buttons; a fixed window offers moving and closing alone.
        offerOnlyMoveAndClose(*windowHandle());
    }
    show();
    raise();
    activateWindow();
}

} // namespace plovane
