// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "common/RuntimeFailure.h"
#include "style/FontPicker.h"

#include <QList>

// Answers in place of the user: confirms a choice, cancels, or fails to show, and remembers what
// each dialog opened on.
class ScriptedFontPicker : public FontPicker
{
public:
    enum class Answer { Confirm, Cancel, Fail };

    struct Script
    {
        Answer answer = Answer::Cancel;
        FontChoice confirmed;
        QList<FontChoice> starts;
    };

    explicit ScriptedFontPicker(Script &script)
        : m_script(script)
    {}

    std::optional<FontChoice> pick(const FontChoice &start, QWidget *) override
    {
        m_script.starts << start;
        switch (m_script.answer) {
        case Answer::Confirm:
            return m_script.confirmed;
        case Answer::Cancel:
            return std::nullopt;
        case Answer::Fail:
            break;
        }
        throw RuntimeFailure(RuntimeFailure::OutOfMemory, QStringLiteral("brak pamięci"));
    }

private:
    Script &m_script;
};
