// SPDX-License-Identifier: GPL-3.0-or-later
#include "textarea/ReadableColor.h"
#include "textarea/TextBox.h"

#include <QAccessible>
#include <QApplication>
#include <QScrollBar>
#include <QTest>
// QAccessible::setActive only tells observers; what a screen reader switches on is the
// platform's side, which only Qt's private interface reaches, as Qt's own tests do.
#include <QtGui/private/qguiapplication_p.h>
#include <QtGui/qpa/qplatformaccessibility.h>
#include <QtGui/qpa/qplatformintegration.h>

// The text area for those who cannot see it well or at all: readable while disabled, told to
// assistive technology as read-only then, and no part of it without a name.
class TextBoxAccessTest : public QObject
{
    Q_OBJECT

private slots:
    void disabledTextIsReadable_data();
    void disabledTextIsReadable();
    void disabledAreaIsReadOnly_data();
    void disabledAreaIsReadOnly();
    void everyPartIsNamed();
    void readsTextRanges_data();
    void readsTextRanges();
    void readsSegments_data();
    void readsSegments();
    void tellsLongLinesInPieces();
    void placesCaretAndSelection_data();
    void placesCaretAndSelection();
    void locatesCharactersInLongLine_data();
    void locatesCharactersInLongLine();
    void editsThroughTheGate_data();
    void editsThroughTheGate();
    void refusesEditsPastTheLimit();
    void tellsEachChange_data();
    void tellsEachChange();
    void tellsHugeChangesInPart();
    void describesTheLook_data();
    void describesTheLook();
};

namespace {

// Light: the style's own colours. Dark: a theme whose greyed text is as faint as the style's.
// The page's background is light in one and dark in the other, so the text must move either way.
QPalette themePalette(const QString &theme)
{
    QPalette palette = QApplication::palette();
    if (theme == "dark") {
        for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
            palette.setColor(group, QPalette::Window, QColor(0x30, 0x30, 0x30));
            palette.setColor(group, QPalette::Base, QColor(0x20, 0x20, 0x20));
            palette.setColor(group, QPalette::Text, QColor(0xee, 0xee, 0xee));
        }
        palette.setColor(QPalette::Disabled, QPalette::Base, QColor(0x30, 0x30, 0x30));
        palette.setColor(QPalette::Disabled, QPalette::Text, QColor(0x50, 0x50, 0x50));
    }
    return palette;
}

// The colour most pixels of the region have.
QColor background(const QImage &image, const QRect &region)
{
    QHash<QRgb, int> counts;
    for (int y = region.top(); y <= region.bottom(); ++y) {
        for (int x = region.left(); x <= region.right(); ++x)
            ++counts[image.pixel(x, y)];
    }
    const auto most = std::max_element(counts.cbegin(), counts.cend());
    return QColor::fromRgb(most.key());
}

// The contrast of the inked pixel that stands out most from the region's background.
qreal strongestInkContrast(const QImage &image, const QRect &region)
{
    const QColor background = ::background(image, region);
    qreal strongest = 1;
    for (int y = region.top(); y <= region.bottom(); ++y) {
        for (int x = region.left(); x <= region.right(); ++x)
            strongest
                = qMax(strongest, ReadableColor::contrast(image.pixelColor(x, y), background));
    }
    return strongest;
}

// The text interfaces of an area.
QAccessibleTextInterface *textOf(TextBox &box)
{
    return QAccessible::queryAccessibleInterface(&box)->textInterface();
}

QAccessibleEditableTextInterface *editableTextOf(TextBox &box)
{
    return QAccessible::queryAccessibleInterface(&box)->editableTextInterface();
}

QString visible(QString text)
{
    return text.replace(u'\r', QStringLiteral("\\r")).replace(u'\n', QStringLiteral("\\n"));
}

// What assistive technology was told of the text, the caret and the selection, an event a line.
QStringList &toldEvents()
{
    static QStringList events;
    return events;
}

