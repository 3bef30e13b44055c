// SPDX-License-Identifier: GPL-3.0-or-later
#include "textarea/ClipboardText.h"

#include "textarea/LineEnds.h"

ClipboardText::DroppedText ClipboardText::DroppedText::of(const QString &offered,
                                                          qsizetype characterLimit)
{
    if (offered.size() > characterLimit)
        return {QString(), offered.size()};
    QString text = LineEnds::toCrLf(offered);
    const qsizetype length = text.size();
    return {std::move(text), length};
}
