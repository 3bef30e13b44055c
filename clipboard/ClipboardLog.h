// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLoggingCategory>

// Which way each paste was read and, on Wayland, each selection and drag the compositor showed
// the program, for tests to wait on: QT_LOGGING_RULES="notatki.clipboard.debug=true".
Q_DECLARE_LOGGING_CATEGORY(clipboardLog)
