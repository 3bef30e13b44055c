// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/support/ReferenceLines.h"
#include "textarea/TextBuffer.h"

#include <QRandomGenerator>
#include <QTest>

// The text area's character store against a plain QString and the simplest code that finds its
// lines, with blocks of the line index small enough that line ends fall on their edges.
class TextBufferTest : public QObject
{
    Q_OBJECT

private slots:
    void findsLines_data();
    void findsLines();
    void editsLineEnds_data();
    void editsLineEnds();
    void keepsOthersStringsUnchanged();
    void letsGoOfDeletedText();
    void typesOnPastOneTypingStore();
    void matchesPlainString_data();
    void matchesPlainString();
};

namespace {

// Everything the buffer says about its text against the reference; the first difference fails.
void compareWithReference(const TextBuffer &buffer, const QString &text)
{
    QCOMPARE(buffer.size(), text.size());
    // Not through text(), which joins the pieces and would leave nothing for the next edit to
    // split.
    const qsizetype half = text.size() / 2;
    QCOMPARE(buffer.mid(0, half) + buffer.mid(half, text.size()), text);
    for (qsizetype position = 0; position < text.size(); position += 1 + position % 5)
        QCOMPARE(buffer.at(position), text.at(position));
    compareLinesWithReference(buffer, text);
}

const qsizetype BlockLengths[] = {2, 3, 5, 2048};

} // namespace

void TextBufferTest::findsLines_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<Positions>("starts");
    QTest::addColumn<Positions>("ends");

    QTest::newRow("empty") << QString() << Positions{0} << Positions{0};
    QTest::newRow("no line end") << QStringLiteral("abc") << Positions{0} << Positions{3};
    QTest::newRow("CR LF") << QStringLiteral("ab\r\ncd") << Positions{0, 4} << Positions{2, 6};
    QTest::newRow("lone CR") << QStringLiteral("ab\rcd") << Positions{0, 3} << Positions{2, 5};
    QTest::newRow("lone LF") << QStringLiteral("ab\ncd") << Positions{0, 3} << Positions{2, 5};
    QTest::newRow("LF CR is two line ends")
        << QStringLiteral("a\n\rb") << Positions{0, 2, 3} << Positions{1, 2, 4};
    QTest::newRow("CR CR LF") << QStringLiteral("\r\r\n") << Positions{0, 1, 3}
                              << Positions{0, 1, 3};
    QTest::newRow("mixed, ending in a line end")
        << QStringLiteral("a\r\nbc\rd\n\r\n") << Positions{0, 3, 6, 8, 10}
        << Positions{1, 5, 7, 8, 10};
    QTest::newRow("ends with a lone CR")
        << QStringLiteral("ab\r") << Positions{0, 3} << Positions{2, 3};
    QTest::newRow("only empty lines")
        << QStringLiteral("\r\n\r\n\r\n\r\n\r\n") << Positions{0, 2, 4, 6, 8, 10}
        << Positions{0, 2, 4, 6, 8, 10};
}

void TextBufferTest::findsLines()
{
    QFETCH(QString, text);
    QFETCH(Positions, starts);
    QFETCH(Positions, ends);

    QCOMPARE(referenceLines(text).starts, starts);
    QCOMPARE(referenceLines(text).ends, ends);
    // Shifted along, so that each line end falls on each place in a block.
    for (const qsizetype blockLength : BlockLengths) {
        for (qsizetype shift = 0; shift < 4; ++shift) {
            TextBuffer buffer(blockLength);
            const QString shifted = QString(shift, u'x') + text;
            buffer.setText(shifted);
            compareWithReference(buffer, shifted);
            if (QTest::currentTestFailed()) {
                qWarning("block length %lld, shifted by %lld", qint64(blockLength), qint64(shift));
                return;
            }
        }
    }
}

