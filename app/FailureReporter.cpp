// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/FailureReporter.h"

#include "common/RuntimeFailure.h"

#include <QMessageBox>

void MessageBoxReporter::report(QWidget *window, const RuntimeFailure &failure)
{
    QMessageBox box(QMessageBox::Warning, tr("Notatki"), failure.description(), QMessageBox::Ok,
                    window);
    box.setInformativeText(tr("Kod błędu: %1").arg(failure.number()));
    box.exec();
}
