#pragma once

#include "app/FailureReporter.h"
#include "platform/RuntimeFailure.h"

#include <QStringList>

// Keeps what the window would have shown, instead of a modal box nobody closes.
class CapturingReporter : public FailureReporter
{
public:
    explicit CapturingReporter(QStringList &messages)
        : m_messages(messages)
    {}

    void report(QWidget *, const RuntimeFailure &failure) override
    {
        m_messages += failure.description();
    }

private:
    QStringList &m_messages;
};
