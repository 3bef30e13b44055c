// SPDX-License-Identifier: GPL-3.0-or-later
#include "clipboard/SystemClipboard.h"

#include "clipboard/X11DropTime.h"
#include "clipboard/X11Selection.h"
#include "common/RuntimeFailure.h"
#include "textarea/LineEnds.h"

#include <QClipboard>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QLocale>
#include <QMimeData>

// Last: Xlib's macros (None, Bool, Status, ...) would clash with Qt's names.
#include <X11/Xlib.h>

namespace {

// The display the toolkit opened, named by -display or by DISPLAY, or "" when the toolkit holds
// no Xlib display. Asked of the toolkit rather than read from DISPLAY, which -display overrides.
QByteArray openedDisplayName()
{
    const auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    Display *const display = x11 ? x11->display() : nullptr;
    return display ? QByteArray(XDisplayString(display)) : QByteArray();
}

} // namespace

SystemClipboard::SystemClipboard(QClipboard &clipboard)
    : m_clipboard(clipboard)
{}

void SystemClipboard::Clear()
{
    m_clipboard.clear(QClipboard::Clipboard);
}

void SystemClipboard::SetText(const QString &text)
{
    m_clipboard.setText(LineEnds::toPlatform(text), QClipboard::Clipboard);
}

QString SystemClipboard::GetText(qsizetype characterLimit, QClipboard::Mode mode) const
{
    // What this program put there is at hand without asking anybody.
    const bool atHand = (mode == QClipboard::Selection ? m_clipboard.ownsSelection()
                                                       : m_clipboard.ownsClipboard())
                        || QGuiApplication::platformName() != u"xcb";
    return LineEnds::toCrLf(atHand ? textAtHand(characterLimit, mode)
                                   : textFromAnotherProgram(characterLimit, mode));
}

QString SystemClipboard::textAtHand(qsizetype characterLimit, QClipboard::Mode mode) const
{
    const QString text = m_clipboard.text(mode);
    if (text.size() > characterLimit)
        refuseAsTooLarge(text.size(), true, characterLimit);
    return text;
}

// The window keeps repainting while the other program takes its time, but takes no clicks or
// keys: the paste is still one operation that ends before the next begins.
QString SystemClipboard::textFromAnotherProgram(qsizetype characterLimit,
                                                QClipboard::Mode mode) const
{
    // Without the display's name, the toolkit's own clipboard still reads the right display.
    const QByteArray displayName = openedDisplayName();
    const auto selection = displayName.isEmpty() ? nullptr : X11Selection::connect(displayName);
    if (!selection)
        return textAtHand(characterLimit, mode);
    const auto name = mode == QClipboard::Selection ? X11Selection::SelectionName::Primary
                                                    : X11Selection::SelectionName::Clipboard;
    const X11Selection::Result result
        = selection->readText(name, characterLimit, {Silence, LongestTransfer}, keepRepainting);
    switch (result.outcome) {
    case X11Selection::Outcome::Text:
        return result.text;
    case X11Selection::Outcome::NoOwner:
    case X11Selection::Outcome::NoText:
        return {};
    case X11Selection::Outcome::NoAnswer:
        refuseAsSilent();
    case X11Selection::Outcome::TooLarge:
        refuseAsTooLarge(result.charactersRead, result.wholeTextRead, characterLimit);
    }
    return {};
}

ClipboardText::DroppedText SystemClipboard::GetDroppedText(const QMimeData &offered,
                                                           qsizetype characterLimit) const
{
    const QByteArray displayName
        = QGuiApplication::platformName() == u"xcb" ? openedDisplayName() : QByteArray();
    const auto selection = displayName.isEmpty() ? nullptr : X11Selection::connect(displayName);
    if (selection) {
        const X11Selection::Result result = selection->readText(
            X11Selection::SelectionName::DragAndDrop, characterLimit, {Silence, LongestTransfer},
            keepRepainting, X11DropTime::lastDrop());
        switch (result.outcome) {
        case X11Selection::Outcome::Text:
            return ClipboardText::DroppedText::of(result.text, characterLimit);
        case X11Selection::Outcome::TooLarge:
            return {{}, result.charactersRead};
        case X11Selection::Outcome::NoAnswer:
            refuseAsSilent();
        case X11Selection::Outcome::NoOwner:
        case X11Selection::Outcome::NoText:
            // A source that does not own XdndSelection (the Motif protocol's) or offers no text
            // format by it: only the toolkit can read what it offers.
            break;
        }
    }
    // Unbounded: the toolkit reads the whole text before its length is known. This is the way
    // on Wayland, where the drag's offer belongs to the toolkit's own data device: a second
    // device of the program's own would take every drag onto the window away from the toolkit
    // (mutter and weston send a client's drags to one of its devices only).
    return ClipboardText::DroppedText::of(offered.text(), characterLimit);
}

void SystemClipboard::keepRepainting()
{
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void SystemClipboard::refuseAsTooLarge(qsizetype characterCount, bool wholeTextRead,
                                       qsizetype characterLimit)
{
    const QString count = QLocale().toString(characterCount);
    const QString howLarge
        = wholeTextRead ? tr("ma %1 znaków").arg(count) : tr("ma ponad %1 znaków").arg(count);
    throw RuntimeFailure(RuntimeFailure::OutOfMemory,
                         tr("Tekst w schowku jest za duży: %1, a pole tekstowe przyjmuje teksty do "
                            "%2 znaków. Nic nie wklejono.")
                             .arg(howLarge, QLocale().toString(characterLimit)));
}

void SystemClipboard::refuseAsSilent()
{
    throw RuntimeFailure(
        RuntimeFailure::DeviceIOError,
        tr("Schowek nie odpowiada: program, który go trzyma, nie oddał tekstu w ciągu %1 s. Nic "
           "nie wklejono; można spróbować jeszcze raz albo skopiować tekst od nowa.")
            .arg(std::chrono::duration_cast<std::chrono::seconds>(Silence).count()));
}

SystemClipboard Clipboard()
{
    return SystemClipboard(*QGuiApplication::clipboard());
}
