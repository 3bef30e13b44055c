// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <optional>

class QWidget;

// What the user can choose in the font dialog: face, size and style. Underline, strikethrough
// and colour are deliberately not part of it, so no dialog can hand them back.
struct FontChoice
{
    // Empty when no face is chosen yet.
    QString name;
    float size = 8;
    bool bold = false;
    bool italic = false;

    bool operator==(const FontChoice &) const = default;
};

// Shows a modal font dialog that opens on a given choice. Tests put a scripted picker in place of
// the real dialog, so that they can confirm, cancel or fail without a modal loop.
class FontPicker
{
public:
    virtual ~FontPicker() = default;

    // The confirmed choice, or nothing when the user cancelled. Throws RuntimeFailure when the
    // dialog cannot be shown.
    virtual std::optional<FontChoice> pick(const FontChoice &start, QWidget *parent) = 0;
};
