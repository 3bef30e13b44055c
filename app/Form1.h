#pragma once

#include "app/FormBuilder.h"
#include "platform/CommonDialog.h"
#include "platform/WorkingFolder.h"

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

private:
    // Declared before the controls, which are looked up in it.
    const FormBuilder::Controls m_controls;
    std::unique_ptr<FailureReporter> m_failureReporter;
    // The folder the window was opened in, where notes.txt is read and notes3.txt saved for
    // the window's whole life, even when it is renamed meanwhile.
    const WorkingFolder m_startingFolder = WorkingFolder::current();

    template<typename Control>
    Control *control(const char *name) const;
    void wireClicks();

public:
    TextBox *const Text1;
    CheckBox *const Check1;
    CheckBox *const Check2;
    CheckBox *const Check3;
    CheckBox *const Check4;
    CheckBox *const Check5;
    CommandButton *const Command1;
    CommandButton *const Command2;
    CommandButton *const Command3;
    CommandButton *const Command4;
    CommandButton *const Command5;
    CommandButton *const Command6;
    QGroupBox *const Frame1;
    QGroupBox *const Frame2;
    QRadioButton *const Option1;
    QRadioButton *const Option2;
    QRadioButton *const Option3;
    QRadioButton *const Option4;
    QRadioButton *const Option5;
    CommonDialog CommonDialog1;
};
