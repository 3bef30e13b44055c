// SPDX-License-Identifier: GPL-3.0-or-later
#include "textarea/PieceTable.h"

#include <QRandomGenerator>
#include <QTest>

// The characters of the text area in pieces of strings, against a plain QString: how edits
// split and lengthen pieces, and which strings the table shares or lets go of.
class PieceTableTest : public QObject
{
    Q_OBJECT

private slots:
    void matchesPlainString_data();
    void matchesPlainString();
    void lengthensTheTypedPiece();
    void releasesDeletedStrings();
};

namespace {

// The stretches the table visits from one position to another, as it holds them.
QStringList stretchesOf(const PieceTable &table, qsizetype from, qsizetype to)
{
    QStringList stretches;
    table.visitPieces(from, to, [&stretches](QStringView characters) {
        stretches.append(characters.toString());
        return true;
    });
    return stretches;
}

void compareWithString(const PieceTable &table, const QString &text)
{
    QCOMPARE(table.size(), text.size());
    const qsizetype spread = 1 + text.size() / 200;
    for (qsizetype position = 0; position < text.size(); position += spread + position % 7)
        QCOMPARE(table.at(position), text.at(position));
    QCOMPARE(table.at(text.size()), QChar());
    const qsizetype third = text.size() / 3;
    QCOMPARE(table.mid(third, third), text.mid(third, third));
    QCOMPARE(stretchesOf(table, third, text.size()).join(QString()), text.mid(third));
}

} // namespace

void PieceTableTest::matchesPlainString_data()
{
    QTest::addColumn<quint32>("seed");
    // Edits near the one before, of typed keys with now and then a deletion; a long text
    // replaced, that gets a string of its own and lets the deleted strings go.
    QTest::addColumn<int>("jumpEvery");
    QTest::addColumn<int>("longReplaceEvery");

    QTest::newRow("keys at one place") << 31u << 1000 << 0;
    QTest::newRow("keys all over, runs of pieces split") << 32u << 2 << 0;
    QTest::newRow("long texts replaced now and then") << 33u << 4 << 50;
}

void PieceTableTest::matchesPlainString()
{
    QFETCH(quint32, seed);
    QFETCH(int, jumpEvery);
    QFETCH(int, longReplaceEvery);

    QRandomGenerator random(seed);
    PieceTable table;
    QString model = QStringLiteral("start\r\n");
    table.setText(model);
    qsizetype caret = 0;
    for (int step = 1; step <= 3000; ++step) {
        if (step % jumpEvery == 0)
            caret = random.bounded(int(model.size()) + 1);
        // A key typed, now and then after a Backspace or instead of one.
        qsizetype from = caret;
        qsizetype length = 0;
        if (random.bounded(10) == 0) {
            length = std::min<qsizetype>(2, caret);
            from = caret - length;
        }
        QString inserted = random.bounded(10) == 0 ? QString() : QString(QChar(u'a' + step % 26));
        if (longReplaceEvery > 0 && step % longReplaceEvery == 0) {
            from = caret;
            length = model.size() - caret;
            inserted = QString(4096 + random.bounded(100), u'z');
        }
        table.replace(from, length, inserted);
        model.replace(from, length, inserted);
        caret = from + inserted.size();
        compareWithString(table, model);
        if (QTest::currentTestFailed()) {
            qWarning("step %d", step);
            return;
        }
        if (step % 500 == 0)
            QCOMPARE(table.text(), model);
    }
}

// Typing on after a key makes that key's piece longer, wherever it is, until the string kept
// for typing is full; reading the whole text joins everything into one piece.
void PieceTableTest::lengthensTheTypedPiece()
{
    PieceTable table;
    table.setText(QStringLiteral("abc"));
    for (qsizetype key = 0; key < 100; ++key)
        table.replace(table.size(), 0, u"x");
    QCOMPARE(stretchesOf(table, 0, table.size()).size(), 2);
    for (qsizetype key = 0; key < 10; ++key)
        table.replace(50 + key, 0, u"y");
    QCOMPARE(stretchesOf(table, 0, table.size()),
             QStringList(
                 {QStringLiteral("abc"), QString(47, u'x'), QString(10, u'y'), QString(53, u'x')}));

    QCOMPARE(table.text().size(), 113);
    QCOMPARE(stretchesOf(table, 0, table.size()).size(), 1);
    for (qsizetype key = 0; key < 70000; ++key)
        table.replace(table.size(), 0, u"z");
    QCOMPARE(stretchesOf(table, 0, table.size()).size(), 3);
}

// Strings no piece points into any more are let go after a long deletion, so that deleting a
// large text gives its memory back.
void PieceTableTest::releasesDeletedStrings()
{
    const QString given(10000, u'a');
    PieceTable table;
    table.setText(given);
    QCOMPARE(table.text().constData(), given.constData());
    table.replace(0, 0, QString(5000, u'c'));
    table.replace(5000, 5000, {});
    QVERIFY(!given.isDetached());
    table.replace(4000, 6000, {});
    QVERIFY(given.isDetached());
    QCOMPARE(table.text(), QString(4000, u'c'));
}

QTEST_APPLESS_MAIN(PieceTableTest)
#include "tst_piecetable.moc"
