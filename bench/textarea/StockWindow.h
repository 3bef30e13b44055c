// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "bench/textarea/EditorWindow.h"
#include "notes/Windows1250.h"
#include "tests/support/Windows1250Text.h"

#include <QFile>
#include <QPlainTextEdit>
#include <QSaveFile>
#include <QTextCursor>
#include <QTextDocument>

// The stock widget's floor: a bare window with a QPlainTextEdit set up as notatki's text area
// is (no wrapping, both scroll bars always shown) and of its size, doing the same work with the
// toolkit alone: one setPlainText of the decoded notes.txt; toPlainText, encoded, one QSaveFile.
class StockWindow : public EditorWindow
{
public:
    StockWindow()
    {
        // notatki's window and text area at 96 dots per inch.
        m_window.resize(401, 422);
        m_edit.setGeometry(8, 8, 257, 409);
        m_edit.setLineWrapMode(QPlainTextEdit::NoWrap);
        m_edit.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        m_edit.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        m_edit.setPlainText(QStringLiteral("Text1"));
    }

    QWidget &window() override { return m_window; }
    QAbstractScrollArea &area() override { return m_edit; }
    QString text() const override { return m_edit.toPlainText(); }
    qsizetype textLength() const override { return m_edit.document()->characterCount() - 1; }
    qsizetype caretPosition() const override { return m_edit.textCursor().position(); }
    qreal caretX(qsizetype position) const override
    {
        QTextCursor cursor(m_edit.document());
        cursor.setPosition(int(position));
        return m_edit.cursorRect(cursor).x();
    }

    void read() override
    {
        QFile notes(QStringLiteral("notes.txt"));
        if (notes.open(QIODevice::ReadOnly))
            m_edit.setPlainText(windows1250Text(notes.readAll()));
    }

    void save() override
    {
        QSaveFile notes3(QStringLiteral("notes3.txt"));
        if (notes3.open(QIODevice::WriteOnly)) {
            notes3.write(Windows1250::encode(m_edit.toPlainText()).bytes);
            notes3.commit();
        }
    }

    bool clickPaste() override { return false; }
    QStringList messages() const override { return {}; }

private:
    QWidget m_window;
    QPlainTextEdit m_edit{&m_window};
};
