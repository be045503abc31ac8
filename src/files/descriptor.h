// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QtGlobal>

// An open file descriptor that is closed with its owner, so that no early
// return or thrown error leaves one open. A lock taken on it with flock
// goes when it closes.
class Descriptor
{
public:
    Descriptor() = default;
    explicit Descriptor(int fd)
        : m_fd(fd)
    {
    }
    Descriptor(Descriptor &&other) noexcept;
    Descriptor &operator=(Descriptor &&other) noexcept;
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;
    ~Descriptor();

    // Writes every byte at offset, through short writes and interruptions;
    // false, with errno set, where the file takes no more.
    static bool writeAll(int fd, const char *bytes, qint64 size, qint64 offset);

    int get() const { return m_fd; }
    bool isOpen() const { return m_fd >= 0; }
    void reset(int fd = -1);

private:
    int m_fd = -1;
};
