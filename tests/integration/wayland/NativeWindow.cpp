// A native Wayland window for the session tests: a focused line edit, under the
// application id given as the first argument, visible to the accessibility layer, and
// filling the screen when the second argument is "maximized". Each line typed into it
// (ended by Return) is printed on standard output. Lives until killed.
#include <QApplication>
#include <QLineEdit>
#include <QVBoxLayout>
#include <QWidget>

#include <cstdio>

int main(int argc, char** argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "wayland");
    qputenv("QT_LINUX_ACCESSIBILITY_ALWAYS_ON", "1");
    QApplication app(argc, argv);
    if (argc > 1)
        QGuiApplication::setDesktopFileName(QString::fromLocal8Bit(argv[1]));
    QWidget window;
    window.setWindowTitle(QStringLiteral("Native Window"));
    auto* layout = new QVBoxLayout(&window);
    auto* edit = new QLineEdit(&window);
    layout->addWidget(edit);
    QObject::connect(edit, &QLineEdit::returnPressed, edit, [edit] {
        std::printf("%s\n", edit->text().toUtf8().constData());
        std::fflush(stdout);
        edit->clear();
    });
    window.resize(400, 120);
    if (argc > 2 && qstrcmp(argv[2], "maximized") == 0)
        window.showMaximized();
    else
        window.show();
    edit->setFocus();
    return app.exec();
}
