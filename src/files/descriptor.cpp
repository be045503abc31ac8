// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/descriptor.h"

#include <cerrno>
#include <unistd.h>

#include <utility>

Descriptor::Descriptor(Descriptor &&other) noexcept
    : m_fd(std::exchange(other.m_fd, -1))
{
}

Descriptor &Descriptor::operator=(Descriptor &&other) noexcept
{
    if (this != &other)
        reset(std::exchange(other.m_fd, -1));
    return *this;
}

Descriptor::~Descriptor()
{
    reset();
}

void Descriptor::reset(int fd)
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = fd;
}

bool Descriptor::writeAll(int fd, const char *bytes, qint64 size, qint64 offset)
{
    for (qint64 done = 0; done < size;) {
        const ssize_t n = ::pwrite(fd, bytes + done, size_t(size - done), off_t(offset + done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += n;
    }
    return true;
}
