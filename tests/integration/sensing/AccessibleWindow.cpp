// A small Qt window for the accessibility tests: a focused line edit with a placeholder
// and, one Tab away, a named multi-line editor holding some code, under a known title.
// With --crowd, the two sit below a thousand hidden labels and a few hundred shown ones,
// as an application's menus, pages and panels crowd its tree. Prints its window id once
// shown, then lives until its standard input closes.
#include "RunUntilStdinCloses.h"

#include <QApplication>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QVBoxLayout>
#include <QWidget>

#include <cstdio>

int main(int argc, char** argv)
{
    qputenv("QT_LINUX_ACCESSIBILITY_ALWAYS_ON", "1");
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Prompt Window"));
    auto* layout = new QVBoxLayout(&window);
    if (argc > 1 && QByteArrayView(argv[1]) == "--crowd") {
        auto* hidden = new QWidget(&window);
        for (int i = 0; i < 1000; ++i)
            new QLabel(QStringLiteral("hidden"), hidden);
        hidden->hide();
        auto* shown = new QWidget(&window);
        auto* grid = new QGridLayout(shown);
        grid->setSpacing(0);
        for (int i = 0; i < 300; ++i)
            grid->addWidget(new QLabel(QStringLiteral("."), shown), i / 30, i % 30);
        layout->addWidget(shown);
        // The inputs one level further down than the crowd.
        auto* inner = new QWidget(&window);
        layout->addWidget(inner);
        layout = new QVBoxLayout(inner);
    }
    QWidget* parent = layout->parentWidget();
    auto* edit = new QLineEdit(parent);
    edit->setPlaceholderText(QStringLiteral("Ask anything"));
    layout->addWidget(edit);
    auto* editor = new QPlainTextEdit(parent);
    editor->setAccessibleName(QStringLiteral("Editor"));
    editor->setPlainText(QStringLiteral("fn main() {}"));
    editor->setTabChangesFocus(true);
    layout->addWidget(editor);
    window.resize(480, 320);
    window.show();
    edit->setFocus();

    std::printf("%llu\n", static_cast<unsigned long long>(window.winId()));
    std::fflush(stdout);

    return plovane::test::runUntilStdinCloses(app);
}