void recordEvent(QAccessibleEvent *event)
{
    const auto told = [](const char *kind, int position, const QString &text) {
        toldEvents() << QStringLiteral("%1 %2 %3").arg(kind).arg(position).arg(visible(text));
    };
    // The text events are caret events too, and so are looked for first.
    if (const auto *inserted = dynamic_cast<QAccessibleTextInsertEvent *>(event))
        told("insert", inserted->changePosition(), inserted->textInserted());
    else if (const auto *removed = dynamic_cast<QAccessibleTextRemoveEvent *>(event))
        told("remove", removed->changePosition(), removed->textRemoved());
    else if (const auto *updated = dynamic_cast<QAccessibleTextUpdateEvent *>(event))
        told("update", updated->changePosition(),
             updated->textRemoved() + u'>' + updated->textInserted());
    else if (const auto *selection = dynamic_cast<QAccessibleTextSelectionEvent *>(event))
        toldEvents() << QStringLiteral("selection %1..%2")
                            .arg(selection->selectionStart())
                            .arg(selection->selectionEnd());
    else if (const auto *caret = dynamic_cast<QAccessibleTextCursorEvent *>(event))
        toldEvents() << QStringLiteral("caret %1").arg(caret->cursorPosition());
}

// Records the events while it lives, as a screen reader listening would.
class ListeningScreenReader
{
public:
    explicit ListeningScreenReader(bool listening)
    {
        toldEvents().clear();
        platform()->setActive(listening);
        m_previous = QAccessible::installUpdateHandler(recordEvent);
    }
    ~ListeningScreenReader()
    {
        QAccessible::installUpdateHandler(m_previous);
        platform()->setActive(false);
    }
    static QPlatformAccessibility *platform()
    {
        return QGuiApplicationPrivate::platformIntegration()->accessibility();
    }
    ListeningScreenReader(const ListeningScreenReader &) = delete;
    ListeningScreenReader &operator=(const ListeningScreenReader &) = delete;

private:
    QAccessible::UpdateHandler m_previous = nullptr;
};

// A segment's offsets as "start..end", or "none"; its text must be the area's text there.
using SegmentRead
    = QString (QAccessibleTextInterface::*)(int, QAccessible::TextBoundaryType, int *, int *) const;
QString segment(QAccessibleTextInterface *text, SegmentRead read, int offset,
                QAccessible::TextBoundaryType boundary)
{
    int start = 0;
    int end = 0;
    const QString found = (text->*read)(offset, boundary, &start, &end);
    if (start < 0 && end < 0 && found.isEmpty())
        return QStringLiteral("none");
    if (found != text->text(start, end))
        return QStringLiteral("%1..%2 reads %3").arg(start).arg(end).arg(visible(found));
    return QStringLiteral("%1..%2").arg(start).arg(end);
}

} // namespace

void TextBoxAccessTest::disabledTextIsReadable_data()
{
    QTest::addColumn<QString>("theme");
    QTest::addColumn<int>("points");

    QTest::newRow("light theme") << "light" << 14;
    QTest::newRow("light theme, small text") << "light" << 9;
    QTest::newRow("dark theme") << "dark" << 14;
    QTest::newRow("dark theme, small text") << "dark" << 9;
}

void TextBoxAccessTest::disabledTextIsReadable()
{
    QFETCH(QString, theme);
    QFETCH(int, points);

    QWidget window;
    window.setPalette(themePalette(theme));
    auto *box = new TextBox(&window);
    box->setGeometry(0, 0, 300, 120);
    QFont font = box->font();
    font.setPointSize(points);
    box->setFont(font);
    box->SetText(QStringLiteral("Możliwa edycja"));
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const QImage enabled = box->viewport()->grab().toImage();
    box->SetEnabled(false);
    const QImage disabled = box->viewport()->grab().toImage();

    // The text's line, from its first to its last character.
    const QRect first = box->characterRect(0).toRect();
    const QRect last = box->characterRect(box->buffer().lineEnd(0)).toRect();
    const QRect line = QRect(first.topLeft(), last.bottomLeft()).adjusted(1, 0, 0, 0);
    const QColor backgroundEnabled = background(enabled, line);
    const QColor backgroundDisabled = background(disabled, line);
    const qreal contrast = strongestInkContrast(disabled, line);
    const QString seen = QStringLiteral("strongest ink at %1:1 on %2 in %3,%4 %5x%6")
                             .arg(contrast, 0, 'f', 2)
                             .arg(backgroundDisabled.name())
                             .arg(line.x())
                             .arg(line.y())
                             .arg(line.width())
                             .arg(line.height());
    QVERIFY2(contrast >= ReadableColor::MinimumContrast, qPrintable(seen));
    // It still looks out of reach: a muted background, and text fainter than when enabled.
    QVERIFY2(backgroundDisabled != backgroundEnabled, qPrintable(seen));
    QVERIFY2(contrast < strongestInkContrast(enabled, line), qPrintable(seen));
}