void TextBufferTest::editsLineEnds_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<qsizetype>("position");
    QTest::addColumn<qsizetype>("length");
    QTest::addColumn<QString>("inserted");
    QTest::addColumn<Positions>("starts");

    QTest::newRow("CR LF split by typing between")
        << QStringLiteral("a\r\nb") << qsizetype(2) << qsizetype(0) << QStringLiteral("x")
        << Positions{0, 2, 4};
    QTest::newRow("CR LF joined by deleting between")
        << QStringLiteral("a\rx\nb") << qsizetype(2) << qsizetype(1) << QString()
        << Positions{0, 3};
    QTest::newRow("CR typed before an LF") << QStringLiteral("a\nb") << qsizetype(1) << qsizetype(0)
                                           << QStringLiteral("\r") << Positions{0, 3};
    QTest::newRow("LF typed after a CR") << QStringLiteral("a\rb") << qsizetype(2) << qsizetype(0)
                                         << QStringLiteral("\n") << Positions{0, 3};
    QTest::newRow("CR of a pair deleted")
        << QStringLiteral("a\r\nb") << qsizetype(1) << qsizetype(1) << QString() << Positions{0, 2};
    QTest::newRow("LF of a pair deleted")
        << QStringLiteral("a\r\nb") << qsizetype(2) << qsizetype(1) << QString() << Positions{0, 2};
    QTest::newRow("LF of a pair replaced by a CR")
        << QStringLiteral("a\r\nb") << qsizetype(2) << qsizetype(1) << QStringLiteral("\r")
        << Positions{0, 2, 3};
    QTest::newRow("pair deleted whole") << QStringLiteral("a\r\nb\r\nc") << qsizetype(1)
                                        << qsizetype(2) << QString() << Positions{0, 4};
    QTest::newRow("lines pasted into a line")
        << QStringLiteral("ab") << qsizetype(1) << qsizetype(0) << QStringLiteral("\r\n\n\r")
        << Positions{0, 3, 4, 5};
    QTest::newRow("everything deleted")
        << QStringLiteral("\r\n\r") << qsizetype(0) << qsizetype(3) << QString() << Positions{0};
    QTest::newRow("text typed into nothing")
        << QString() << qsizetype(0) << qsizetype(0) << QStringLiteral("a\r") << Positions{0, 2};
    QTest::newRow("past the end is clipped")
        << QStringLiteral("a\r") << qsizetype(9) << qsizetype(4) << QStringLiteral("\n")
        << Positions{0, 3};
}

void TextBufferTest::editsLineEnds()
{
    QFETCH(QString, before);
    QFETCH(qsizetype, position);
    QFETCH(qsizetype, length);
    QFETCH(QString, inserted);
    QFETCH(Positions, starts);

    for (const qsizetype blockLength : BlockLengths) {
        for (qsizetype shift = 0; shift < 4; ++shift) {
            const QString padding(shift, u'x');
            TextBuffer buffer(blockLength);
            buffer.setText(padding + before);
            // An edit before it, so that the gap is already open somewhere else.
            buffer.replace(0, 0, u"y");
            buffer.replace(0, 1, {});
            buffer.replace(shift + position, length, inserted);
            QString expected = padding + before;
            expected.replace(std::min(shift + position, expected.size()), length, inserted);
            Positions shiftedStarts{0};
            for (qsizetype line = 1; line < starts.size(); ++line)
                shiftedStarts.append(starts.at(line) + shift);

            QCOMPARE(referenceLines(expected).starts, shiftedStarts);
            compareWithReference(buffer, expected);
            if (QTest::currentTestFailed()) {
                qWarning("block length %lld, shifted by %lld", qint64(blockLength), qint64(shift));
                return;
            }
        }
    }
}

// The buffer takes strings over without copying them, and hands its own out: an edit must never
// show through in a string someone else holds, nor in a copy of the buffer.
void TextBufferTest::keepsOthersStringsUnchanged()
{
    const QString given = QStringLiteral("one\r\ntwo");
    TextBuffer buffer(2);
    buffer.setText(given);
    QCOMPARE(buffer.text().constData(), given.constData());
    buffer.replace(3, 2, u" ");
    QCOMPARE(given, QStringLiteral("one\r\ntwo"));

    const QString handedOut = buffer.text();
    buffer.replace(0, 0, u"\r\n");
    QCOMPARE(handedOut, QStringLiteral("one two"));

    TextBuffer copy = buffer;
    copy.replace(0, 2, u"zero ");
    buffer.replace(2, 3, {});
    QCOMPARE(copy.text(), QStringLiteral("zero one two"));
    compareWithReference(copy, QStringLiteral("zero one two"));
    compareWithReference(buffer, QStringLiteral("\r\n two"));
    QCOMPARE(handedOut, QStringLiteral("one two"));
}

