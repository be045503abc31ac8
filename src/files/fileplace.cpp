// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/fileplace.h"

bool FilePlace::sameFile(const FilePlace &other) const
{
    return m_exists == other.m_exists && m_link == other.m_link && m_linkText == other.m_linkText
            && m_device == other.m_device && m_inode == other.m_inode;
}

bool FilePlace::operator==(const FilePlace &other) const
{
    return sameFile(other) && m_stamp == other.m_stamp;
}
