// SPDX-License-Identifier: GPL-3.0-or-later
// The text area's character store on the texts that the stock widget cannot carry: setting a
// text of very many empty lines or of one very long line, finding lines and positions in it, and
// a keystroke (one character typed, with what the area asks after each key) at the end and in
// the middle, against a plain QString insert in the same run as the floor.
//
// Usage: bench_textbuffer empty-lines [MEBIBYTES]   (default 32: 16 Mi CR LF lines)
//        bench_textbuffer long-line [MILLIONS]      (default 20: one line of 20,000,000 'a')
// Each size is a process of its own, since the peak memory is the process's.

#include "bench/support/ProcessMemory.h"
#include "textarea/TextBuffer.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QRandomGenerator>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>
#include <vector>

namespace {

QString makeText(bool emptyLines, qsizetype length)
{
    if (emptyLines)
        return QStringLiteral("\r\n").repeated(length / 2);
    return QString(length, u'a');
}

double microsecondsFor(const std::function<void()> &work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return double(timer.nsecsElapsed()) / 1e3;
}

// Processor time of the process, which other programs on a busy machine do not add to.
double processorMillisecondsFor(const std::function<void()> &work)
{
    const std::clock_t start = std::clock();
    work();
    return double(std::clock() - start) * 1e3 / CLOCKS_PER_SEC;
}

// The median says what a call costs; the worst includes the moments the machine was busy
// elsewhere.
struct Spread
{
    double median = 0;
    double worst = 0;
};

Spread microsecondsEach(int rounds, const std::function<void(int)> &work)
{
    std::vector<double> samples;
    samples.reserve(size_t(rounds));
    for (int round = 0; round < rounds; ++round)
        samples.push_back(microsecondsFor([&] { work(round); }));
    std::sort(samples.begin(), samples.end());
    return Spread{samples[samples.size() / 2], samples.back()};
}

// One key as the text area handles it: the character goes in, then the area asks where the
// caret's line is and how far the scroll ranges reach.
qsizetype typeKey(TextBuffer &buffer, qsizetype position, QStringView key)
{
    buffer.replace(position, 0, key);
    return buffer.lineAt(position + 1) + buffer.lineCount() + buffer.longestLineLength();
}

} // namespace