void TextBufferTest::letsGoOfDeletedText()
{
    const QString given(10000, u'a');
    TextBuffer buffer;
    buffer.setText(given);
    QVERIFY(!given.isDetached());
    buffer.replace(5000, 5000, u"b");
    QVERIFY(!given.isDetached());
    buffer.replace(0, 5001, u"c");
    QVERIFY(given.isDetached());
    compareWithReference(buffer, QStringLiteral("c"));
}

// Typing as a user does, a key at a time with Enter and Backspace, for longer than one store
// of typed characters holds, at the end and now and then somewhere else.
void TextBufferTest::typesOnPastOneTypingStore()
{
    QRandomGenerator random(7);
    TextBuffer buffer(64);
    QString model;
    qsizetype caret = 0;
    for (int key = 1; key <= 150000; ++key) {
        if (key % 20000 == 0)
            caret = random.bounded(int(model.size()) + 1);
        const int choice = random.bounded(40);
        if (choice == 0 && caret > 0) {
            buffer.replace(caret - 1, 1, {});
            model.remove(caret - 1, 1);
            --caret;
        } else {
            const QString typed = choice == 1 ? QStringLiteral("\r\n") : QStringLiteral("x");
            buffer.replace(caret, 0, typed);
            model.insert(caret, typed);
            caret += typed.size();
        }
        if (key % 25000 == 0) {
            compareWithReference(buffer, model);
            if (QTest::currentTestFailed()) {
                qWarning("key %d", key);
                return;
            }
        }
    }
}

void TextBufferTest::matchesPlainString_data()
{
    QTest::addColumn<quint32>("seed");
    QTest::addColumn<qsizetype>("blockLength");
    // How often in a thousand steps the whole text is set, and as often read.
    QTest::addColumn<int>("wholeTextSteps");

    QTest::newRow("blocks of 2") << 19u << qsizetype(2) << 25;
    QTest::newRow("blocks of 3") << 20u << qsizetype(3) << 25;
    QTest::newRow("blocks of 7") << 21u << qsizetype(7) << 25;
    QTest::newRow("blocks of 16") << 22u << qsizetype(16) << 25;
    QTest::newRow("default blocks") << 23u << qsizetype(2048) << 25;
    QTest::newRow("thousands of pieces, blocks of 5") << 24u << qsizetype(5) << 0;
}

// Random replacements, mostly of line ends and often next to each other, now and then a long
// line, a whole new text or a look at the whole text, which joins the pieces; after each step
// the buffer and the plain string must agree on everything.
void TextBufferTest::matchesPlainString()
{
    QFETCH(quint32, seed);
    QFETCH(qsizetype, blockLength);
    QFETCH(int, wholeTextSteps);

    // With control characters below CR and LF, and characters whose low bits are theirs.
    static const QString alphabet = QStringLiteral("\r\n\r\n\r\nab ą\t\f\u800d\u0e0a");
    QRandomGenerator random(seed);
    const auto randomText = [&](qsizetype length) {
        QString text;
        for (qsizetype index = 0; index < length; ++index)
            text.append(alphabet.at(random.bounded(int(alphabet.size()))));
        return text;
    };

    TextBuffer buffer(blockLength);
    QString model;
    for (int step = 0; step < 2000; ++step) {
        const int choice = random.bounded(1000);
        if (choice < wholeTextSteps) {
            model = randomText(random.bounded(200));
            buffer.setText(model);
        } else if (choice < 2 * wholeTextSteps) {
            QCOMPARE(buffer.text(), model);
        } else {
            const qsizetype position = random.bounded(int(model.size()) + 1);
            // Long deletions keep the text from growing without end.
            const qsizetype length = random.bounded(model.size() > 300 ? 60 : 6);
            QString inserted = choice % 100 < 3
                                   ? QString(random.bounded(3 * int(blockLength) + 40), u'a')
                                   : randomText(random.bounded(8));
            buffer.replace(position, length, inserted);
            model.replace(position, std::min(length, model.size() - position), inserted);
        }
        compareWithReference(buffer, model);
        if (QTest::currentTestFailed()) {
            qWarning("step %d", step);
            return;
        }
    }
}

QTEST_APPLESS_MAIN(TextBufferTest)
#include "tst_textbuffer.moc"
