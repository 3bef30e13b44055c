#pragma once

#include "text/FontObject.h"

class QFont;
class QWidget;

// The font object of a text area: each write changes one attribute of the widget's font, and so
// of the whole text, text typed later included.
class AreaFont : public FontObject
{
public:
    explicit AreaFont(QWidget &area);

    QString Name() const override;
    float Size() const override;
    bool Bold() const override;
    bool Italic() const override;
    bool Underline() const override;
    bool Strikethrough() const override;

    void SetName(const QString &name) override;
    void SetSize(float points) override;
    void SetBold(bool on) override;
    void SetItalic(bool on) override;
    void SetUnderline(bool on) override;
    void SetStrikethrough(bool on) override;

private:
    QFont font() const;
    template<typename Change>
    void change(Change change);

    QWidget &m_area;
};
