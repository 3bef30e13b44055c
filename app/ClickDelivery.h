// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QCoreApplication>

#include <functional>

class FailureReporter;
class QWidget;

// Runs the operation of one click. A failure that leaves the operation is shown to the user and
// the program goes on: ending it here would lose the text in the window.
class ClickDelivery
{
    Q_DECLARE_TR_FUNCTIONS(ClickDelivery)

public:
    static void deliver(const std::function<void()> &operation, QWidget *window,
                        FailureReporter &reporter);
};
