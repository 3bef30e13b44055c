// SPDX-License-Identifier: GPL-3.0-or-later
#include "textarea/AreaFont.h"

#include <QFont>
#include <QWidget>

AreaFont::AreaFont(QWidget &area)
    : m_area(area)
{}

template<typename Change>
void AreaFont::change(Change change)
{
    QFont changed = m_area.font();
    change(changed);
    m_area.setFont(changed);
}

void AreaFont::SetName(const QString &name)
{
    change([&name](QFont &font) { font.setFamily(name); });
}

void AreaFont::SetSize(float points)
{
    change([points](QFont &font) { font.setPointSizeF(points); });
}

void AreaFont::SetBold(bool on)
{
    change([on](QFont &font) { font.setBold(on); });
}

void AreaFont::SetItalic(bool on)
{
    change([on](QFont &font) { font.setItalic(on); });
}

void AreaFont::SetUnderline(bool on)
{
    change([on](QFont &font) { font.setUnderline(on); });
}

void AreaFont::SetStrikethrough(bool on)
{
    change([on](QFont &font) { font.setStrikeOut(on); });
}