void TextBoxAccessTest::disabledAreaIsReadOnly_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("through the contract") << "SetEnabled";
    QTest::newRow("through Qt") << "setEnabled";
    QTest::newRow("its window disabled") << "window";
}

void TextBoxAccessTest::disabledAreaIsReadOnly()
{
    QFETCH(QString, how);

    QWidget window;
    auto *box = new TextBox(&window);
    box->resize(200, 100);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const auto enable = [&](bool on) {
        if (how == "SetEnabled")
            box->SetEnabled(on);
        else if (how == "setEnabled")
            box->setEnabled(on);
        else
            window.setEnabled(on);
    };
    QAccessibleInterface *area = QAccessible::queryAccessibleInterface(box);
    QVERIFY(area);
    QVERIFY(area->state().editable);
    QVERIFY(!area->state().readOnly);

    enable(false);
    QVERIFY(area->state().disabled);
    QVERIFY(!area->state().editable);
    QVERIFY(area->state().readOnly);
    // The program's writes still go through.
    box->SetText(QStringLiteral("program"));
    box->SetSelStart(0);
    box->SetSelLength(4);
    box->SetSelText(QStringLiteral("Pro"));
    QCOMPARE(box->Text(), QStringLiteral("Proram"));

    enable(true);
    QVERIFY(!area->state().disabled);
    QVERIFY(area->state().editable);
    QVERIFY(!area->state().readOnly);
    // And the user can type again.
    box->setFocus();
    box->SetSelStart(3);
    QTest::keyClicks(box, QStringLiteral("g"));
    QCOMPARE(box->Text(), QStringLiteral("Program"));
}

void TextBoxAccessTest::everyPartIsNamed()
{
    TextBox box;
    box.setAccessibleName(QStringLiteral("Notatki"));
    QList<QAccessibleInterface *> parts{QAccessible::queryAccessibleInterface(&box)};
    int seen = 0;
    while (!parts.isEmpty()) {
        QAccessibleInterface *part = parts.takeFirst();
        const QString name = part->text(QAccessible::Name);
        QVERIFY2(!name.trimmed().isEmpty(),
                 qPrintable(QStringLiteral("unnamed %1 (role %2)")
                                .arg(QString::fromLatin1(part->object()->metaObject()->className()))
                                .arg(part->role())));
        QCOMPARE(name, name.trimmed());
        for (int child = 0; child < part->childCount(); ++child)
            parts << part->child(child);
        ++seen;
    }
    // The area, its page, and each scroll bar in its container.
    QCOMPARE(seen, 6);
}

void TextBoxAccessTest::readsTextRanges_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("end");
    QTest::addColumn<QString>("expected");

    QTest::newRow("across a CR LF") << "a\r\nb" << 0 << 4 << "a\r\nb";
    QTest::newRow("from a lone CR over a lone LF") << "a\rb\nc" << 1 << 4 << "\rb\n";
    QTest::newRow("to the end, as AT-SPI asks") << "a\nb" << 1 << -1 << "\nb";
    QTest::newRow("the LF of a pair alone") << "a\r\nb" << 2 << 3 << "\n";
    QTest::newRow("offsets given backwards") << "abc" << 2 << 0 << "ab";
    QTest::newRow("past the end") << "abc" << 1 << 99 << "bc";
    QTest::newRow("before the start") << "abc" << -5 << 2 << "ab";
    QTest::newRow("empty text") << "" << 0 << -1 << "";
}

