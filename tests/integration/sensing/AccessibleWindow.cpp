// A small Qt window for the accessibility tests: a focused line edit with a placeholder
// and, one Tab away, a named multi-line editor holding some code, under a known title. Prints its window id once shown, then lives until its standard
// input closes.
#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSocketNotifier>
#include <QVBoxLayout>
#include <QWidget>

#include <unistd.h>

#include <cstdio>

int main(int argc, char** argv)
{
    qputenv("QT_LINUX_ACCESSIBILITY_ALWAYS_ON", "1");
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Prompt Window"));
    auto* layout = new QVBoxLayout(&window);
    auto* edit = new QLineEdit(&window);
    edit->setPlaceholderText(QStringLiteral("Ask anything"));
    layout->addWidget(edit);
    auto* editor = new QPlainTextEdit(&window);
    editor->setAccessibleName(QStringLiteral("Editor"));
    editor->setPlainText(QStringLiteral("fn main() {}"));
    editor->setTabChangesFocus(true);
    layout->addWidget(editor);
    window.resize(320, 200);
    window.show();
    edit->setFocus();

    std::printf("%llu\n", static_cast<unsigned long long>(window.winId()));
    std::fflush(stdout);

    QSocketNotifier stdinWatch(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&stdinWatch, &QSocketNotifier::activated, &app, [&] {
        char buffer[64];
        if (::read(STDIN_FILENO, buffer, sizeof buffer) <= 0)
            app.quit();
    });
    return app.exec();
}
