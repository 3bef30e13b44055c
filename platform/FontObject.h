#pragma once

#include <QString>

// The font of a whole text area. Each write changes that one attribute of all the text at once,
// text typed later included, and leaves the other attributes alone.
class FontObject
{
public:
    virtual ~FontObject() = default;

    virtual QString Name() const = 0;
    virtual float Size() const = 0;
    virtual bool Bold() const = 0;
    virtual bool Italic() const = 0;
    virtual bool Underline() const = 0;
    virtual bool Strikethrough() const = 0;

    virtual void SetName(const QString &name) = 0;
    virtual void SetSize(float points) = 0;
    virtual void SetBold(bool on) = 0;
    virtual void SetItalic(bool on) = 0;
    virtual void SetUnderline(bool on) = 0;
    virtual void SetStrikethrough(bool on) = 0;
};
