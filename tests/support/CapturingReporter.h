// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/FailureReporter.h"
#include "common/RuntimeFailure.h"

#include <QList>

// Keeps what the window would have shown, instead of a modal box nobody closes.
class CapturingReporter : public FailureReporter
{
public:
    explicit CapturingReporter(QList<RuntimeFailure> &failures)
        : m_failures(failures)
    {}

    void report(QWidget *window, const RuntimeFailure &failure) override
    {
        lastWindow = window;
        m_failures.append(failure);
    }

    // The window the latest failure was shown over.
    QWidget *lastWindow = nullptr;

private:
    QList<RuntimeFailure> &m_failures;
};
