// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Gives assistive technologies the interfaces of this folder's controls in
// place of those Qt would give their base classes.
class AccessibleFactory
{
public:
    // Registers the factory; the program does it once, as it starts.
    static void install();
};
