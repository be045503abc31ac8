// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <sched.h>
#include <sys/mount.h>

// Whether this test mounts in a namespace of its own, which no other process sees. Entered at the first call, which
// must come before the first look at the mount table: the table stays open on the namespace it was opened in.
inline bool ownMounts()
{
    static const bool own =
            ::unshare(CLONE_NEWNS) == 0 && ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
    return own;
}
