#include "QtTestSupport.h"
#include "platform/qt/AlertBox.h"
#include "settings/Strings.h"

#include <QFont>
#include <QTextLayout>

#include <gtest/gtest.h>

using namespace plovane;

namespace {

// The first character of each line `text` takes at `width` pixels.
QString lineStarts(const QString& text, int width)
{
    QTextLayout layout(text, QFont());
    layout.beginLayout();
    QString starts;
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        starts += text.at(line.textStart());
    }
    layout.endLayout();
    return starts;
}

} // namespace

// A long path or name still wraps; Chinese text wraps where Chinese may, so no line of an
// alert starts with a full stop or a comma, whatever its width.
TEST(AlertBox, LongRunsWrapAndNoLineStartsWithClosingPunctuation)
{
    test::testApp();
    const QString name = QString(60, QChar('x'));
    EXPECT_GT(lineStarts(breakableText(name), 120).size(), 1);

    const std::string advice = Strings::problemFix(FileProblem::Cause::noSpace, Language::zh) +
                               Strings::problemNotSavedAdvice(Language::zh) +
                               Strings::problemFix(FileProblem::Cause::permission, Language::zh);
    const QString text = breakableText(QString::fromStdString(advice));
    for (int width = 60; width <= 400; width += 3) {
        const QString starts = lineStarts(text, width);
        for (const QChar c : starts)
            EXPECT_FALSE(QStringLiteral("。，、：；！？”）").contains(c)) << "a line starts with " << QString(c).toStdString()
                                                                       << " at " << width << " px";
    }
}
