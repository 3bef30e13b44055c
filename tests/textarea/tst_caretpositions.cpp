// SPDX-License-Identifier: GPL-3.0-or-later
#include "textarea/CaretPositions.h"
#include "textarea/TextBuffer.h"

#include <QTest>

#include <functional>

// Where caret moves by character and by word land, on short texts and on a word far longer than
// the stretch of line looked at in one go.
class CaretPositionsTest : public QObject
{
    Q_OBJECT

private slots:
    void movesLand_data();
    void movesLand();
    void wordAroundAPosition_data();
    void wordAroundAPosition();
};

namespace {

using Move = std::function<qsizetype(const CaretPositions &, qsizetype)>;

const QString LongWord(10'000, u'w');

} // namespace

void CaretPositionsTest::movesLand_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<Move>("move");
    QTest::addColumn<qsizetype>("from");
    QTest::addColumn<qsizetype>("expected");

    const Move next = &CaretPositions::next;
    const Move previous = &CaretPositions::previous;
    const Move nextWord = &CaretPositions::nextWordStart;
    const Move previousWord = &CaretPositions::previousWordStart;
    const Move clamped = &CaretPositions::clamped;
    const auto row = [](const char *name, const QString &text, const Move &move, qsizetype from,
                        qsizetype expected) {
        QTest::newRow(name) << text << move << from << expected;
    };
    row("next steps over a combining accent with its letter", u"e\u0301x"_qs, next, 0, 2);
    row("next steps over CR LF at once", u"a\r\nb"_qs, next, 1, 3);
    row("next stays at the end", u"ab"_qs, next, 2, 2);
    row("previous steps back over CR LF at once", u"a\r\nb"_qs, previous, 3, 1);
    row("previous steps over a letter and its accent", u"xe\u0301"_qs, previous, 3, 1);
    row("previous stays at the start", u"ab"_qs, previous, 0, 0);
    row("clamped moves off the middle of CR LF", u"a\r\nb"_qs, clamped, 2, 1);
    row("clamped keeps inside the text", u"ab"_qs, clamped, 7, 2);
    row("clamped keeps a lone CR's end", u"a\rb"_qs, clamped, 2, 2);
    row("next word", u"jeden dwa"_qs, nextWord, 1, 6);
    row("next word from a line's end is the next line", u"ab\r\ncd"_qs, nextWord, 2, 4);
    row("previous word", u"jeden dwa"_qs, previousWord, 8, 6);
    row("a long word is passed in steps", LongWord, nextWord, 0, 4096);
    row("the last step of a long word ends at its end", LongWord, nextWord, 8192, 10'000);
    row("back through a long word in steps", LongWord, previousWord, 10'000, 10'000 - 4096);
    row("next word after a long word", LongWord + u" x"_qs, nextWord, 9000, 10'001);
}

void CaretPositionsTest::movesLand()
{
    QFETCH(QString, text);
    QFETCH(Move, move);
    QFETCH(qsizetype, from);
    QFETCH(qsizetype, expected);

    TextBuffer buffer;
    buffer.setText(text);
    const CaretPositions positions(buffer);
    QCOMPARE(move(positions, from), expected);
}

void CaretPositionsTest::wordAroundAPosition_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<qsizetype>("position");
    QTest::addColumn<qsizetype>("from");
    QTest::addColumn<qsizetype>("to");

    QTest::newRow("inside a word")
        << u"jeden dwa"_qs << qsizetype(7) << qsizetype(6) << qsizetype(9);
    QTest::newRow("at a word's start")
        << u"jeden dwa"_qs << qsizetype(6) << qsizetype(6) << qsizetype(9);
    QTest::newRow("the space after a word goes with the word")
        << u"jeden dwa"_qs << qsizetype(5) << qsizetype(0) << qsizetype(5);
    QTest::newRow("Polish letters are one word")
        << u"zażółć gęślą"_qs << qsizetype(2) << qsizetype(0) << qsizetype(6);
    QTest::newRow("stops at the line end")
        << u"ab\r\ncd"_qs << qsizetype(1) << qsizetype(0) << qsizetype(2);
    QTest::newRow("an empty line")
        << u"a\r\n\r\nb"_qs << qsizetype(3) << qsizetype(3) << qsizetype(3);
}

void CaretPositionsTest::wordAroundAPosition()
{
    QFETCH(QString, text);
    QFETCH(qsizetype, position);
    QFETCH(qsizetype, from);
    QFETCH(qsizetype, to);

    TextBuffer buffer;
    buffer.setText(text);
    const auto word = CaretPositions(buffer).wordAround(position);
    QCOMPARE(word.first, from);
    QCOMPARE(word.second, to);
}

QTEST_MAIN(CaretPositionsTest)
#include "tst_caretpositions.moc"
