// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Lines of text that need shaping, bidi, font fallback or special drawing, each named after what
// it tries: the texts the text area is compared on with QPlainTextEdit, which showed them right.
// Line breaks are QPlainTextEdit's \n; none of the texts holds one.

#include <QChar>
#include <QFont>
#include <QFontDatabase>
#include <QFontInfo>
#include <QList>
#include <QString>
#include <QTest>

// The font the texts are compared in; fallback fonts draw what it has no glyphs for.
inline QFont scriptFont()
{
    return QFont(u"Noto Sans"_qs, 12);
}

// Why the texts cannot be compared here, or nothing when they can: without the fonts neither
// widget has glyphs for the scripts, and a comparison would prove nothing.
inline QString missingScriptFonts()
{
    QStringList missing;
    if (QFontInfo(scriptFont()).family() != scriptFont().family())
        missing << scriptFont().family();
    const QStringList families = QFontDatabase::families();
    for (const char *fallback :
         {"Noto Sans Arabic", "Noto Sans Hebrew", "Noto Sans Devanagari", "Noto Color Emoji"}) {
        if (!families.contains(QLatin1String(fallback)))
            missing << QLatin1String(fallback);
    }
    if (missing.isEmpty())
        return {};
    return u"the fonts %1 are missing (Debian: fonts-noto-core, fonts-noto-color-emoji)"_qs.arg(
        missing.join(u", "_qs));
}

struct ScriptText
{
    const char *name;
    QString text;
};

inline QList<ScriptText> scriptTexts()
{
    const QString loneSurrogate = u"ab"_qs + QChar(0xD83D) + u"cd"_qs;
    return {
        {"Arabic", u"مرحبا بالعالم"_qs},
        {"Hebrew", u"שלום עולם"_qs},
        {"Hebrew between Latin", u"abc שלום def"_qs},
        {"Arabic and digits between Latin", u"Zapisz مرحبا 12 notatki"_qs},
        {"family emoji joined by ZWJ", u"a 👨\u200D👩\u200D👧 b"_qs},
        {"flag", u"a 🇵🇱 b"_qs},
        {"keycap", u"a 1\uFE0F\u20E3 b"_qs},
        {"Devanagari", u"नमस्ते"_qs},
        {"soft hyphen mid-line", u"samo\u00ADchód jedzie"_qs},
        {"ligatures and kerning", u"office ffi AV To"_qs},
        {"tabs between letters", u"a\tb\tc"_qs},
        {"leading tab", u"\tx"_qs},
        {"zero-width space", u"ab\u200Bcd"_qs},
        {"zero-width no-break space", u"ab\uFEFFcd"_qs},
        {"zero-width joiner between letters", u"ab\u200Dcd"_qs},
        {"decomposed Polish",
         u"Zaz\u0307o\u0301\u0142c\u0301 ge\u0328s\u0301la\u0328 jaz\u0301n\u0301"_qs},
        {"precomposed Polish", u"Zażółć gęślą jaźń"_qs},
        {"lone surrogate", loneSurrogate},
        {"several on one line", u"Zapisz שלום 👨\u200D👩\u200D👧 🇵🇱 o\u0301\u00ADffi\tمرحبا x"_qs},
    };
}

// One line of at least length characters made of the texts above, in turn, between words of
// Latin: the paragraph runs left to right and no cluster is cut.
inline QString scriptTextLine(qsizetype length)
{
    const QList<ScriptText> texts = scriptTexts();
    QString line;
    for (qsizetype next = 0; line.size() < length; ++next)
        line += u"Notatki "_qs + texts.at(next % texts.size()).text + u' ';
    return line;
}

// A data row of column "text" for each of the texts.
inline void addScriptTextRows()
{
    QTest::addColumn<QString>("text");
    for (const ScriptText &row : scriptTexts())
        QTest::newRow(row.name) << row.text;
}
