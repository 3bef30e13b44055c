// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "textarea/AreaFont.h"
#include "textarea/TextArea.h"
#include "textarea/WholeTextUndo.h"

#include <QPlainTextEdit>

// The text area on a QPlainTextEdit: no wrapping, both scroll bars always shown (scroll bars
// that come and go make Qt lay a large text out twice), and Tab moves the focus on.
//
// Disabled, it still reads well: the style's muted text colour is darkened just enough to be
// readable on the muted background, and assistive technology is told the area is read-only.
//
// The contract's members keep their design names (Text, SetFocus, ...) next to Qt's own
// (toPlainText, setFocus, ...): the operations use only the contract.
class TextBox
    : public QPlainTextEdit
    , public TextArea
{
    Q_OBJECT

public:
    explicit TextBox(QWidget *parent = nullptr);

    QString Text() const override;
    void SetText(const QString &text) override;
    void SetSelStart(int start) override;
    void SetSelLength(int length) override;
    QString SelText() const override;
    void SetSelText(const QString &text) override;
    void SetEnabled(bool enabled) override;
    FontObject &Font() override;
    void SetFontStrikethru(bool on) override;
    void SetForeColor(OleColor color) override;
    void SetFocus() override;

    // The text the area starts with, which Undo does not take away.
    void setInitialText(const QString &text);

    // Undo and Redo, the keys' and the context menu's: the document's own steps, and beyond them
    // the latest replacement of the whole text. They hide QPlainTextEdit's slots of these names.
    void undo();
    void redo();
    bool canUndo() const;
    bool canRedo() const;

protected:
    void changeEvent(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    QMimeData *createMimeDataFromSelection() const override;
    void insertFromMimeData(const QMimeData *source) override;

private:
    void nameInnerParts();
    void makeDisabledLookReadable();
    void keepLongLinesShaped();

    // An edit this large (in characters, removed or inserted) replaces the whole text.
    static constexpr qsizetype LargeEdit = qsizetype(1) << 20;

    AreaFont m_font;
    WholeTextUndo m_wholeText;
    // Inside a mouse move, where a drag of the selection may start.
    bool m_dragMayStart = false;
};
