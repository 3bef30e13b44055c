// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/Form1.h"
#include "bench/textarea/EditorWindow.h"
#include "controls/CommandButton.h"
#include "tests/support/CapturingReporter.h"
#include "textarea/TextBox.h"

#include <QTest>

// notatki's window, driven by clicks on its buttons. Its failure messages are kept instead of
// being shown in a modal box.
class NotatkiWindow : public EditorWindow
{
public:
    NotatkiWindow() { m_form.setFailureReporter(std::make_unique<CapturingReporter>(m_failures)); }

    QWidget &window() override { return m_form; }
    QAbstractScrollArea &area() override { return *m_form.Text1; }
    QString text() const override { return m_form.Text1->Text(); }
    qsizetype textLength() const override { return m_form.Text1->buffer().size(); }
    qsizetype caretPosition() const override { return m_form.Text1->caretPosition(); }
    qreal caretX(qsizetype position) const override
    {
        return m_form.Text1->characterRect(position).left();
    }

    void read() override { QTest::mouseClick(m_form.Command2, Qt::LeftButton); }
    void save() override { QTest::mouseClick(m_form.Command3, Qt::LeftButton); }
    bool clickPaste() override
    {
        QTest::mouseClick(m_form.Command6, Qt::LeftButton);
        return true;
    }

    QStringList messages() const override
    {
        QStringList descriptions;
        for (const RuntimeFailure &failure : m_failures)
            descriptions.append(failure.description());
        return descriptions;
    }

private:
    // Outlives the window, whose reporter appends to it.
    QList<RuntimeFailure> m_failures;
    Form1 m_form;
};
