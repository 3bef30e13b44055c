#pragma once

// The font dialog component that the main window owns for its whole life, so that the dialog
// keeps the values of its last use.
class CommonDialog
{
public:
    CommonDialog() = default;
};
