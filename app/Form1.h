// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "files/WorkingFolder.h"
#include "style/CommonDialog.h"

#include <QWidget>

#include <memory>

class CheckBox;
class CommandButton;
class FailureReporter;
class QGroupBox;
class QRadioButton;
class TextBox;

// The program's only window. Its controls are its whole state; each of eleven clicks runs one
// operation, and a failure that leaves an operation is reported to the user.
class Form1 : public QWidget
{
    Q_OBJECT

public:
    explicit Form1(QWidget *parent = nullptr);
    ~Form1() override;

    void setFailureReporter(std::unique_ptr<FailureReporter> reporter);

    void SyncEditable();
    void SyncBold();
    void SyncItalic();
    void SyncUnderline();
    void SyncStrikethrough();
    void ChooseFont();
    void ReadNotes();
    void SaveNotes();
    void SelectAllText();
    void CopySelection();
    void PasteClipboard();

    // Built from the window's design when the window is made, and owned by it.
    TextBox *Text1 = nullptr;
    CheckBox *Check1 = nullptr;
    CheckBox *Check2 = nullptr;
    CheckBox *Check3 = nullptr;
    CheckBox *Check4 = nullptr;
    CheckBox *Check5 = nullptr;
    CommandButton *Command1 = nullptr;
    CommandButton *Command2 = nullptr;
    CommandButton *Command3 = nullptr;
    CommandButton *Command4 = nullptr;
    CommandButton *Command5 = nullptr;
    CommandButton *Command6 = nullptr;
    QGroupBox *Frame1 = nullptr;
    QGroupBox *Frame2 = nullptr;
    QRadioButton *Option1 = nullptr;
    QRadioButton *Option2 = nullptr;
    QRadioButton *Option3 = nullptr;
    QRadioButton *Option4 = nullptr;
    QRadioButton *Option5 = nullptr;
    CommonDialog CommonDialog1;

private:
    void wireClicks();

    std::unique_ptr<FailureReporter> m_failureReporter;
    // The folder the window was opened in, where notes.txt is read and notes3.txt saved for
    // the window's whole life, even when it is renamed meanwhile.
    const WorkingFolder m_startingFolder = WorkingFolder::current();
};
