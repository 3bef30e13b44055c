// Pasting a large clipboard text into the text area against reading the same text from a file.
//
// Reading is "Czytaj" on a notes.txt holding the same text. Pasting is "Zaznacz wszystko" done
// beforehand and then "Wklej" timed, with the text on the clipboard as another program would offer
// it (platform line ends). Both end with the same text in the same kind of window, events
// processed.
//
//   bench_paste [megabytes] [repetitions]     (defaults: 10 and 7)
//
// By default the bench puts the text on the clipboard itself, so the toolkit hands it over
// inside the process. To paste from another program under X11, write the offer first, give it to
// that program and tell the bench to leave the clipboard alone:
//
//   bench_paste --write-offer offer.txt && xclip -selection clipboard -i offer.txt
//   bench_paste --offered-elsewhere

#include "app/Form1.h"
#include "clipboard/Selection.h"
#include "notes/Notes.h"
#include "platform/CommandButton.h"
#include "platform/LineEnds.h"
#include "textarea/TextBox.h"
#include "platform/Windows1250.h"
#include "tests/support/Windows1250Text.h"

#include <QApplication>
#include <QClipboard>
#include <QCommandLineParser>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <random>
#include <vector>

namespace {

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
    return Windows1250::encode(text).bytes;
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

// "Czytaj" on notes.txt in the current folder.
Duration readFromFile(const QString &expected)
{
    Form1 form;
    showAndSettle(form);
    // Where a click on "Czytaj" leaves the focus.
    form.Command2->setFocus(Qt::MouseFocusReason);

    const Stopwatch stopwatch;
    form.ReadNotes();
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
    const QString expected = windows1250Text(bytes);
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
    QDir::setCurrent(folder.path());

    const bool elsewhere = parser.isSet(offeredElsewhere);
    std::vector<Duration> reading;
    std::vector<Duration> pasting;
    for (int round = 0; round < repetitions; ++round) {
        // Taking turns at going first keeps a warm-up from favouring either.
        if (round % 2 == 0) {
            reading.push_back(readFromFile(expected));
            pasting.push_back(pasteFromClipboard(expected, elsewhere));
        } else {
            pasting.push_back(pasteFromClipboard(expected, elsewhere));
            reading.push_back(readFromFile(expected));
        }
    }

    const Duration read = median(reading);
    const Duration paste = median(pasting);
    std::printf("text: %lld bytes, %lld lines; platform %s; clipboard text from %s; median of %d\n",
                static_cast<long long>(bytes.size()), static_cast<long long>(bytes.count('\n')),
                qPrintable(QGuiApplication::platformName()),
                elsewhere ? "another program" : "this program", repetitions);
    std::printf("                                             wall ms  processor ms\n");
    std::printf("read notes.txt (Czytaj):                     %8.1f  %12.1f\n",
                read.wallMilliseconds, read.processorMilliseconds);
    std::printf("paste from clipboard (Wklej):                %8.1f  %12.1f\n",
                paste.wallMilliseconds, paste.processorMilliseconds);
    std::printf("paste / read:                                %8.2f  %12.2f\n",
                paste.wallMilliseconds / read.wallMilliseconds,
                paste.processorMilliseconds / read.processorMilliseconds);
    return 0;
}
