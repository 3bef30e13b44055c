// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QtGlobal>

// Shows the busy cursor over the whole program for as long as it lives, failures included.
class BusyCursor
{
    Q_DISABLE_COPY_MOVE(BusyCursor)

public:
    BusyCursor();
    ~BusyCursor();

private:
    bool m_shown;
};