void TextBoxAccessTest::readsTextRanges()
{
    QFETCH(QString, text);
    QFETCH(int, start);
    QFETCH(int, end);
    QFETCH(QString, expected);

    TextBox box;
    box.SetText(text);
    QAccessibleTextInterface *accessible = textOf(box);
    QVERIFY(accessible);
    QCOMPARE(accessible->characterCount(), text.size());
    QCOMPARE(accessible->text(start, end), expected);
}

void TextBoxAccessTest::readsSegments_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QAccessible::TextBoundaryType>("boundary");
    QTest::addColumn<int>("offset");
    // The segments before the offset, at it and after it.
    QTest::addColumn<QString>("segments");

    // Lines at 0..12, 14..26, 27..33 and 34..40, ended by CR LF, a lone CR and a lone LF.
    const QString lines = QStringLiteral("Ala ma kota.\r\nDrugi wiersz\rtrzeci\nkoniec");
    const auto character = QAccessible::CharBoundary;
    const auto word = QAccessible::WordBoundary;
    const auto line = QAccessible::LineBoundary;
    QTest::newRow("character") << lines << character << 4 << "3..4 4..5 5..6";
    QTest::newRow("character: CR LF is one") << lines << character << 12 << "11..12 12..14 14..15";
    QTest::newRow("character: the LF of a pair")
        << lines << character << 13 << "11..12 12..14 14..15";
    QTest::newRow("character: after the last") << lines << character << 40 << "39..40 40..40 none";
    QTest::newRow("character: a surrogate pair")
        << QString::fromUtf8("a😀b") << character << 2 << "0..1 1..3 3..4";
    QTest::newRow("word") << lines << word << 5 << "3..4 4..6 6..7";
    QTest::newRow("word: before the full stop") << lines << word << 8 << "6..7 7..11 11..12";
    QTest::newRow("word: after a CR LF") << lines << word << 14 << "12..14 14..19 19..20";
    QTest::newRow("word: a lone CR") << lines << word << 26 << "20..26 26..27 27..33";
    QTest::newRow("word: at the end of the text") << lines << word << 40 << "33..34 34..40 none";
    QTest::newRow("line ended by CR LF") << lines << line << 3 << "none 0..12 14..26";
    QTest::newRow("line: at its lone CR") << lines << line << 26 << "0..12 14..26 27..33";
    QTest::newRow("line: the last") << lines << line << 40 << "27..33 34..40 none";
    QTest::newRow("line: empty after a final line end") << "ab\r\n"
                                                        << line << 4 << "0..2 4..4 none";
    QTest::newRow("paragraph is a line")
        << lines << QAccessible::ParagraphBoundary << 30 << "14..26 27..33 34..40";
    QTest::newRow("sentence") << "Ala ma kota. Kot ma Alę.\nNowa" << QAccessible::SentenceBoundary
                              << 15 << "0..13 13..24 24..25";
    QTest::newRow("no boundary") << lines << QAccessible::NoBoundary << 5 << "none 0..40 none";
    QTest::newRow("empty text") << "" << word << 0 << "none 0..0 none";
}

void TextBoxAccessTest::readsSegments()
{
    QFETCH(QString, text);
    QFETCH(QAccessible::TextBoundaryType, boundary);
    QFETCH(int, offset);

    TextBox box;
    box.SetText(text);
    QAccessibleTextInterface *accessible = textOf(box);
    const QStringList segments{
        segment(accessible, &QAccessibleTextInterface::textBeforeOffset, offset, boundary),
        segment(accessible, &QAccessibleTextInterface::textAtOffset, offset, boundary),
        segment(accessible, &QAccessibleTextInterface::textAfterOffset, offset, boundary)};
    QTEST(segments.join(u' '), "segments");
}

