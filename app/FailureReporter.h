// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QCoreApplication>

class QWidget;
class RuntimeFailure;

// Tells the user that an operation failed. The window shows a modal warning; tests put their own
// reporter in its place to read the message without a modal loop.
class FailureReporter
{
public:
    virtual ~FailureReporter() = default;

    virtual void report(QWidget *window, const RuntimeFailure &failure) = 0;
};

class MessageBoxReporter : public FailureReporter
{
    Q_DECLARE_TR_FUNCTIONS(MessageBoxReporter)

public:
    void report(QWidget *window, const RuntimeFailure &failure) override;
};
