// SPDX-License-Identifier: GPL-3.0-or-later
#include "clipboard/DecodedLength.h"

#include <QTest>

// Counting a text's characters from its bytes, however the bytes are cut into pieces, gives what
// decoding the whole of them gives: a large clipboard text is refused on that count alone.
class DecodedLengthTest : public QObject
{
    Q_OBJECT

private slots:
    void countsWhatDecodingGives_data();
    void countsWhatDecodingGives();
    void settledCountLeavesOutASequenceUnderWay_data();
    void settledCountLeavesOutASequenceUnderWay();
};

namespace {

qsizetype decodedSize(const QByteArray &bytes, QStringConverter::Encoding encoding)
{
    return encoding == QStringConverter::Utf8 ? QString::fromUtf8(bytes).size()
                                              : QString::fromLatin1(bytes).size();
}

} // namespace

void DecodedLengthTest::countsWhatDecodingGives_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringConverter::Encoding>("encoding");

    const auto utf8 = QStringConverter::Utf8;
    QTest::newRow("ASCII") << QByteArray("Notatki\r\nkoniec") << utf8;
    QTest::newRow("long ASCII runs around a letter")
        << QStringLiteral("abcdefghijklmnoprstuż0123456789abcdefgh").toUtf8() << utf8;
    QTest::newRow("Polish letters, two bytes each")
        << QStringLiteral("Zażółć gęślą jaźń").toUtf8() << utf8;
    QTest::newRow("three-byte characters") << QStringLiteral("€ 日本語").toUtf8() << utf8;
    QTest::newRow("beyond U+FFFF, two units each")
        << QStringLiteral("a\U0001F600b\U00010348").toUtf8() << utf8;
    QTest::newRow("byte order mark at the start")
        << QByteArray("\xef\xbb\xbf") + QByteArray("abc") << utf8;
    QTest::newRow("byte order mark further on")
        << QByteArray("a\xef\xbb\xbf") + QByteArray("bc") << utf8;
    QTest::newRow("two byte order marks") << QByteArray("\xef\xbb\xbf\xef\xbb\xbf") << utf8;
    QTest::newRow("stray continuation bytes") << QByteArray("a\x80\xbf"
                                                            "b")
                                              << utf8;
    QTest::newRow("overlong forms")
        << QByteArray("\xc0\x80\xc1\xbf\xe0\x80\x80\xf0\x80\x80\x80") << utf8;
    QTest::newRow("surrogate halves") << QByteArray("\xed\xa0\x80\xed\xbf\xbf") << utf8;
    QTest::newRow("beyond U+10FFFF") << QByteArray("\xf4\x90\x80\x80\xf5\x80") << utf8;
    QTest::newRow("sequence broken by ASCII") << QByteArray("\xe2\x82"
                                                            "A\xf0\x9f"
                                                            "B")
                                              << utf8;
    QTest::newRow("sequence broken by a new lead") << QByteArray("\xc5\xc5\xbc") << utf8;
    QTest::newRow("cut short at the end") << QByteArray("ok\xf0\x9f\x98") << utf8;
    QTest::newRow("bytes no sequence starts with") << QByteArray("\xfe\xff\xf8") << utf8;
    QTest::newRow("Latin-1, every byte one character")
        << QByteArray("caf\xe9 \xef\xbb\xbf \x80") << QStringConverter::Latin1;
}

// Every way of cutting the text in two, and byte by byte.
void DecodedLengthTest::countsWhatDecodingGives()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringConverter::Encoding, encoding);
    const qsizetype expected = decodedSize(bytes, encoding);

    for (qsizetype cut = 0; cut <= bytes.size(); ++cut) {
        DecodedLength length(encoding);
        length.add(QByteArrayView(bytes).first(cut));
        length.add(QByteArrayView(bytes).sliced(cut));
        QVERIFY2(length.total() == expected,
                 qPrintable(QStringLiteral("cut at %1: %2 counted, %3 decoded")
                                .arg(cut)
                                .arg(length.total())
                                .arg(expected)));
    }
    DecodedLength byBytes(encoding);
    for (const char byte : bytes)
        byBytes.add(QByteArrayView(&byte, 1));
    QCOMPARE(byBytes.total(), expected);
}

void DecodedLengthTest::settledCountLeavesOutASequenceUnderWay_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<qsizetype>("settled");
    QTest::addColumn<qsizetype>("total");

    QTest::newRow("nothing under way")
        << QStringLiteral("żółw").toUtf8() << qsizetype(4) << qsizetype(4);
    // Completed, it would be one character; left as it is, each byte is a replacement.
    QTest::newRow("three bytes of four")
        << QByteArray("ab\xf0\x9f\x98") << qsizetype(2) << qsizetype(5);
    QTest::newRow("one byte of two") << QByteArray("a\xc5") << qsizetype(1) << qsizetype(2);
}

void DecodedLengthTest::settledCountLeavesOutASequenceUnderWay()
{
    QFETCH(QByteArray, bytes);
    QFETCH(qsizetype, settled);
    QFETCH(qsizetype, total);
    DecodedLength length(QStringConverter::Utf8);

    length.add(bytes);

    QCOMPARE(length.settled(), settled);
    QCOMPARE(length.total(), total);
}

QTEST_APPLESS_MAIN(DecodedLengthTest)
#include "tst_decodedlength.moc"
