// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "textarea/FontObject.h"

class QWidget;

// The font object of a text area: each write changes one attribute of the widget's font, and so
// of the whole text, text typed later included.
class AreaFont : public FontObject
{
public:
    explicit AreaFont(QWidget &area);

    void SetName(const QString &name) override;
    void SetSize(float points) override;
    void SetBold(bool on) override;
    void SetItalic(bool on) override;
    void SetUnderline(bool on) override;
    void SetStrikethrough(bool on) override;

private:
    template<typename Change>
    void change(Change change);

    QWidget &m_area;
};
