// SPDX-License-Identifier: GPL-3.0-or-later
#include "notes/Windows1250.h"
#include "tests/support/Windows1250Text.h"

#include <QTest>
#include <QTextBoundaryFinder>

#include <iconv.h>
#include <optional>

// The table against the system's own converter, byte by byte, and the encoder as its inverse.
class Windows1250Test : public QObject
{
    Q_OBJECT

private slots:
    void decodesEachByteLikeIconv_data();
    void decodesEachByteLikeIconv();
    void everyByteSurvivesDecodingAndEncoding();
    void polishLetters_data();
    void polishLetters();
    void refusesCharactersWithoutAByte_data();
    void refusesCharactersWithoutAByte();
    void composesDecomposedLetters_data();
    void composesDecomposedLetters();
    void refusesLettersWithoutBytes_data();
    void refusesLettersWithoutBytes();
    void lettersEndBetweenTwoCharactersWithBytes();
};

namespace {

// What iconv makes of one byte as "CP1250", or nothing when it has no character for it.
std::optional<char16_t> iconvDecode(uchar byte)
{
    const iconv_t converter = iconv_open("UTF-16LE", "CP1250");
    if (converter == iconv_t(-1))
        return std::nullopt;
    char in[1] = {char(byte)};
    char out[8] = {};
    char *inPointer = in;
    char *outPointer = out;
    size_t inLeft = 1;
    size_t outLeft = sizeof out;
    const size_t result = iconv(converter, &inPointer, &inLeft, &outPointer, &outLeft);
    iconv_close(converter);
    if (result == size_t(-1) || outPointer - out != 2)
        return std::nullopt;
    return char16_t(uchar(out[0]) | (uchar(out[1]) << 8));
}

} // namespace

void Windows1250Test::decodesEachByteLikeIconv_data()
{
    QTest::addColumn<int>("byte");
    for (int byte = 0; byte < 256; ++byte)
        QTest::addRow("byte 0x%02x", byte) << byte;
}

void Windows1250Test::decodesEachByteLikeIconv()
{
    QFETCH(int, byte);
    const std::optional<char16_t> expected = iconvDecode(uchar(byte));
    // Appended after what the text already holds, as a reader does piece by piece.
    QString text = QStringLiteral("ab");
    Windows1250::decodeAppending(QByteArray(1, char(byte)), text);
    QCOMPARE(text.size(), 3);
    QCOMPARE(text.first(2), QStringLiteral("ab"));
    const char16_t decoded = text.at(2).unicode();
    if (expected) {
        QCOMPARE(uint(decoded), uint(*expected));
    } else {
        // The code page leaves it undefined: it keeps its own number as a control character.
        QVERIFY2((QList<int>{0x81, 0x83, 0x88, 0x90, 0x98}.contains(byte)),
                 "iconv has no character for a byte that the code page defines");
        QCOMPARE(uint(decoded), uint(byte));
    }
}

void Windows1250Test::everyByteSurvivesDecodingAndEncoding()
{
    QByteArray everyByte;
    for (int byte = 0; byte < 256; ++byte)
        everyByte += char(byte);
    const QString text = windows1250Text(everyByte);
    QCOMPARE(text.size(), 256);
    const Windows1250::Encoding encoding = Windows1250::encode(text);
    QVERIFY(encoding.isComplete());
    QCOMPARE(encoding.bytes, everyByte);
}

void Windows1250Test::polishLetters_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("small letters")
        << QStringLiteral("ąćęłńóśźż") << QByteArray("\xb9\xe6\xea\xb3\xf1\xf3\x9c\x9f\xbf");
    QTest::newRow("capital letters")
        << QStringLiteral("ĄĆĘŁŃÓŚŹŻ") << QByteArray("\xa5\xc6\xca\xa3\xd1\xd3\x8c\x8f\xaf");
    QTest::newRow("quotes, dash, euro") << QStringLiteral("„a” – 5 €")
                                        << QByteArray("\x84"
                                                      "a\x94 \x96 5 \x80");
}

void Windows1250Test::polishLetters()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    QCOMPARE(windows1250Text(bytes), text);
    QCOMPARE(Windows1250::encode(text).bytes, bytes);
}

void Windows1250Test::refusesCharactersWithoutAByte_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<qsizetype>("firstUnencodable");
    QTest::addColumn<qsizetype>("count");
    QTest::newRow("all encodable")
        << QStringLiteral("Zażółć gęślą jaźń\r\n\x1a") << qsizetype(-1) << qsizetype(0);
    QTest::newRow("Cyrillic word") << QStringLiteral("ab жук") << qsizetype(3) << qsizetype(3);
    QTest::newRow("emoji is one character")
        << QStringLiteral("x😀y😀") << qsizetype(1) << qsizetype(2);
    QTest::newRow("lone surrogate")
        << (QString(u'a') + QChar(0xd800) + u'b') << qsizetype(1) << qsizetype(1);
    QTest::newRow("control character outside the page")
        << QString(QChar(0x85)) << qsizetype(0) << qsizetype(1);
    QTest::newRow("German sharp s is encodable, Danish o is not")
        << QStringLiteral("ßø") << qsizetype(1) << qsizetype(1);
}