// A line of hundreds of thousands of characters is told in pieces that, walked through one
// after another, give back the whole line, then the next.
void TextBoxAccessTest::tellsLongLinesInPieces()
{
    // Three times 2^16 characters, so that pieces of any power of two up to that end with it.
    const QString longLine(196608, u'x');
    TextBox box;
    box.SetText(longLine + QStringLiteral("\r\ny"));
    QAccessibleTextInterface *accessible = textOf(box);

    QStringList pieces;
    int start = 0;
    int end = 0;
    QString piece = accessible->textAtOffset(0, QAccessible::LineBoundary, &start, &end);
    while (start >= 0) {
        QVERIFY2(piece.size() < longLine.size() / 2, qPrintable(QString::number(start)));
        pieces << piece;
        const int pieceStart = start;
        piece = accessible->textAfterOffset(start, QAccessible::LineBoundary, &start, &end);
        if (start >= 0) {
            int previousStart = 0;
            accessible->textBeforeOffset(start, QAccessible::LineBoundary, &previousStart, &end);
            QCOMPARE(previousStart, pieceStart);
        }
    }
    QVERIFY(pieces.size() > 2);
    QCOMPARE(pieces.takeLast(), QStringLiteral("y"));
    QCOMPARE(pieces.join(QString()), longLine);
    // At its line end the line is still told by its last piece.
    QCOMPARE(accessible->textAtOffset(longLine.size(), QAccessible::LineBoundary, &start, &end),
             pieces.last());

    // A word as long as the line is told around the offset only.
    const QString inWord
        = accessible->textAtOffset(100000, QAccessible::WordBoundary, &start, &end);
    QVERIFY(start <= 100000 && 100000 < end);
    QVERIFY(inWord.size() < longLine.size() / 2);
}

void TextBoxAccessTest::placesCaretAndSelection_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<int>("caret");
    QTest::addColumn<int>("selectionStart");
    QTest::addColumn<int>("selectionEnd");

    // The text is "ab\r\ncd"; no selection reads as 0..0.
    QTest::newRow("caret between CR and LF goes before the pair")
        << QStringList{"caret 3"} << 2 << 0 << 0;
    QTest::newRow("caret past the end") << QStringList{"caret 99"} << 6 << 0 << 0;
    QTest::newRow("selection made backwards") << QStringList{"select 5 1"} << 1 << 1 << 5;
    QTest::newRow("added selection replaces the one there")
        << QStringList{"select 0 1", "add 4 6"} << 6 << 4 << 6;
    QTest::newRow("removed selection keeps the caret")
        << QStringList{"select 5 1", "remove 0"} << 1 << 0 << 0;
    QTest::newRow("only one selection")
        << QStringList{"select 0 2", "remove 1", "set 1 3 4"} << 2 << 0 << 2;
}

void TextBoxAccessTest::placesCaretAndSelection()
{
    QFETCH(QStringList, steps);
    QFETCH(int, caret);
    QFETCH(int, selectionStart);
    QFETCH(int, selectionEnd);

    TextBox box;
    box.SetText(QStringLiteral("ab\r\ncd"));
    QAccessibleTextInterface *accessible = textOf(box);
    for (const QString &step : steps) {
        const QStringList words = step.split(u' ');
        const int first = words.value(1).toInt();
        const int second = words.value(2).toInt();
        if (words.first() == "caret")
            accessible->setCursorPosition(first);
        else if (words.first() == "select")
            accessible->setSelection(0, first, second);
        else if (words.first() == "add")
            accessible->addSelection(first, second);
        else if (words.first() == "remove")
            accessible->removeSelection(first);
        else
            accessible->setSelection(first, second, words.value(3).toInt());
    }
    QCOMPARE(box.caretPosition(), caret);
    QCOMPARE(accessible->cursorPosition(), caret);
    QCOMPARE(accessible->selectionCount(), selectionStart == selectionEnd ? 0 : 1);
    int start = -1;
    int end = -1;
    accessible->selection(0, &start, &end);
    QCOMPARE(start, selectionStart);
    QCOMPARE(end, selectionEnd);
    QCOMPARE(box.selectionEnd() - box.selectionStart(), selectionEnd - selectionStart);
}

