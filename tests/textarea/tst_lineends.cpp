// SPDX-License-Identifier: GPL-3.0-or-later
#include "textarea/LineEnds.h"

#include <QRandomGenerator>
#include <QTest>

// The line-end conversions against the simplest code that states the rule, on random texts
// where CR and LF fall next to each other in every order, and at both ends.
class LineEndsTest : public QObject
{
    Q_OBJECT

private slots:
    void matchReference_data();
    void matchReference();
};

namespace {

// Written for clarity, one character at a time, looking one character ahead.
QString referenceToPlatform(const QString &text)
{
    QString converted;
    for (qsizetype index = 0; index < text.size(); ++index) {
        if (text.at(index) == u'\r' && index + 1 < text.size() && text.at(index + 1) == u'\n')
            continue;
        converted.append(text.at(index));
    }
    return converted;
}

QString referenceToCrLf(const QString &text)
{
    QString converted;
    for (qsizetype index = 0; index < text.size(); ++index) {
        const QChar character = text.at(index);
        if (character == u'\r') {
            converted.append(u"\r\n");
            if (index + 1 < text.size() && text.at(index + 1) == u'\n')
                ++index;
        } else if (character == u'\n') {
            converted.append(u"\r\n");
        } else {
            converted.append(character);
        }
    }
    return converted;
}

// Mostly line ends, so that pairs, lone ones and runs of them all occur.
QString randomText(quint32 seed, qsizetype length)
{
    static const QString alphabet = QStringLiteral("\r\n\r\n\r\nał \u2029");
    QRandomGenerator random(seed);
    QString text;
    for (qsizetype index = 0; index < length; ++index)
        text.append(alphabet.at(random.bounded(int(alphabet.size()))));
    return text;
}

} // namespace

void LineEndsTest::matchReference_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("empty") << QString();
    QTest::newRow("only CR LF pairs") << QStringLiteral("\r\n\r\n\r\n");
    QTest::newRow("CR at the end") << QStringLiteral("a\r\nb\r");
    QTest::newRow("LF at the start") << QStringLiteral("\na");
    QTest::newRow("CR CR LF") << QStringLiteral("a\r\r\nb");
    QTest::newRow("LF CR") << QStringLiteral("a\n\rb");
    QTest::newRow("no line end") << QStringLiteral("zażółć");
    for (quint32 seed = 1; seed <= 40; ++seed) {
        const qsizetype length = seed * seed;
        QTest::addRow("random, seed %u, %lld characters", seed, qint64(length))
            << randomText(seed, length);
    }
}

void LineEndsTest::matchReference()
{
    QFETCH(QString, text);
    QCOMPARE(LineEnds::toPlatform(text), referenceToPlatform(text));
    QCOMPARE(LineEnds::toCrLf(text), referenceToCrLf(text));
}

QTEST_APPLESS_MAIN(LineEndsTest)
#include "tst_lineends.moc"