void Windows1250Test::refusesCharactersWithoutAByte()
{
    QFETCH(QString, text);
    QFETCH(qsizetype, firstUnencodable);
    QFETCH(qsizetype, count);
    const Windows1250::Encoding encoding = Windows1250::encode(text);
    QCOMPARE(encoding.firstUnencodable, firstUnencodable);
    QCOMPARE(encoding.unencodableCount, count);
    QCOMPARE(encoding.isComplete(), count == 0);
    if (count > 0)
        QVERIFY2(encoding.bytes.isEmpty(), "a text that cannot be encoded whole gives no bytes");
    else
        QCOMPARE(encoding.bytes.size(), text.size());
}

void Windows1250Test::composesDecomposedLetters_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");
    for (int byte = 0x80; byte < 0x100; ++byte) {
        const QString letter = windows1250Text(QByteArray(1, char(byte)));
        const QString decomposed = letter.normalized(QString::NormalizationForm_D);
        if (decomposed == letter)
            continue;
        QTest::addRow("%s (byte 0x%02x) decomposed", qPrintable(letter), byte)
            << decomposed << QByteArray(1, char(byte));
    }
    QTest::newRow("decomposed letters one after another")
        << QStringLiteral("z\u0307o\u0301") << QByteArray("\xbf\xf3");
    QTest::newRow("Kelvin sign is the letter K") << QStringLiteral("\u212a") << QByteArray("K");
}

void Windows1250Test::composesDecomposedLetters()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    const Windows1250::Encoding encoding = Windows1250::encode(text);
    QVERIFY(encoding.isComplete());
    QCOMPARE(encoding.bytes, bytes);
}

void Windows1250Test::refusesLettersWithoutBytes_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<qsizetype>("firstUnencodable");
    QTest::addColumn<qsizetype>("length");
    QTest::addColumn<qsizetype>("count");
    QTest::newRow("a mark with no composed byte")
        << QStringLiteral("ae\u0303") << qsizetype(1) << qsizetype(2) << qsizetype(1);
    QTest::newRow("two marks of which only one composes")
        << QStringLiteral("z\u0307\u0301") << qsizetype(0) << qsizetype(3) << qsizetype(1);
    QTest::newRow("the second of two refused letters after a composed one")
        << QStringLiteral("z\u0307e\u0303e\u0303") << qsizetype(2) << qsizetype(2) << qsizetype(2);
    QTest::newRow("a lone mark at the start")
        << QStringLiteral("\u0301a") << qsizetype(0) << qsizetype(1) << qsizetype(1);
    QTest::newRow("a lone mark after CR LF")
        << QStringLiteral("a\r\n\u0301") << qsizetype(3) << qsizetype(1) << qsizetype(1);
    QTest::newRow("an emoji sequence joined through the encodable ©")
        << QStringLiteral("x😀\u200d\u00a9\u200d😀y") << qsizetype(1) << qsizetype(7) << qsizetype(1);
    QTest::newRow("ogonek and acute compose to no byte")
        << QStringLiteral("a\u0301\u0328") << qsizetype(0) << qsizetype(3) << qsizetype(1);
    QTest::newRow("Cyrillic short i from its breve")
        << QStringLiteral("\u0438\u0306") << qsizetype(0) << qsizetype(2) << qsizetype(1);
}

void Windows1250Test::refusesLettersWithoutBytes()
{
    QFETCH(QString, text);
    QFETCH(qsizetype, firstUnencodable);
    QFETCH(qsizetype, length);
    QFETCH(qsizetype, count);
    const Windows1250::Encoding encoding = Windows1250::encode(text);
    QCOMPARE(encoding.firstUnencodable, firstUnencodable);
    QCOMPARE(encoding.firstUnencodableLength, length);
    QCOMPARE(encoding.unencodableCount, count);
    QVERIFY(encoding.bytes.isEmpty());
}

// The encoder composes only around characters without a byte, trusting that a letter never
// spans two characters that have bytes, a CR LF aside. The toolkit's Unicode data says so.
void Windows1250Test::lettersEndBetweenTwoCharactersWithBytes()
{
    QByteArray everyByte;
    for (int byte = 0; byte < 256; ++byte)
        everyByte += char(byte);
    const QString characters = windows1250Text(everyByte);
    for (const QChar first : characters) {
        // Each character after the first one and before it again.
        QString pairs;
        for (const QChar second : characters)
            pairs += QString(first) + second;
        QTextBoundaryFinder letters(QTextBoundaryFinder::Grapheme, pairs);
        for (qsizetype at = 1; at < pairs.size(); ++at) {
            letters.setPosition(at);
            const bool crLf = pairs[at - 1] == u'\r' && pairs[at] == u'\n';
            QVERIFY2(letters.isAtBoundary() != crLf,
                     qPrintable(QStringLiteral("U+%1 U+%2")
                                    .arg(pairs[at - 1].unicode(), 4, 16, QLatin1Char('0'))
                                    .arg(pairs[at].unicode(), 4, 16, QLatin1Char('0'))));
        }
    }
}

QTEST_GUILESS_MAIN(Windows1250Test)
#include "tst_windows1250.moc"