int main(int argc, char *argv[])
{
    const QByteArray mode = argc > 1 ? QByteArray(argv[1]) : QByteArray("empty-lines");
    const bool emptyLines = mode == "empty-lines";
    if (!emptyLines && mode != "long-line") {
        std::fprintf(stderr, "usage: bench_textbuffer empty-lines [MEBIBYTES] | long-line "
                             "[MILLIONS]\n");
        return 2;
    }
    const qint64 amount = argc > 2 ? QByteArray(argv[2]).toLongLong() : (emptyLines ? 32 : 20);
    const qsizetype length = emptyLines ? qsizetype(amount) << 20 : qsizetype(amount) * 1000000;
    qsizetype sink = 0;

    const double startMebibytes = statusMebibytes("VmRSS");
    QString text = makeText(emptyLines, length);
    const double textMebibytes = statusMebibytes("VmRSS") - startMebibytes;

    // The first round is what the window meets; later ones show how steady it is.
    double firstSet = 0;
    double bestSet = 1e30;
    double bestSetProcessor = 1e30;
    TextBuffer buffer;
    for (int round = 0; round < 5; ++round) {
        buffer = TextBuffer();
        double microseconds = 0;
        const double processor = processorMillisecondsFor(
            [&] { microseconds = microsecondsFor([&] { buffer.setText(text); }); });
        if (round == 0)
            firstSet = microseconds;
        bestSet = std::min(bestSet, microseconds);
        bestSetProcessor = std::min(bestSetProcessor, processor);
    }
    const double setMebibytes = statusMebibytes("VmHWM");
    const double indexMebibytes = statusMebibytes("VmRSS") - startMebibytes - textMebibytes;
    // The area is the string's only holder from now on, as after "Czytaj".
    text = QString();

    std::printf("%s: %lld characters, %lld lines, longest line %lld; the string alone %.1f MiB\n",
                mode.constData(), qint64(buffer.size()), qint64(buffer.lineCount()),
                qint64(buffer.longestLineLength()), textMebibytes);
    std::printf("setText: first %.2f ms, best of 5 %.2f ms (processor %.1f ms); line index %.1f "
                "MiB; peak memory %.1f MiB\n",
                firstSet / 1e3, bestSet / 1e3, bestSetProcessor, indexMebibytes, setMebibytes);

    QRandomGenerator random(19);
    const int lookups = 200000;
    const qsizetype lines = buffer.lineCount();
    const Spread lineStarts = microsecondsEach(
        lookups, [&](int) { sink += buffer.lineStart(qsizetype(random.bounded(quint64(lines)))); });
    const Spread lineEnds = microsecondsEach(
        lookups, [&](int) { sink += buffer.lineEnd(qsizetype(random.bounded(quint64(lines)))); });
    const Spread lineAts = microsecondsEach(lookups, [&](int) {
        sink += buffer.lineAt(qsizetype(random.bounded(quint64(buffer.size() + 1))));
    });
    std::printf("lookups of random lines and positions, median / worst of %d each:\n"
                "  lineStart %.3f / %.1f us; lineEnd %.3f / %.1f us; lineAt %.3f / %.1f us\n",
                lookups, lineStarts.median, lineStarts.worst, lineEnds.median, lineEnds.worst,
                lineAts.median, lineAts.worst);

    // Keys at the end, then in the middle, where the first key splits the text's one piece.
    const int keys = 1000;
    const qsizetype end = buffer.size();
    const double firstAtEnd = microsecondsFor([&] { sink += typeKey(buffer, end, u"x"); });
    const Spread atEnd
        = microsecondsEach(keys, [&](int key) { sink += typeKey(buffer, end + 1 + key, u"x"); });
    const qsizetype middle = buffer.size() / 2;
    const double firstInMiddle = microsecondsFor([&] { sink += typeKey(buffer, middle, u"x"); });
    const Spread inMiddle
        = microsecondsEach(keys, [&](int key) { sink += typeKey(buffer, middle + 1 + key, u"x"); });
    const Spread backspaces = microsecondsEach(keys, [&](int key) {
        buffer.replace(middle + keys - key, 1, {});
        sink += buffer.lineCount() + buffer.longestLineLength();
    });
    // What saving asks for after the keys: the first text() joins the pieces, the next shares.
    QString joined;
    const double firstText = microsecondsFor([&] { joined = buffer.text(); });
    const double secondText = microsecondsFor([&] { sink += buffer.text().size(); });
    const bool sameText = joined == buffer.mid(0, buffer.size()) && joined.size() == buffer.size();
    joined = QString();
    const double peakAfterKeys = statusMebibytes("VmHWM");
    std::printf("keystroke (replace, then lineAt, lineCount, longestLineLength), %d keys:\n"
                "  at the end: first %.1f us, then median %.2f / worst %.1f us\n"
                "  in the middle: first %.1f us (splits the piece), then median %.2f / worst %.1f "
                "us\n"
                "  Backspace in the middle: median %.2f / worst %.1f us\n",
                keys, firstAtEnd, atEnd.median, atEnd.worst, firstInMiddle, inMiddle.median,
                inMiddle.worst, backspaces.median, backspaces.worst);

    std::printf("text() after the keys: first %.1f ms (joins the pieces), then %.1f us; %s\n",
                firstText / 1e3, secondText, sameText ? "same text" : "TEXT DIFFERS");
    {
        // Its floor: one copy of a string of the same size into new memory.
        const QString original = makeText(emptyLines, length);
        QString copy;
        const double copying = microsecondsFor([&] {
            copy = QString(original.size(), Qt::Uninitialized);
            std::copy(original.begin(), original.end(), copy.begin());
        });
        sink += copy.size();
        std::printf("floor, copying a string of that size into new memory: %.1f ms\n",
                    copying / 1e3);
    }

    // The floor: the same keys into a plain QString that nobody else holds.
    buffer = TextBuffer();
    QString plain = makeText(emptyLines, length);
    const Spread plainAtEnd = microsecondsEach(keys, [&](int) { plain.append(u'x'); });
    const qsizetype plainMiddle = plain.size() / 2;
    const Spread plainInMiddle
        = microsecondsEach(keys, [&](int key) { plain.insert(plainMiddle + key, u'x'); });
    sink += plain.size();
    std::printf("floor, QString insert of one character, %d keys:\n"
                "  at the end: median %.2f / worst %.1f us; in the middle: median %.1f / worst "
                "%.1f us\n",
                keys, plainAtEnd.median, plainAtEnd.worst, plainInMiddle.median,
                plainInMiddle.worst);
    std::printf("peak memory after the keys: %.1f MiB (before the floor's string)\n",
                peakAfterKeys);
    return sink != 0 && sameText ? 0 : 1;
}
