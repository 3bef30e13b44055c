// SPDX-License-Identifier: GPL-3.0-or-later
#include "clipboard/SystemClipboard.h"
#include "common/RuntimeFailure.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <QTest>

// The clipboard as other programs see it: QClipboard is what they share with the program.
class SystemClipboardTest : public QObject
{
    Q_OBJECT

private slots:
    void init() { QGuiApplication::clipboard()->clear(); }

    void setTextGivesPlatformLineEnds_data();
    void setTextGivesPlatformLineEnds();
    void getTextGivesCrLfLineEnds_data();
    void getTextGivesCrLfLineEnds();
    void getTextWithoutTextIsEmpty_data();
    void getTextWithoutTextIsEmpty();
    void getTextRefusesMoreThanTheLimit_data();
    void getTextRefusesMoreThanTheLimit();
    void clearDropsWhatAnotherProgramPut();
    void setTextOfNothingLeavesAnEmptyText();
};

void SystemClipboardTest::setTextGivesPlatformLineEnds_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("offered");

    QTest::newRow("Polish letters pass unchanged")
        << u"Zażółć gęślą jaźń ZAŻÓŁĆ GĘŚLĄ JAŹŃ"_qs << u"Zażółć gęślą jaźń ZAŻÓŁĆ GĘŚLĄ JAŹŃ"_qs;
#ifdef Q_OS_WIN
    QTest::newRow("CR LF pairs stay") << u"a\r\nb\r\n"_qs << u"a\r\nb\r\n"_qs;
#else
    QTest::newRow("CR LF pairs become LF") << u"a\r\nb\r\n"_qs << u"a\nb\n"_qs;
    QTest::newRow("empty lines keep their breaks") << u"\r\n\r\nx\r\n\r\n"_qs << u"\n\nx\n\n"_qs;
    QTest::newRow("CR before a CR LF stays") << u"a\r\r\nb"_qs << u"a\r\nb"_qs;
#endif
    QTest::newRow("lone CR and lone LF stay") << u"a\rb\nc"_qs << u"a\rb\nc"_qs;
    QTest::newRow("characters beyond Windows-1250 pass")
        << u"€ ∑ 日本 \U0001F600"_qs << u"€ ∑ 日本 \U0001F600"_qs;
}

void SystemClipboardTest::setTextGivesPlatformLineEnds()
{
    QFETCH(QString, text);
    QFETCH(QString, offered);

    Clipboard().SetText(text);

    QCOMPARE(QGuiApplication::clipboard()->text(), offered);
}

void SystemClipboardTest::getTextGivesCrLfLineEnds_data()
{
    QTest::addColumn<QString>("offered");
    QTest::addColumn<QString>("text");

    QTest::newRow("Polish letters pass unchanged") << u"źdźbło Łódź"_qs << u"źdźbło Łódź"_qs;
    QTest::newRow("LF becomes CR LF") << u"a\nb\n"_qs << u"a\r\nb\r\n"_qs;
    QTest::newRow("lone CR becomes CR LF") << u"a\rb\r"_qs << u"a\r\nb\r\n"_qs;
    QTest::newRow("CR LF stays one break") << u"a\r\nb"_qs << u"a\r\nb"_qs;
    QTest::newRow("CR then CR LF are two breaks") << u"a\r\r\nb"_qs << u"a\r\n\r\nb"_qs;
    QTest::newRow("LF then CR are two breaks") << u"a\n\rb"_qs << u"a\r\n\r\nb"_qs;
    QTest::newRow("all three kinds mixed") << u"1\r2\n3\r\n4"_qs << u"1\r\n2\r\n3\r\n4"_qs;
    QTest::newRow("only line ends") << u"\n\r\r\n"_qs << u"\r\n\r\n\r\n"_qs;
}

void SystemClipboardTest::getTextGivesCrLfLineEnds()
{
    QFETCH(QString, offered);
    QFETCH(QString, text);

    QGuiApplication::clipboard()->setText(offered);

    QCOMPARE(Clipboard().GetText(1000), text);
}

void SystemClipboardTest::getTextWithoutTextIsEmpty_data()
{
    QTest::addColumn<QString>("format");

    QTest::newRow("nothing on the clipboard") << QString();
    QTest::newRow("only a picture") << u"image"_qs;
    QTest::newRow("only HTML") << u"text/html"_qs;
}

void SystemClipboardTest::getTextWithoutTextIsEmpty()
{
    QFETCH(QString, format);

    if (format == u"image") {
        QImage picture(4, 4, QImage::Format_RGB32);
        picture.fill(Qt::red);
        QGuiApplication::clipboard()->setImage(picture);
    } else if (!format.isEmpty()) {
        auto *data = new QMimeData;
        data->setData(format, QByteArrayLiteral("<b>pogrubione</b>"));
        QGuiApplication::clipboard()->setMimeData(data);
    }

    const QString text = Clipboard().GetText(1000);
    QVERIFY(text.isEmpty());
}

void SystemClipboardTest::getTextRefusesMoreThanTheLimit_data()
{
    QTest::addColumn<QString>("offered");
    QTest::addColumn<qsizetype>("characterLimit");
    QTest::addColumn<bool>("refused");

    QTest::newRow("at the limit") << u"źdźbło"_qs << qsizetype(6) << false;
    QTest::newRow("one over the limit") << u"źdźbło"_qs << qsizetype(5) << true;
    // The limit counts what was offered: line ends grow only afterwards.
    QTest::newRow("LF line ends at the limit") << u"a\nb\n"_qs << qsizetype(4) << false;
    QTest::newRow("empty under a limit of none") << QString() << qsizetype(0) << false;
}

void SystemClipboardTest::getTextRefusesMoreThanTheLimit()
{
    QFETCH(QString, offered);
    QFETCH(qsizetype, characterLimit);
    QFETCH(bool, refused);
    QGuiApplication::clipboard()->setText(offered);

    try {
        const QString text = Clipboard().GetText(characterLimit);
        QVERIFY2(!refused, qPrintable(text));
    } catch (const RuntimeFailure &failure) {
        QVERIFY2(refused, qPrintable(failure.description()));
        QCOMPARE(failure.number(), int(RuntimeFailure::OutOfMemory));
        QVERIFY2(failure.description().contains(
                     u"ma %1 znaków"_qs.arg(QLocale().toString(offered.size()))),
                 qPrintable(failure.description()));
        QVERIFY2(failure.description().contains(QLocale().toString(characterLimit)),
                 qPrintable(failure.description()));
    }
}

void SystemClipboardTest::clearDropsWhatAnotherProgramPut()
{
    QGuiApplication::clipboard()->setText(u"tekst innego programu"_qs);

    Clipboard().Clear();

    QVERIFY(QGuiApplication::clipboard()->text().isEmpty());
    const QMimeData *data = QGuiApplication::clipboard()->mimeData();
    QVERIFY(!data || data->formats().isEmpty());
}

void SystemClipboardTest::setTextOfNothingLeavesAnEmptyText()
{
    QGuiApplication::clipboard()->setText(u"stary tekst"_qs);

    Clipboard().SetText(QString());

    QVERIFY(QGuiApplication::clipboard()->text().isEmpty());
}

QTEST_MAIN(SystemClipboardTest)
#include "tst_systemclipboard.moc"
