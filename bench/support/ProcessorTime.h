// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <ctime>
#include <vector>

// The processor time all threads of this process have used, in milliseconds: other programs on
// the machine disturb it far less than the wall clock.
inline double processorMilliseconds()
{
    timespec now = {};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

// Runs the event loop for that long. The loop sleeps between events; processEvents() with a time
// limit would poll and count itself.
inline void runEventLoopFor(int milliseconds)
{
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

// The middle value; of an even count, the upper of the two middle ones.
inline double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

// How long a piece of work took, on the wall clock and in processor time, in milliseconds.
struct Sample
{
    double wall;
    double processor;
};

// The work and whatever it left posted for the event loop.
template<typename Work>
Sample measureWork(const Work &work)
{
    const double processorStart = processorMilliseconds();
    QElapsedTimer timer;
    timer.start();
    work();
    QCoreApplication::processEvents();
    return {double(timer.nsecsElapsed()) / 1e6, processorMilliseconds() - processorStart};
}
