// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAccessibleWidget>

// What assistive technology is told of the text area: an editable text, read-only while the
// area is out of the user's reach.
class TextBoxAccessible : public QAccessibleWidget
{
public:
    explicit TextBoxAccessible(QWidget *area);

    QAccessible::State state() const override;

    // Makes the toolkit describe every text area this way; once is enough.
    static void install();
};
