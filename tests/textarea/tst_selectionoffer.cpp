// SPDX-License-Identifier: GPL-3.0-or-later
#include "textarea/SelectionOffer.h"
#include "textarea/TextBox.h"

#include <QApplication>
#include <QClipboard>
#include <QTest>

#include <memory>

// The selection as other programs get it: the X11 primary selection is offered on every change of
// the selection, so the text is converted only when asked for, and never from an edited document.
class SelectionOfferTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void offersTheSelectionAsItWasMade_data();
    void offersTheSelectionAsItWasMade();
    void offersNothingOnceTheAreaIsGone();

private:
    std::unique_ptr<TextBox> m_area;
};

namespace {

enum class Before { Nothing, PutOnPrimary };
enum class After { Nothing, TypeOverSelection, TypeAtTheEnd, SetText, Undo };

} // namespace

void SelectionOfferTest::init()
{
    QApplication::clipboard()->clear();
    m_area = std::make_unique<TextBox>();
}

void SelectionOfferTest::cleanup()
{
    QApplication::clipboard()->clear();
    m_area.reset();
}

void SelectionOfferTest::offersTheSelectionAsItWasMade_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("length");
    QTest::addColumn<int>("before");
    QTest::addColumn<int>("after");
    QTest::addColumn<QString>("offered");

    const QString text = u"Zażółć\r\ngęślą\rjaźń\nŁódź"_qs;
    QTest::newRow("untouched: the selection, platform line ends")
        << text << 2 << 14 << int(Before::Nothing) << int(After::Nothing) << u"żółć\ngęślą\rja"_qs;
    QTest::newRow("untouched: a lone LF stays")
        << text << 16 << 5 << int(Before::Nothing) << int(After::Nothing) << u"źń\nŁó"_qs;
    QTest::newRow("typed over: nothing")
        << text << 2 << 4 << int(Before::Nothing) << int(After::TypeOverSelection) << QString();
    QTest::newRow("typed elsewhere: nothing")
        << text << 2 << 4 << int(Before::Nothing) << int(After::TypeAtTheEnd) << QString();
    QTest::newRow("whole text replaced: nothing")
        << text << 0 << 6 << int(Before::Nothing) << int(After::SetText) << QString();
    QTest::newRow("undone: nothing")
        << text << 0 << 8 << int(Before::Nothing) << int(After::Undo) << QString();
    QTest::newRow("primary only, then typed over: nothing")
        << text << 0 << 8 << int(Before::PutOnPrimary) << int(After::TypeOverSelection)
        << QString();
}

void SelectionOfferTest::offersTheSelectionAsItWasMade()
{
    QFETCH(QString, text);
    QFETCH(int, start);
    QFETCH(int, length);
    QFETCH(int, before);
    QFETCH(int, after);
    QFETCH(QString, offered);
    m_area->setInitialText(u"poprzedni"_qs);
    m_area->SetText(text);
    m_area->SetSelStart(start);
    m_area->SetSelLength(length);
    auto data = std::make_unique<SelectionOffer>(*m_area, m_area->selectionStart(),
                                                 m_area->selectionEnd());
    SelectionOffer *const offer = data.get();

    switch (Before(before)) {
    case Before::Nothing:
        break;
    case Before::PutOnPrimary:
        // Where the platform has no primary selection, the offer is only kept and asked later.
        if (QApplication::clipboard()->supportsSelection())
            QApplication::clipboard()->setMimeData(data.release(), QClipboard::Selection);
        break;
    }
    switch (After(after)) {
    case After::Nothing:
        break;
    case After::TypeOverSelection:
        m_area->SetSelText(u"nowy"_qs);
        break;
    case After::TypeAtTheEnd: {
        m_area->SetSelStart(int(m_area->Text().size()));
        m_area->SetSelText(u"!"_qs);
        break;
    }
    case After::SetText:
        m_area->SetText(u"inny tekst"_qs);
        break;
    case After::Undo:
        m_area->undo();
        break;
    }

    if (offered.isNull()) {
        QVERIFY(!offer->hasText());
        QVERIFY(offer->formats().isEmpty());
        QVERIFY(offer->data(u"text/plain"_qs).isEmpty());
    } else {
        QVERIFY(offer->hasText());
        QCOMPARE(offer->text(), offered);
        QCOMPARE(offer->data(u"text/plain"_qs), offered.toUtf8());
    }
}

void SelectionOfferTest::offersNothingOnceTheAreaIsGone()
{
    m_area->SetText(u"ulotny"_qs);
    SelectionOffer offer(*m_area, 0, 3);
    m_area.reset();
    QVERIFY(!offer.hasText());
    QVERIFY(offer.text().isEmpty());
}

QTEST_MAIN(SelectionOfferTest)
#include "tst_selectionoffer.moc"
