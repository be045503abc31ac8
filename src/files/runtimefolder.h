// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "files/descriptor.h"

#include <QByteArray>

// The folder where this user's launchers meet: their sockets and the locks
// that take turns between their saves. Only a folder of the user's own that
// no one else may enter will do, since whatever lies there steers the
// launchers: $XDG_RUNTIME_DIR, else /tmp/hizli-UID, else (where another user
// made that name first) the user's cache folder.
class RuntimeFolder
{
public:
    // Empty where no private folder can be had.
    static QByteArray path();
    // An exclusive flock on the file of that name in the runtime folder,
    // waited for at most ms: true with it held on lock, false where another
    // holds it still. True with nothing held where there is no runtime
    // folder or no lock to be had there: then nothing takes turns, and no
    // other user can stop a save by a lock.
    static bool lockWithin(Descriptor *lock, const QByteArray &name, int ms);
};
