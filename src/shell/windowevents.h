// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>

// What becomes of the program's windows, told to whoever must act on it (the
// end of the program when none is left), so that the windows themselves
// know nothing of it.
class WindowEvents : public QObject
{
    Q_OBJECT

public:
    static WindowEvents &instance();

signals:
    // A window was closed from its title bar and is gone.
    void closed();
};
