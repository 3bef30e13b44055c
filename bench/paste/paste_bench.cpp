// Pasting a large clipboard text into the text area against reading the same text from a file.
//
// Reading is measured at its floor: the file's bytes read at once, decoded from Windows-1250 and
// set as the whole text in one call. Pasting is "Zaznacz wszystko" done beforehand and then
// "Wklej" timed, with the text on the clipboard as another program would offer it (platform line
// ends). Both end with the same text in the same kind of window, events processed.
//
//   paste_bench [megabytes] [repetitions]     (defaults: 10 and 7)
//
// By default the bench puts the text on the clipboard itself, so the toolkit hands it over
// inside the process. To paste from another program under X11, write the offer first, give it to
// that program and tell the bench to leave the clipboard alone:
//
//   paste_bench --write-offer offer.txt && xclip -selection clipboard -i offer.txt
//   paste_bench --offered-elsewhere

#include "app/Form1.h"
#include "clipboard/Selection.h"
#include "platform/CommandButton.h"
#include "platform/LineEnds.h"
#include "platform/TextBox.h"

#include <QApplication>
#include <QClipboard>
#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QTemporaryDir>

#include <algorithm>
#include <array>
#include <cstdio>
#include <ctime>
#include <random>
#include <vector>

namespace {

// The upper half of Windows-1250; bytes below 0x80 are ASCII. Undefined bytes keep their value,
// as Windows does.
constexpr std::array<char16_t, 128> UpperHalf = {
    0x20AC, 0x0081, 0x201A, 0x0083, 0x201E, 0x2026, 0x2020, 0x2021, 0x0088, 0x2030, 0x0160, 0x2039,
    0x015A, 0x0164, 0x017D, 0x0179, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x0098, 0x2122, 0x0161, 0x203A, 0x015B, 0x0165, 0x017E, 0x017A, 0x00A0, 0x02C7, 0x02D8, 0x0141,
    0x00A4, 0x0104, 0x00A6, 0x00A7, 0x00A8, 0x00A9, 0x015E, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x017B,
    0x00B0, 0x00B1, 0x02DB, 0x0142, 0x00B4, 0x00B5, 0x00B6, 0x00B7, 0x00B8, 0x0105, 0x015F, 0x00BB,
    0x013D, 0x02DD, 0x013E, 0x017C, 0x0154, 0x00C1, 0x00C2, 0x0102, 0x00C4, 0x0139, 0x0106, 0x00C7,
    0x010C, 0x00C9, 0x0118, 0x00CB, 0x011A, 0x00CD, 0x00CE, 0x010E, 0x0110, 0x0143, 0x0147, 0x00D3,
    0x00D4, 0x0150, 0x00D6, 0x00D7, 0x0158, 0x016E, 0x00DA, 0x0170, 0x00DC, 0x00DD, 0x0162, 0x00DF,
    0x0155, 0x00E1, 0x00E2, 0x0103, 0x00E4, 0x013A, 0x0107, 0x00E7, 0x010D, 0x00E9, 0x0119, 0x00EB,
    0x011B, 0x00ED, 0x00EE, 0x010F, 0x0111, 0x0144, 0x0148, 0x00F3, 0x00F4, 0x0151, 0x00F6, 0x00F7,
    0x0159, 0x016F, 0x00FA, 0x0171, 0x00FC, 0x00FD, 0x0163, 0x02D9,
};

QString decodeWindows1250(const QByteArray &bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    QChar *out = text.data();
    for (const char byte : bytes) {
        const auto value = static_cast<unsigned char>(byte);
        *out++ = QChar(value < 0x80 ? char16_t(value) : UpperHalf[value - 0x80]);
    }
    return text;
}

QByteArray encodeWindows1250(const QString &text)
{
    QHash<char16_t, char> upper;
    for (int index = 0; index < 128; ++index)
        upper.insert(UpperHalf[index], char(0x80 + index));
    QByteArray bytes;
    bytes.reserve(text.size());
    for (const QChar character : text)
        bytes += character.unicode() < 0x80 ? char(character.unicode())
                                            : upper.value(character.unicode(), '?');
    return bytes;
}

// Notes of about the given size: lines of Polish words of varied length, each ending in CR LF.
QByteArray makeNotes(qsizetype size)
{
    const QStringList words
        = {u"zażółć"_qs,  u"gęślą"_qs, u"jaźń"_qs,      u"Łódź"_qs,      u"źdźbło"_qs, u"pójdź"_qs,
           u"kiń"_qs,     u"tę"_qs,    u"chmurność"_qs, u"w"_qs,         u"głąb"_qs,   u"flaszy"_qs,
           u"notatki"_qs, u"Śląsk"_qs, u"ĆMA"_qs,       u"2024-01-15"_qs};
    std::mt19937 random(1250);
    std::uniform_int_distribution<int> wordCount(0, 12);
    std::uniform_int_distribution<qsizetype> wordIndex(0, words.size() - 1);
    QString text;
    text.reserve(size + 200);
    while (text.size() < size) {
        const int count = wordCount(random);
        for (int word = 0; word < count; ++word) {
            if (word > 0)
                text += u' ';
            text += words.at(wordIndex(random));
        }
        text += u"\r\n";
    }
    return encodeWindows1250(text);
}

void showAndSettle(QWidget &window)
{
    window.show();
    QApplication::processEvents();
}

// Wall-clock time, and the processor time of the process, which other programs running on the
// same machine disturb far less.
struct Duration
{
    double wallMilliseconds = 0;
    double processorMilliseconds = 0;
};

class Stopwatch
{
public:
    Stopwatch()
        : m_processorStart(std::clock())
    {
        m_wall.start();
    }

