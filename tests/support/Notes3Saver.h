// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Driving notes3_saver (tests/notes), which saves a file's text to notes3.txt through the
// program's own save, from the suites that stop it part-way. They give its path as NOTES3_SAVER.

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>

// Lines that tell where in the file they stand, so that a torn file cannot pass for a whole one.
inline QByteArray numberedLines(const QByteArray &word, qsizetype size)
{
    QByteArray bytes;
    bytes.reserve(size + 100);
    for (int line = 0; bytes.size() < size; ++line)
        bytes
            += word + ' ' + QByteArray::number(line) + " \xb9\xe6\xea\xb3\xf1\xf3\x9c\x9f\xbf\r\n";
    return bytes;
}

// Starts the saver in the folder and waits until it says the save begins.
inline bool startSaving(QProcess &saver, const QString &folder, const QString &textFile,
                        const QStringList &options = {})
{
    saver.setWorkingDirectory(folder);
    saver.start(QStringLiteral(NOTES3_SAVER), QStringList{textFile} + options);
    while (!saver.canReadLine()) {
        if (!saver.waitForReadyRead(10000))
            return false;
    }
    return saver.readLine() == "saving\n";
}
