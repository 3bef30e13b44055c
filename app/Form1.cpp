// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/Form1.h"

#include "app/ClickDelivery.h"
#include "app/FailureReporter.h"
#include "app/Form1Design.h"
#include "app/FormBuilder.h"
#include "clipboard/Selection.h"
#include "common/RuntimeFailure.h"
#include "controls/CheckBox.h"
#include "controls/CommandButton.h"
#include "notes/Notes.h"
#include "style/FontChooser.h"
#include "style/StyleBoxes.h"
#include "textarea/TextBox.h"

#include <QAbstractButton>

Form1::Form1(QWidget *parent)
    : QWidget(parent)
    , m_failureReporter(std::make_unique<MessageBoxReporter>())
{
    setObjectName(QStringLiteral("Form1"));
    FormBuilder::build(*this, Form1Design::Window, Form1Design::Controls);
    wireClicks();
    // A paste or a drop the area refuses is reported as the paste button's failures are.
    connect(Text1, &TextBox::refused, this,
            [this](const RuntimeFailure &failure) { m_failureReporter->report(this, failure); });
    // The first control in the tab order takes the focus when the window shows.
    Check1->setFocus();
}

Form1::~Form1() = default;

void Form1::setFailureReporter(std::unique_ptr<FailureReporter> reporter)
{
    m_failureReporter = std::move(reporter);
}

void Form1::wireClicks()
{
    const std::pair<QAbstractButton *, void (Form1::*)()> clicks[] = {
        {Check1, &Form1::SyncEditable},      {Check2, &Form1::SyncBold},
        {Check3, &Form1::SyncItalic},        {Check4, &Form1::SyncUnderline},
        {Check5, &Form1::SyncStrikethrough}, {Command1, &Form1::ChooseFont},
        {Command2, &Form1::ReadNotes},       {Command3, &Form1::SaveNotes},
        {Command4, &Form1::SelectAllText},   {Command5, &Form1::CopySelection},
        {Command6, &Form1::PasteClipboard},
    };
    for (const auto &[button, operation] : clicks) {
        connect(button, &QAbstractButton::clicked, this, [this, operation = operation] {
            ClickDelivery::deliver([this, operation] { (this->*operation)(); }, this,
                                   *m_failureReporter);
        });
    }
}

void Form1::SyncEditable()
{
    StyleBoxes::SyncEditable(*Check1, *Text1);
}

void Form1::SyncBold()
{
    StyleBoxes::SyncBold(*Check2, *Text1);
}

void Form1::SyncItalic()
{
    StyleBoxes::SyncItalic(*Check3, *Text1);
}

void Form1::SyncUnderline()
{
    StyleBoxes::SyncUnderline(*Check4, *Text1);
}

void Form1::SyncStrikethrough()
{
    StyleBoxes::SyncStrikethrough(*Check5, *Text1);
}

void Form1::ChooseFont()
{
    FontChooser::ChooseFont(CommonDialog1, *Text1);
}

void Form1::ReadNotes()
{
    Notes::ReadNotes(*Text1, m_startingFolder);
}

void Form1::SaveNotes()
{
    Notes::SaveNotes(*Text1, m_startingFolder);
}

void Form1::SelectAllText()
{
    Selection::SelectAllText(*Text1);
}

void Form1::CopySelection()
{
    Selection::CopySelection(*Text1);
}

void Form1::PasteClipboard()
{
    Selection::PasteClipboard(*Text1);
}
