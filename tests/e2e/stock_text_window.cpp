// SPDX-License-Identifier: GPL-3.0-or-later
// The stock QPlainTextEdit the text area replaced, alone in a window, for end-to-end tests to
// compare the real window's pictures with.
//
//   stock_text_window --texts
//     prints the scripts' table, a row a line: the name, a tab, the text as Base64 of UTF-8
//     (nothing after the tab for a text UTF-8 cannot carry).
//   stock_text_window --missing-fonts
//     prints why the texts cannot be compared here (the fonts they need are missing), or nothing.
//   stock_text_window WIDTH HEIGHT FAMILY POINTS
//     shows a QPlainTextEdit of that size and font, no wrapping, both scroll bars shown and no
//     caret (it takes no focus), and says "window ID" and "viewport X Y WIDTH HEIGHT" (in the
//     window). Then, for each line of standard input, a text as Base64 of UTF-8, it shows the
//     text from its start and says "shown" once it is painted. It ends at the end of the input.
#include "tests/support/ScriptTexts.h"

#include <QApplication>
#include <QFile>
#include <QPlainTextEdit>
#include <QSocketNotifier>
#include <QTextStream>

#include <cstdio>

namespace {

int printTexts()
{
    QTextStream out(stdout);
    for (const ScriptText &row : scriptTexts()) {
        const QByteArray utf8 = row.text.toUtf8();
        const bool carried = QString::fromUtf8(utf8) == row.text;
        out << row.name << '\t' << (carried ? utf8.toBase64() : QByteArray()) << '\n';
    }
    return 0;
}

void say(const QString &line)
{
    std::fputs(qPrintable(line + u'\n'), stdout);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() == 2 && arguments.at(1) == u"--texts")
        return printTexts();
    if (arguments.size() == 2 && arguments.at(1) == u"--missing-fonts") {
        std::fputs(qPrintable(missingScriptFonts()), stdout);
        return 0;
    }
    if (arguments.size() != 5) {
        std::fputs(
            "usage: stock_text_window --texts | --missing-fonts | WIDTH HEIGHT FAMILY POINTS\n",
            stderr);
        return 2;
    }

    QPlainTextEdit editor;
    QFont font(arguments.at(3));
    font.setPointSizeF(arguments.at(4).toDouble());
    editor.setFont(font);
    editor.setLineWrapMode(QPlainTextEdit::NoWrap);
    editor.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    editor.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // Without the focus it draws no caret, as the real window's area once it has lost it.
    editor.setFocusPolicy(Qt::NoFocus);
    editor.resize(arguments.at(1).toInt(), arguments.at(2).toInt());
    editor.show();

    QFile input;
    if (!input.open(stdin, QIODevice::ReadOnly))
        return 1;
    QSocketNotifier readable(input.handle(), QSocketNotifier::Read);
    QObject::connect(&readable, &QSocketNotifier::activated, &editor, [&] {
        const QByteArray line = input.readLine();
        if (line.isEmpty()) {
            QApplication::quit();
            return;
        }
        editor.setPlainText(QString::fromUtf8(QByteArray::fromBase64(line.trimmed())));
        editor.repaint();
        say(u"shown"_qs);
    });
    // Once the window is on the screen, so that it has its id and its final size.
    QMetaObject::invokeMethod(
        &editor,
        [&editor] {
            const QRect viewport = editor.viewport()->geometry();
            say(u"window %1"_qs.arg(editor.winId()));
            say(u"viewport %1 %2 %3 %4"_qs.arg(viewport.x())
                    .arg(viewport.y())
                    .arg(viewport.width())
                    .arg(viewport.height()));
        },
        Qt::QueuedConnection);
    return QApplication::exec();
}
