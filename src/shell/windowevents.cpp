// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/windowevents.h"

WindowEvents &WindowEvents::instance()
{
    static WindowEvents events;
    return events;
}