void TextBoxAccessTest::locatesCharactersInLongLine_data()
{
    QTest::addColumn<int>("offset");

    QTest::newRow("first character") << 0;
    QTest::newRow("middle of a long line") << 150000;
    QTest::newRow("last character of the long line") << 299999;
    QTest::newRow("the long line's end") << 300000;
    QTest::newRow("on the next line") << 300003;
}

// Each character is found where it is drawn once scrolled to, beside its neighbours, and the
// point at its middle leads back to it.
void TextBoxAccessTest::locatesCharactersInLongLine()
{
    QFETCH(int, offset);

    QString longLine;
    while (longLine.size() < 300000)
        longLine += QStringLiteral("Wiśnia, ");
    longLine.truncate(300000);
    QWidget window;
    auto *box = new TextBox(&window);
    box->setGeometry(0, 0, 400, 200);
    box->SetText(longLine + QStringLiteral("\nkrótka"));
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QAccessibleTextInterface *accessible = textOf(*box);

    accessible->scrollToSubstring(offset, offset + 1);
    const QRect shown(box->viewport()->mapToGlobal(QPoint(0, 0)), box->viewport()->size());
    const QRect character = accessible->characterRect(offset);
    QString seen;
    QDebug(&seen) << "character" << character << "shown" << shown;
    QVERIFY2(shown.contains(character), qPrintable(seen));
    QVERIFY2(character.width() > 0 && character.height() > 0, qPrintable(seen));
    QCOMPARE(accessible->offsetAtPoint(character.center()), offset);
    if (offset > 0 && offset != 300003) {
        const QRect previous = accessible->characterRect(offset - 1);
        QCOMPARE(previous.top(), character.top());
        QVERIFY2(qAbs(previous.right() + 1 - character.left()) <= 1, qPrintable(seen));
    }
    // Beside the short line's end there is no character.
    const QRect lastOfShortLine = accessible->characterRect(accessible->characterCount() - 1);
    if (shown.contains(lastOfShortLine.center() + QPoint(60, 0)))
        QCOMPARE(accessible->offsetAtPoint(lastOfShortLine.center() + QPoint(60, 0)), -1);
    QCOMPARE(accessible->offsetAtPoint(shown.topLeft() - QPoint(5, 5)), -1);
}

void TextBoxAccessTest::editsThroughTheGate_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("edit");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("end");
    QTest::addColumn<QString>("inserted");
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<int>("caret");

    QTest::newRow("insert") << "ab"
                            << "insert" << 1 << 1 << "X" << true << "aXb" << 2;
    QTest::newRow("insert: a lone LF becomes CR LF") << "ab"
                                                     << "insert" << 1 << 1 << "\n"
                                                     << true << "a\r\nb" << 3;
    QTest::newRow("delete") << "abc"
                            << "delete" << 0 << 2 << "" << true << "c" << 0;
    QTest::newRow("delete half a CR LF: the pair goes")
        << "a\r\nb"
        << "delete" << 1 << 2 << "" << true << "ab" << 1;
    QTest::newRow("delete ending inside a CR LF") << "a\r\nb"
                                                  << "delete" << 0 << 2 << "" << true << "b" << 0;
    QTest::newRow("delete keeps a lone CR") << "a\rb"
                                            << "delete" << 0 << 1 << "" << true << "\rb" << 0;
    QTest::newRow("replace") << "Ala ma kota"
                             << "replace" << 4 << 6 << "nie ma" << true << "Ala nie ma kota" << 10;
    QTest::newRow("read-only: insert refused") << "ab"
                                               << "insert" << 1 << 1 << "X" << false << "ab" << 0;
    QTest::newRow("read-only: delete refused") << "ab"
                                               << "delete" << 0 << 2 << "" << false << "ab" << 0;
}

