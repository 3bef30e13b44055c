// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/RuntimeFailure.h"

RuntimeFailure::RuntimeFailure(int number, const QString &description)
    : m_number(number)
    , m_description(description)
    , m_utf8(description.toUtf8())
{}
