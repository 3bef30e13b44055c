// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "style/FontPicker.h"

#include <QCoreApplication>
#include <QDialog>

class QComboBox;
class QDialogButtonBox;
class QFontComboBox;
class QLabel;

// The font dialog: every font family of the system, a style (bold, italic) and a size in points.
//
// Built from QFontComboBox rather than QFontDialog, which always shows an Effects group with
// underline and strikeout; here those cannot be chosen, so the dialog has no such controls at all.
class FontDialog : public QDialog
{
    Q_OBJECT

public:
    explicit FontDialog(const FontChoice &start, QWidget *parent = nullptr);

    // What the dialog shows now. OK is enabled only while a face is picked and the size is valid.
    FontChoice choice() const;

private:
    enum Style { Regular, Italic, Bold, BoldItalic };

    void nameForAssistiveTechnology();
    void setChoice(const FontChoice &choice);
    std::optional<float> size() const;
    void updateSample();
    void updateOkButton();

    QFontComboBox *m_family;
    QComboBox *m_style;
    QComboBox *m_size;
    QLabel *m_sample;
    QDialogButtonBox *m_buttons;
};

// The real dialog, shown modally with exec().
class FontDialogPicker : public FontPicker
{
    Q_DECLARE_TR_FUNCTIONS(FontDialogPicker)

public:
    std::optional<FontChoice> pick(const FontChoice &start, QWidget *parent) override;
};