void TextBoxAccessTest::editsThroughTheGate()
{
    QFETCH(QString, text);
    QFETCH(QString, edit);
    QFETCH(int, start);
    QFETCH(int, end);
    QFETCH(QString, inserted);
    QFETCH(bool, enabled);
    QFETCH(QString, expected);
    QFETCH(int, caret);

    TextBox box;
    box.setInitialText(text);
    box.SetEnabled(enabled);
    QAccessibleEditableTextInterface *editable = editableTextOf(box);
    QVERIFY(editable);
    if (edit == "insert")
        editable->insertText(start, inserted);
    else if (edit == "delete")
        editable->deleteText(start, end);
    else
        editable->replaceText(start, end, inserted);
    QCOMPARE(box.Text(), expected);
    QCOMPARE(box.caretPosition(), caret);
    // An edit of the user's, which one undo takes back.
    QCOMPARE(box.canUndo(), expected != text);
    box.undo();
    QCOMPARE(box.Text(), text);
}

// An insertion that would take the text past the limit changes nothing, not even the selection;
// one that reaches the limit exactly goes in.
void TextBoxAccessTest::refusesEditsPastTheLimit()
{
    TextBox box;
    box.SetText(QString(TextArea::LargestText - 2, u'a'));
    box.setSelection(1, 3);
    QAccessibleEditableTextInterface *editable = editableTextOf(box);
    editable->insertText(0, QStringLiteral("XYZ"));
    QCOMPARE(box.buffer().size(), TextArea::LargestText - 2);
    QCOMPARE(box.anchorPosition(), 1);
    QCOMPARE(box.caretPosition(), 3);
    editable->replaceText(1, 2, QStringLiteral("XYZ"));
    QCOMPARE(box.buffer().size(), TextArea::LargestText);
    QCOMPARE(box.buffer().mid(0, 5), QStringLiteral("aXYZa"));
}

void TextBoxAccessTest::tellsEachChange_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("anchor");
    QTest::addColumn<int>("caret");
    QTest::addColumn<QKeySequence>("keys");
    QTest::addColumn<bool>("listening");
    QTest::addColumn<QStringList>("told");

    QTest::newRow("typing") << "ab" << 1 << 1 << QKeySequence("X") << true
                            << QStringList{"insert 1 x", "caret 2"};
    QTest::newRow("Backspace tells the character removed")
        << "ab" << 2 << 2 << QKeySequence("Backspace") << true
        << QStringList{"remove 1 b", "caret 1"};
    QTest::newRow("Enter") << "ab" << 1 << 1 << QKeySequence("Return") << true
                           << QStringList{"insert 1 \\r\\n", "caret 3"};
    QTest::newRow("Delete takes a CR LF whole")
        << "a\r\nb" << 1 << 1 << QKeySequence("Delete") << true
        << QStringList{"remove 1 \\r\\n", "caret 1"};
    QTest::newRow("typing over a selection")
        << "abc" << 0 << 2 << QKeySequence("X") << true
        << QStringList{"update 0 ab>x", "caret 1", "selection 1..1"};
    QTest::newRow("Shift+Right selects") << "abc" << 0 << 0 << QKeySequence("Shift+Right") << true
                                         << QStringList{"caret 1", "selection 0..1"};
    QTest::newRow("Right moves over a CR LF")
        << "a\r\nb" << 1 << 1 << QKeySequence("Right") << true << QStringList{"caret 3"};
    QTest::newRow("undo") << "abc" << 2 << 2 << QKeySequence("Backspace, Ctrl+Z") << true
                          << QStringList{"remove 1 b", "caret 1", "insert 1 b", "caret 2"};
    QTest::newRow("nobody listening")
        << "ab" << 1 << 1 << QKeySequence("X, Shift+Left") << false << QStringList{};
}

