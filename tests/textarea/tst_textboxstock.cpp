// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/support/ScriptTexts.h"
#include "textarea/TextBox.h"

#include <QApplication>
#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QRandomGenerator>
#include <QTest>

// The keys that move, select and edit do what they did in QPlainTextEdit, the stock widget the
// area replaced: seeded runs of random keys on both, on texts of words, punctuation, spaces,
// tabs and line breaks, compared after every key; then on texts that also hold scripts that need
// shaping, bidi and font fallback. QPlainTextEdit counts a line break as one character and the
// area as two (CR LF); positions are compared in its count.
class TextBoxStockTest : public QObject
{
    Q_OBJECT

private slots:
    void keysDoWhatTheStockWidgetDid_data();
    void keysDoWhatTheStockWidgetDid();
    void keysOnScriptsDoWhatTheStockWidgetDid_data();
    void keysOnScriptsDoWhatTheStockWidgetDid();
};

namespace {

const QStringList Keys = {
    "Left",
    "Right",
    "Ctrl+Left",
    "Ctrl+Right",
    "Home",
    "End",
    "Ctrl+Home",
    "Ctrl+End",
    "Up",
    "Down",
    "Shift+Left",
    "Shift+Right",
    "Shift+Up",
    "Shift+Down",
    "Ctrl+Shift+Left",
    "Ctrl+Shift+Right",
    "Shift+Home",
    "Shift+End",
    "Ctrl+Shift+Home",
    "Ctrl+Shift+End",
    "Ctrl+A",
    "Backspace",
    "Del",
    "Ctrl+Backspace",
    "Ctrl+Del",
    "Return",
    "x",
    "Space",
};

const QStringList Pieces
    = {"ab", "cd ", " ", "  ", ",", "...", "x.y", "(q)", "don't", "\n", "\n", "żółw", "\t", "3.14"};

// The stock widget's position of an area position.
int stockPosition(const QString &areaText, qsizetype position)
{
    return int(position - areaText.left(position).count(u"\r\n"));
}

QString described(QString text, int anchor, int caret)
{
    // What cannot be seen is spelled out: a zero-width character, a lone half of a pair.
    QString shown;
    for (qsizetype index = 0; index < text.size(); ++index) {
        const QChar character = text.at(index);
        const bool paired = character.isHighSurrogate()
                                ? index + 1 < text.size() && text.at(index + 1).isLowSurrogate()
                                : index > 0 && text.at(index - 1).isHighSurrogate();
        if (character.category() == QChar::Other_Format || (character.isSurrogate() && !paired))
            shown += u"\\u%1"_qs.arg(character.unicode(), 4, 16, QChar(u'0'));
        else
            shown += character;
    }
    return QStringLiteral("'%1' %2..%3")
        .arg(shown.replace(u'\n', u"\\n"_qs).replace(u'\t', u"\\t"_qs))
        .arg(anchor)
        .arg(caret);
}

// Ten random keys on a random text of the pieces, the same on both widgets, compared after each.
void pressSeededKeys(int seed, const QStringList &pieces, const QFont &font)
{
    QRandomGenerator random{quint32(seed)};
    QString text;
    for (int piece = 0, count = random.bounded(1, 12); piece < count; ++piece)
        text += pieces.at(random.bounded(int(pieces.size())));

    QPlainTextEdit stock;
    stock.setFont(font);
    stock.setLineWrapMode(QPlainTextEdit::NoWrap);
    stock.setPlainText(text);
    stock.resize(400, 300);
    stock.show();
    TextBox area;
    area.setFont(font);
    area.setInitialText(QString(text).replace(u'\n', u"\r\n"_qs));
    area.resize(400, 300);
    area.show();
    QVERIFY(QTest::qWaitForWindowExposed(&stock));
    QVERIFY(QTest::qWaitForWindowExposed(&area));

    const int start = random.bounded(int(text.size()) + 1);
    QTextCursor cursor = stock.textCursor();
    cursor.setPosition(start);
    stock.setTextCursor(cursor);
    const qsizetype areaStart = start + text.left(start).count(u'\n');
    area.setSelection(areaStart, areaStart);

    QStringList pressed;
    for (int step = 0; step < 10; ++step) {
        const QString key = Keys.at(random.bounded(int(Keys.size())));
        pressed << key;
        QTest::keySequence(&stock, QKeySequence(key));
        QTest::keySequence(&area, QKeySequence(key));
        const QString areaText = area.Text();
        const QString shown = described(QString(areaText).replace(u"\r\n"_qs, u"\n"_qs),
                                        stockPosition(areaText, area.anchorPosition()),
                                        stockPosition(areaText, area.caretPosition()));
        const QString expected = described(stock.toPlainText(), stock.textCursor().anchor(),
                                           stock.textCursor().position());
        QVERIFY2(shown == expected, qPrintable(QStringLiteral("from %1, %2: %3, not %4")
                                                   .arg(described(text, start, start),
                                                        pressed.join(u' '), shown, expected)));
    }
}

} // namespace

void TextBoxStockTest::keysDoWhatTheStockWidgetDid_data()
{
    QTest::addColumn<int>("seed");
    for (int seed = 0; seed < 200; ++seed)
        QTest::addRow("seed %d", seed) << seed;
}

void TextBoxStockTest::keysDoWhatTheStockWidgetDid()
{
    QFETCH(int, seed);
    // One fixed-pitch font for both, so that Up and Down aim at the same columns.
    pressSeededKeys(seed, Pieces, QFontDatabase::systemFont(QFontDatabase::FixedFont));
}

void TextBoxStockTest::keysOnScriptsDoWhatTheStockWidgetDid_data()
{
    keysDoWhatTheStockWidgetDid_data();
}

void TextBoxStockTest::keysOnScriptsDoWhatTheStockWidgetDid()
{
    if (const QString missing = missingScriptFonts(); !missing.isEmpty())
        QSKIP(qPrintable(missing));
    QFETCH(int, seed);
    QStringList pieces = Pieces;
    for (const ScriptText &script : scriptTexts())
        pieces << script.text;
    // A font of the scripts' family, whose fallbacks draw the rest; Up and Down aim at x.
    pressSeededKeys(seed, pieces, scriptFont());
}

QTEST_MAIN(TextBoxStockTest)
#include "tst_textboxstock.moc"
