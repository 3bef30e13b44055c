// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up time: from the moment a process is started to the first paint of its window, for
// the real Form1 and, in the same run, for a bare window holding the same controls.
//
//   bench_startup [ROUNDS]
//
// The driver starts itself again as a probe, alternating the two windows, and prints the
// median and the spread of each. The platform is whatever QT_QPA_PLATFORM says.

#include "app/Form1.h"
#include "app/Form1Design.h"
#include "startup/Startup.h"

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <memory>
#include <vector>

namespace {

qint64 monotonicNanoseconds()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return qint64(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}

// The same controls at the same places, as plain Qt widgets: no design table, no text area
// contract, no translations.
std::unique_ptr<QWidget> createBareWindow()
{
    auto window = std::make_unique<QWidget>();
    window->setWindowTitle(QStringLiteral("Bare"));
    window->setFixedSize(501, 528);
    std::vector<std::pair<FrameMember, QWidget *>> frames;
    for (const ControlSpec &design : Form1Design::Controls) {
        QWidget *parent = window.get();
        for (const auto &[frame, widget] : frames) {
            if (frame == design.container)
                parent = widget;
        }
        const QString caption = QString::fromUtf8(design.caption);
        QWidget *control = std::visit(
            [&]<typename Control>(Control *Form1::*) -> QWidget * {
                if constexpr (std::is_same_v<Control, TextBox>)
                    return new QPlainTextEdit(QString::fromUtf8(design.text), parent);
                else if constexpr (std::is_same_v<Control, CheckBox>)
                    return new QCheckBox(caption, parent);
                else if constexpr (std::is_same_v<Control, CommandButton>)
                    return new QPushButton(caption, parent);
                else
                    return new Control(caption, parent);
            },
            design.member);
        if (const auto *frame = std::get_if<FrameMember>(&design.member))
            frames.emplace_back(*frame, control);
        control->setGeometry(design.left / 12, design.top / 12, design.width / 12,
                             design.height / 12);
    }
    return window;
}

// Reports the time since the driver started the process once the window has painted.
class FirstPaintProbe : public QObject
{
public:
    explicit FirstPaintProbe(qint64 startedAt)
        : m_startedAt(startedAt)
    {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && !m_painted) {
            m_painted = true;
            // Queued, so that the time includes the paint itself.
            QTimer::singleShot(0, this, [this] {
                std::printf("%lld\n", monotonicNanoseconds() - m_startedAt);
                QCoreApplication::quit();
            });
        }
        return QObject::eventFilter(watched, event);
    }

private:
    qint64 m_startedAt;
    bool m_painted = false;
};

int runProbe(int argc, char *argv[], bool realWindow, qint64 startedAt)
{
    QApplication application(argc, argv);
    std::unique_ptr<QWidget> window;
    if (realWindow) {
        Startup::speakPolish(application);
        window = std::make_unique<Form1>();
    } else {
        window = createBareWindow();
    }
    FirstPaintProbe probe(startedAt);
    window->installEventFilter(&probe);
    window->show();
    return application.exec();
}

double startOnce(const QString &program, const char *window)
{
    QProcess probe;
    probe.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    const qint64 startedAt = monotonicNanoseconds();
    probe.start(program, {QStringLiteral("--probe"), QString::fromLatin1(window),
                          QString::number(startedAt)});
    if (!probe.waitForFinished(30000) || probe.exitCode() != 0)
        return -1;
    return probe.readAllStandardOutput().trimmed().toLongLong() / 1e6;
}

void printSummary(const char *name, std::vector<double> milliseconds)
{
    std::ranges::sort(milliseconds);
    const auto at = [&milliseconds](double fraction) {
        return milliseconds[size_t(fraction * double(milliseconds.size() - 1) + 0.5)];
    };
    std::printf("%-6s median %7.1f ms   min %7.1f   p90 %7.1f   max %7.1f   (%zu runs)\n", name,
                at(0.5), milliseconds.front(), at(0.9), milliseconds.back(), milliseconds.size());
}

double median(std::vector<double> values)
{
    std::ranges::sort(values);
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc == 4 && qstrcmp(argv[1], "--probe") == 0)
        return runProbe(argc, argv, qstrcmp(argv[2], "form1") == 0,
                        QByteArray(argv[3]).toLongLong());

    QCoreApplication application(argc, argv);
    // Qt warns on every start without a runtime folder; give the probes one.
    const QTemporaryDir runtimeFolder;
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR"))
        qputenv("XDG_RUNTIME_DIR", runtimeFolder.path().toUtf8());
    const int rounds = argc > 1 ? QByteArray(argv[1]).toInt() : 20;
    const QString program = QCoreApplication::applicationFilePath();

    // One run of each first, so that both find the libraries in the page cache.
    startOnce(program, "form1");
    startOnce(program, "bare");

    std::vector<double> form1;
    std::vector<double> bare;
    for (int round = 0; round < rounds; ++round) {
        // Alternate which goes first, so that neither gains from the other's warm-up.
        const bool realFirst = round % 2 == 0;
        const double first = startOnce(program, realFirst ? "form1" : "bare");
        const double second = startOnce(program, realFirst ? "bare" : "form1");
        const double real = realFirst ? first : second;
        const double plain = realFirst ? second : first;
        if (real < 0 || plain < 0) {
            std::fprintf(stderr, "a probe failed\n");
            return 1;
        }
        form1.push_back(real);
        bare.push_back(plain);
    }

    std::printf(
        "Process start to first paint, platform %s:\n",
        qEnvironmentVariable("QT_QPA_PLATFORM", QStringLiteral("default")).toUtf8().constData());
    printSummary("Form1", form1);
    printSummary("bare", bare);
    std::printf("Form1 / bare (medians): %.2f\n", median(form1) / median(bare));
    return 0;
}