void TextBoxAccessTest::tellsEachChange()
{
    QFETCH(QString, text);
    QFETCH(int, anchor);
    QFETCH(int, caret);
    QFETCH(QKeySequence, keys);
    QFETCH(bool, listening);

    QWidget window;
    auto *box = new TextBox(&window);
    box->resize(200, 100);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    box->setFocus();
    box->setInitialText(text);
    box->setSelection(anchor, caret);
    QVERIFY(ListeningScreenReader::platform());
    const ListeningScreenReader screenReader(listening);
    for (int key = 0; key < keys.count(); ++key)
        QTest::keySequence(box, QKeySequence(keys[key]));
    QTEST(toldEvents(), "told");
}

// A new text of a million characters is told by its start, not copied whole onto the bus.
void TextBoxAccessTest::tellsHugeChangesInPart()
{
    TextBox box;
    const QString before(1000000, u'a');
    const QString after = QString(1000000, u'b') + QStringLiteral("c");
    box.SetText(before);
    QVERIFY(ListeningScreenReader::platform());
    const ListeningScreenReader screenReader(true);
    box.SetText(after);
    QCOMPARE(box.Text(), after);
    QCOMPARE(toldEvents().size(), 4);
    const QStringList update = toldEvents().first().split(u' ');
    QCOMPARE(update.value(0), QStringLiteral("update"));
    QCOMPARE(update.value(1), QStringLiteral("0"));
    const QStringList removedAndAdded = update.value(2).split(u'>');
    QVERIFY(removedAndAdded.value(0).size() >= 1000);
    QVERIFY(removedAndAdded.value(0).size() < before.size() / 4);
    QVERIFY(before.startsWith(removedAndAdded.value(0)));
    QVERIFY(removedAndAdded.value(1).size() >= 1000);
    QVERIFY(removedAndAdded.value(1).size() < after.size() / 4);
    QVERIFY(after.startsWith(removedAndAdded.value(1)));
    QCOMPARE(toldEvents().mid(1), (QStringList{"caret 1000001", "caret 0", "selection 0..0"}));
}

void TextBoxAccessTest::describesTheLook_data()
{
    QTest::addColumn<bool>("styled");
    QTest::addColumn<QString>("expected");

    QTest::newRow("plain") << false
                           << "font-family:\"DejaVu Sans\";font-size:11pt;font-style:normal;"
                              "font-weight:normal;text-line-through-type:none;color:rgb(0,0,0)";
    QTest::newRow("every style")
        << true
        << "font-size:13.5pt;font-style:italic;font-weight:bold;text-line-through-type:single;"
           "text-underline-style:solid;text-underline-type:single;color:rgb(0,0,255)";
}

void TextBoxAccessTest::describesTheLook()
{
    QFETCH(bool, styled);
    QFETCH(QString, expected);

    TextBox box;
    box.SetText(QStringLiteral("Ala\r\nma kota"));
    box.Font().SetName(QStringLiteral("DejaVu Sans"));
    box.Font().SetSize(styled ? 13.5 : 11);
    box.SetForeColor(styled ? 0xff0000 : 0);
    if (styled) {
        box.Font().SetBold(true);
        box.Font().SetItalic(true);
        box.Font().SetUnderline(true);
        box.SetFontStrikethru(true);
    }
    int start = -1;
    int end = -1;
    const QString attributes = textOf(box)->attributes(7, &start, &end);
    QCOMPARE(start, 0);
    QCOMPARE(end, 12);
    const QStringList found = attributes.split(u';', Qt::SkipEmptyParts);
    for (const QString &attribute : expected.split(u';'))
        QVERIFY2(found.contains(attribute),
                 qPrintable(attribute + QStringLiteral(" in ") + attributes));
    // Disabled, the colour told is the readable one drawn.
    box.SetEnabled(false);
    const QString disabled = textOf(box)->attributes(0, &start, &end);
    const QColor drawn = box.palette().color(QPalette::Disabled, QPalette::Text);
    QVERIFY2(disabled.split(u';').contains(QStringLiteral("color:rgb(%1,%2,%3)")
                                               .arg(drawn.red())
                                               .arg(drawn.green())
                                               .arg(drawn.blue())),
             qPrintable(disabled));
}

QTEST_MAIN(TextBoxAccessTest)
#include "tst_textboxaccess.moc"
