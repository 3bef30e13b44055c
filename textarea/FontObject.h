// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// The font of a whole text area. Each write changes that one attribute of all the text at once,
// text typed later included, and leaves the other attributes alone. The operations only write
// it; what the area shows is read from the widget's own font.
class FontObject
{
public:
    virtual ~FontObject() = default;

    virtual void SetName(const QString &name) = 0;
    virtual void SetSize(float points) = 0;
    virtual void SetBold(bool on) = 0;
    virtual void SetItalic(bool on) = 0;
    virtual void SetUnderline(bool on) = 0;
    virtual void SetStrikethrough(bool on) = 0;
};
