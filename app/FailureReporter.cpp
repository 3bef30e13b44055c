#include "app/FailureReporter.h"

#include "platform/RuntimeFailure.h"

#include <QCoreApplication>
#include <QMessageBox>

void MessageBoxReporter::report(QWidget *window, const RuntimeFailure &failure)
{
    QMessageBox box(QMessageBox::Warning, QCoreApplication::translate("Form1", "Notatki"),
                    failure.description(), QMessageBox::Ok, window);
    box.setInformativeText(
        QCoreApplication::translate("Form1", "Kod błędu: %1").arg(failure.number()));
    box.exec();
}
