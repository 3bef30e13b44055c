// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "textarea/TextArea.h"

#include <QString>

#include <cstdlib>

// The text area reduced to its text, for programs that read and save notes without a window: the
// read and save operations use nothing else of it, and any other use stops the program at once.
class PlainTextArea : public TextArea
{
public:
    explicit PlainTextArea(QString text = {})
        : m_text(std::move(text))
    {}
    QString Text() const override { return m_text; }
    void SetText(const QString &text) override { m_text = text; }
    void SetSelStart(int) override { std::abort(); }
    void SetSelLength(int) override { std::abort(); }
    QString SelText() const override { std::abort(); }
    void SetSelText(const QString &) override { std::abort(); }
    void SetEnabled(bool) override { std::abort(); }
    FontObject &Font() override { std::abort(); }
    void SetFontStrikethru(bool) override { std::abort(); }
    void SetForeColor(OleColor) override { std::abort(); }
    void SetFocus() override { std::abort(); }

private:
    QString m_text;
};
