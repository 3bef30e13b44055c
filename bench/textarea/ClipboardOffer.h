// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QProcess>
#include <QString>

#include <memory>
#include <vector>

// A file's text offered by another program (xclip) on the X11 clipboard and as the primary
// selection, for as long as the offer lives. Each measurement gets an offer of its own: a
// paste that stops reading part way can leave xclip waiting for the rest, silent to the next.
class ClipboardOffer
{
public:
    explicit ClipboardOffer(const QString &path);
    ~ClipboardOffer();

    ClipboardOffer(const ClipboardOffer &) = delete;
    ClipboardOffer &operator=(const ClipboardOffer &) = delete;

    // Empty once both selections are offered, else what went wrong.
    QString failure() const { return m_failure; }

private:
    std::vector<std::unique_ptr<QProcess>> m_owners;
    QString m_failure;
};
