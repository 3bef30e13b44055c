// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ClickDelivery.h"
#include "app/FailureReporter.h"
#include "app/Form1.h"
#include "common/RuntimeFailure.h"
#include "startup/Startup.h"
#include "tests/support/CapturingReporter.h"
#include "tests/support/ModalDialogs.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

#include <new>

// A failure that leaves an operation reaches the user, and the program goes on.
class ClickDeliveryTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void failuresReachTheReporter_data();
    void failuresReachTheReporter();
    void warningBoxIsModalPolishAndOverTheWindow();
    void standardButtonsSpeakPolish();
};

void ClickDeliveryTest::initTestCase()
{
    Startup::speakPolish(*qApp);
}

void ClickDeliveryTest::failuresReachTheReporter_data()
{
    QTest::addColumn<int>("thrown");
    QTest::addColumn<int>("reportedNumber");

    QTest::newRow("no failure") << 0 << -1;
    QTest::newRow("runtime failure") << 1 << int(RuntimeFailure::FileNotFound);
    QTest::newRow("out of memory") << 2 << int(RuntimeFailure::OutOfMemory);
}

void ClickDeliveryTest::failuresReachTheReporter()
{
    QFETCH(int, thrown);
    QFETCH(int, reportedNumber);

    QWidget window;
    QList<RuntimeFailure> failures;
    CapturingReporter reporter(failures);
    bool stepAfterFailureRan = false;
    ClickDelivery::deliver(
        [&] {
            if (thrown == 1)
                throw RuntimeFailure(RuntimeFailure::FileNotFound, QStringLiteral("Nie ma pliku."));
            if (thrown == 2)
                throw std::bad_alloc();
            stepAfterFailureRan = true;
        },
        &window, reporter);

    QCOMPARE(stepAfterFailureRan, thrown == 0);
    if (reportedNumber < 0) {
        QVERIFY(failures.isEmpty());
        return;
    }
    QCOMPARE(failures.size(), 1);
    QCOMPARE(reporter.lastWindow, &window);
    QCOMPARE(failures.first().number(), reportedNumber);
    QVERIFY(!failures.first().description().isEmpty());
}

void ClickDeliveryTest::warningBoxIsModalPolishAndOverTheWindow()
{
    Form1 form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));

    QString text;
    QString buttonText;
    QWidget *boxParent = nullptr;
    bool ran = false;
    whenDialogOpens(
        [&](QDialog &dialog) {
            auto *box = qobject_cast<QMessageBox *>(&dialog);
            if (!box)
                return;
            text = box->text();
            buttonText = box->buttons().value(0)->text();
            boxParent = box->parentWidget();
            box->accept();
        },
        ran);
    MessageBoxReporter().report(&form, RuntimeFailure(RuntimeFailure::PathFileAccessError,
                                                      QStringLiteral("Błąd dostępu.")));

    QVERIFY2(ran, "no modal warning box showed");
    QCOMPARE(text, QStringLiteral("Błąd dostępu."));
    QCOMPARE(boxParent, &form);
    QCOMPARE(buttonText.remove(u'&'), QStringLiteral("OK"));
}

void ClickDeliveryTest::standardButtonsSpeakPolish()
{
    const QDialogButtonBox buttons(QDialogButtonBox::Cancel | QDialogButtonBox::Close);
    QCOMPARE(buttons.button(QDialogButtonBox::Cancel)->text().remove(u'&'),
             QStringLiteral("Anuluj"));
    QCOMPARE(buttons.button(QDialogButtonBox::Close)->text().remove(u'&'),
             QStringLiteral("Zamknij"));
}

QTEST_MAIN(ClickDeliveryTest)
#include "tst_clickdelivery.moc"
