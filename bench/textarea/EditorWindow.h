// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

class QAbstractScrollArea;
class QWidget;

// A window with a text area, as the measurements drive it: notatki's own window, or the stock
// widget's floor doing the same work with nothing of notatki.
class EditorWindow
{
public:
    virtual ~EditorWindow() = default;

    virtual QWidget &window() = 0;
    // The text area, which takes the keys; clicks go to its viewport.
    virtual QAbstractScrollArea &area() = 0;
    virtual QString text() const = 0;
    // The text's length, without asking for the text: joining it may cost what is measured.
    virtual qsizetype textLength() const = 0;
    virtual qsizetype caretPosition() const = 0;
    // The x, in the viewport, of a caret before the character at position.
    virtual qreal caretX(qsizetype position) const = 0;

    // Reads notes.txt of the current folder into the area.
    virtual void read() = 0;
    // Saves the area's text as notes3.txt in the current folder.
    virtual void save() = 0;
    // Clicks "Wklej"; false for a window that has no such button.
    virtual bool clickPaste() = 0;
    // The failure messages the window has shown so far.
    virtual QStringList messages() const = 0;
};
