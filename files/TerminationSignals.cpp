// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/TerminationSignals.h"

#include <atomic>
#include <csignal>
#include <signal.h>
#include <unistd.h>

namespace {

// Idle, Writing with the first signal that came meanwhile in the bits above it, or Ending with
// the signal that ends the program. One word, so that the handler and the writer never see
// each other's state half-changed.
constexpr int Idle = 0;
constexpr int Writing = 1;
constexpr int Ending = 2;
constexpr int StateBits = 2;

std::atomic<int> state{Idle};
static_assert(std::atomic<int>::is_always_lock_free, "the handler must not take a lock");

constexpr int signalIn(int word)
{
    return word >> StateBits;
}

constexpr int withSignal(int stateValue, int signalNumber)
{
    return stateValue | (signalNumber << StateBits);
}

// Ends the program the way the signal would have without a handler, so that whoever sent it
// sees it ended by that signal. Only async-signal-safe calls.
[[noreturn]] void endBy(int signalNumber)
{
    struct sigaction defaultAction = {};
    defaultAction.sa_handler = SIG_DFL;
    sigemptyset(&defaultAction.sa_mask);
    ::sigaction(signalNumber, &defaultAction, nullptr);
    sigset_t only;
    sigemptyset(&only);
    sigaddset(&only, signalNumber);
    ::pthread_sigmask(SIG_UNBLOCK, &only, nullptr);
    ::raise(signalNumber);
    // Not reached: the default action of these signals ends the process.
    ::_exit(128 + signalNumber);
}

void handle(int signalNumber)
{
    int word = state.load();
    for (;;) {
        if ((word & Ending) != 0)
            endBy(signalIn(word));
        if ((word & Writing) != 0) {
            // The first signal is the one the program ends by; later ones change nothing.
            if (signalIn(word) != 0
                || state.compare_exchange_weak(word, withSignal(Writing, signalNumber))) {
                return;
            }
        } else if (state.compare_exchange_weak(word, withSignal(Ending, signalNumber))) {
            endBy(signalNumber);
        }
    }
}

// Deferrals nest only within one thread; the outermost one holds the state.
thread_local int deferralDepth = 0;

} // namespace

namespace TerminationSignals {

void install()
{
    struct sigaction action = {};
    action.sa_handler = handle;
    sigemptyset(&action.sa_mask);
    // Slow calls go on after the handler instead of failing with EINTR.
    action.sa_flags = SA_RESTART;
    for (const int signalNumber : {SIGTERM, SIGINT, SIGHUP})
        sigaddset(&action.sa_mask, signalNumber);
    for (const int signalNumber : {SIGTERM, SIGINT, SIGHUP})
        ::sigaction(signalNumber, &action, nullptr);
}

Deferral::Deferral()
{
    if (deferralDepth++ > 0)
        return;
    int word = Idle;
    while (!state.compare_exchange_weak(word, Writing)) {
        // A handler in another thread is ending the program; nothing new may start.
        if ((word & Ending) != 0)
            endBy(signalIn(word));
        word = Idle;
    }
}

Deferral::~Deferral()
{
    if (--deferralDepth > 0)
        return;
    const int word = state.exchange(Idle);
    if (signalIn(word) != 0)
        endBy(signalIn(word));
}

} // namespace TerminationSignals