    Duration elapsed() const
    {
        return {double(m_wall.nsecsElapsed()) / 1e6,
                double(std::clock() - m_processorStart) * 1000.0 / CLOCKS_PER_SEC};
    }

private:
    QElapsedTimer m_wall;
    std::clock_t m_processorStart;
};

Duration readFromFile(const QString &path, const QString &expected)
{
    Form1 form;
    showAndSettle(form);
    // Where a click on "Czytaj" leaves the focus.
    form.Command2->setFocus(Qt::MouseFocusReason);

    const Stopwatch stopwatch;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("cannot open %s", qPrintable(path));
    form.Text1->SetText(decodeWindows1250(file.readAll()));
    file.close();
    QApplication::processEvents();
    const Duration elapsed = stopwatch.elapsed();

    if (form.Text1->Text() != expected)
        qFatal("reading gave another text");
    return elapsed;
}

Duration pasteFromClipboard(const QString &expected, bool offeredElsewhere)
{
    Form1 form;
    showAndSettle(form);
    if (!offeredElsewhere)
        QApplication::clipboard()->setText(LineEnds::toPlatform(expected));
    Selection::SelectAllText(*form.Text1);
    // Where a click on "Wklej" leaves the focus.
    form.Command6->setFocus(Qt::MouseFocusReason);

    const Stopwatch stopwatch;
    Selection::PasteClipboard(*form.Text1);
    QApplication::processEvents();
    const Duration elapsed = stopwatch.elapsed();

    if (form.Text1->Text() != expected)
        qFatal("pasting gave another text");
    return elapsed;
}

Duration median(const std::vector<Duration> &durations)
{
    std::vector<double> wall;
    std::vector<double> processor;
    for (const Duration &duration : durations) {
        wall.push_back(duration.wallMilliseconds);
        processor.push_back(duration.processorMilliseconds);
    }
    std::sort(wall.begin(), wall.end());
    std::sort(processor.begin(), processor.end());
    return {wall[wall.size() / 2], processor[processor.size() / 2]};
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    QCommandLineParser parser;
    parser.addHelpOption();
    parser.addPositionalArgument(u"megabytes"_qs, u"Size of the text (10)."_qs);
    parser.addPositionalArgument(u"repetitions"_qs, u"Rounds of each measurement (7)."_qs);
    const QCommandLineOption writeOffer(
        u"write-offer"_qs, u"Write the clipboard text, UTF-8, and exit."_qs, u"file"_qs);
    const QCommandLineOption offeredElsewhere(u"offered-elsewhere"_qs,
                                              u"Another program holds the clipboard text."_qs);
    parser.addOptions({writeOffer, offeredElsewhere});
    parser.process(application);
    const QStringList numbers = parser.positionalArguments();
    const int megabytes = numbers.size() > 0 ? numbers.at(0).toInt() : 10;
    const int repetitions = numbers.size() > 1 ? numbers.at(1).toInt() : 7;
    if (megabytes <= 0 || repetitions <= 0)
        parser.showHelp(1);

    const QByteArray bytes = makeNotes(qsizetype(megabytes) * 1024 * 1024);
    const QString expected = decodeWindows1250(bytes);
    if (parser.isSet(writeOffer)) {
        QFile offer(parser.value(writeOffer));
        const QByteArray utf8 = LineEnds::toPlatform(expected).toUtf8();
        if (!offer.open(QIODevice::WriteOnly) || offer.write(utf8) != utf8.size())
            qFatal("cannot write %s", qPrintable(offer.fileName()));
        return 0;
    }

    QTemporaryDir folder;
    const QString path = folder.filePath(u"notes.txt"_qs);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
    file.close();

    const bool elsewhere = parser.isSet(offeredElsewhere);
    std::vector<Duration> reading;
    std::vector<Duration> pasting;
    for (int round = 0; round < repetitions; ++round) {
        // Taking turns at going first keeps a warm-up from favouring either.
        if (round % 2 == 0) {
            reading.push_back(readFromFile(path, expected));
            pasting.push_back(pasteFromClipboard(expected, elsewhere));
        } else {
            pasting.push_back(pasteFromClipboard(expected, elsewhere));
            reading.push_back(readFromFile(path, expected));
        }
    }

    const Duration read = median(reading);
    const Duration paste = median(pasting);
    std::printf("text: %lld bytes, %lld lines; platform %s; clipboard text from %s; median of %d\n",
                static_cast<long long>(bytes.size()), static_cast<long long>(bytes.count('\n')),
                qPrintable(QGuiApplication::platformName()),
                elsewhere ? "another program" : "this program", repetitions);
    std::printf("                                             wall ms  processor ms\n");
    std::printf("read from file (bytes, decode, one SetText): %8.1f  %12.1f\n",
                read.wallMilliseconds, read.processorMilliseconds);
    std::printf("paste from clipboard (Wklej):                %8.1f  %12.1f\n",
                paste.wallMilliseconds, paste.processorMilliseconds);
    std::printf("paste / read:                                %8.2f  %12.2f\n",
                paste.wallMilliseconds / read.wallMilliseconds,
                paste.processorMilliseconds / read.processorMilliseconds);
    return 0;
}
