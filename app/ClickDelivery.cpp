// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ClickDelivery.h"

#include "app/FailureReporter.h"
#include "common/RuntimeFailure.h"

#include <new>

void ClickDelivery::deliver(const std::function<void()> &operation, QWidget *window,
                            FailureReporter &reporter)
{
    try {
        operation();
    } catch (const RuntimeFailure &failure) {
        reporter.report(window, failure);
    } catch (const std::bad_alloc &) {
        reporter.report(window, RuntimeFailure(RuntimeFailure::OutOfMemory,
                                               tr("Za mało pamięci, aby to wykonać.")));
    }
}
