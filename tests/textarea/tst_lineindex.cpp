// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/support/ReferenceLines.h"
#include "textarea/LineIndex.h"
#include "textarea/PieceTable.h"

#include <QTest>

// The line index over a piece table, with blocks so small that line ends and CR LF pairs fall on
// their edges, against the simplest code that finds lines: the summaries of blocks joined up the
// tree, and the blocks an edit summarizes again, split, or merged with a neighbour.
class LineIndexTest : public QObject
{
    Q_OBJECT

private slots:
    void joinsBlockSummaries_data();
    void joinsBlockSummaries();
    void followsEdits_data();
    void followsEdits();
};

namespace {

// A text and its index, asked as the reference check asks a line finder.
class IndexedText
{
public:
    IndexedText(qsizetype blockLength, const QString &text)
        : m_lines(blockLength)
    {
        m_text.setText(text);
        m_lines.setText(m_text);
    }

    void replace(qsizetype position, qsizetype length, const QString &inserted)
    {
        m_text.replace(position, length, inserted);
        m_lines.replace(m_text, position, length, inserted.size());
    }

    qsizetype lineCount() const { return m_lines.lineCount(); }
    qsizetype lineStart(qsizetype line) const { return m_lines.lineStart(m_text, line); }
    qsizetype lineEnd(qsizetype line) const { return m_lines.lineEnd(m_text, line); }
    qsizetype lineAt(qsizetype position) const { return m_lines.lineAt(m_text, position); }
    qsizetype longestLineLength() const { return m_lines.longestLineLength(); }
    qsizetype longestLine() const { return m_lines.longestLine(m_text); }

private:
    PieceTable m_text;
    LineIndex m_lines;
};

} // namespace

void LineIndexTest::joinsBlockSummaries_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<qsizetype>("blockLength");
    QTest::addColumn<qsizetype>("lineCount");
    QTest::addColumn<qsizetype>("longestLine");

    QTest::newRow("one line through many blocks")
        << QStringLiteral("abcdefghijk") << qsizetype(2) << qsizetype(1) << qsizetype(11);
    QTest::newRow("longest line between two line ends, over blocks")
        << QStringLiteral("ab\ncdefghi\nj") << qsizetype(2) << qsizetype(3) << qsizetype(7);
    QTest::newRow("longest line first")
        << QStringLiteral("abcdefg\r\nh\r\ni") << qsizetype(3) << qsizetype(3) << qsizetype(7);
    QTest::newRow("longest line last")
        << QStringLiteral("a\rb\rcdefgh") << qsizetype(2) << qsizetype(3) << qsizetype(6);
    QTest::newRow("CR ending one block, its LF starting the next")
        << QStringLiteral("ab\r\ncd\r\nef") << qsizetype(3) << qsizetype(3) << qsizetype(2);
    QTest::newRow("only line ends")
        << QStringLiteral("\r\n\n\r\r\n") << qsizetype(2) << qsizetype(5) << qsizetype(0);
    QTest::newRow("empty") << QString() << qsizetype(2) << qsizetype(1) << qsizetype(0);
    QTest::newRow("control characters and lookalikes of CR and LF among the line ends")
        << QStringLiteral("a\tb\fc\u800dd\u000e\ne\u800a\u0e0d\rfg\u000bh\u000c\r\n")
        << qsizetype(16) << qsizetype(4) << qsizetype(8);
    QTest::newRow("two longest lines, the first inside a block")
        << QStringLiteral("a\nbcd\nefg\nh") << qsizetype(8) << qsizetype(4) << qsizetype(3);
    QTest::newRow("the longest line open over blocks without line ends")
        << QStringLiteral("ab\ncdefghijklm\nn") << qsizetype(2) << qsizetype(3) << qsizetype(11);
}

void LineIndexTest::joinsBlockSummaries()
{
    QFETCH(QString, text);
    QFETCH(qsizetype, blockLength);
    QFETCH(qsizetype, lineCount);
    QFETCH(qsizetype, longestLine);

    const IndexedText indexed(blockLength, text);
    QCOMPARE(indexed.lineCount(), lineCount);
    QCOMPARE(indexed.longestLineLength(), longestLine);
    compareLinesWithReference(indexed, text);
}

void LineIndexTest::followsEdits_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<qsizetype>("blockLength");
    QTest::addColumn<qsizetype>("position");
    QTest::addColumn<qsizetype>("length");
    QTest::addColumn<QString>("inserted");

    const QString lines = QStringLiteral("ab\r\ncd\r\nef\ngh\rij\r\nkl\r\nmn\r\nop");
    QTest::newRow("a key inside a block")
        << lines << qsizetype(8) << qsizetype(5) << qsizetype(0) << QStringLiteral("x");
    QTest::newRow("CR LF split where a block ends")
        << lines << qsizetype(3) << qsizetype(3) << qsizetype(0) << QStringLiteral("x");
    QTest::newRow("a block grown past twice its length is split")
        << lines << qsizetype(4) << qsizetype(6) << qsizetype(0)
        << QStringLiteral("1\r2\n3\r\n45678901234");
    QTest::newRow("a block shrunk below a quarter takes in the next")
        << lines << qsizetype(8) << qsizetype(0) << qsizetype(9) << QString();
    QTest::newRow("the last block shrunk takes in the one before")
        << lines << qsizetype(8) << qsizetype(19) << qsizetype(9) << QString();
    QTest::newRow("line ends deleted over several blocks")
        << lines << qsizetype(2) << qsizetype(2) << qsizetype(20) << QStringLiteral("\n");
    QTest::newRow("everything replaced") << lines << qsizetype(5) << qsizetype(0)
                                         << qsizetype(lines.size()) << QStringLiteral("\r\r\n\n");
    QTest::newRow("typed into nothing")
        << QString() << qsizetype(2) << qsizetype(0) << qsizetype(0) << QStringLiteral("a\r\nb\n");
    QTest::newRow("appended after a CR, completing the pair")
        << QStringLiteral("abc\r") << qsizetype(2) << qsizetype(4) << qsizetype(0)
        << QStringLiteral("\nd");
}

void LineIndexTest::followsEdits()
{
    QFETCH(QString, before);
    QFETCH(qsizetype, blockLength);
    QFETCH(qsizetype, position);
    QFETCH(qsizetype, length);
    QFETCH(QString, inserted);

    IndexedText indexed(blockLength, before);
    indexed.replace(position, length, inserted);
    compareLinesWithReference(indexed, QString(before).replace(position, length, inserted));
}

QTEST_APPLESS_MAIN(LineIndexTest)
#include "tst_lineindex.moc"
