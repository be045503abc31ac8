// SPDX-License-Identifier: GPL-3.0-or-later
/*
 * launch-stamp FILE: the program a launch item starts in the benchmark. It
 * writes CLOCK_MONOTONIC in milliseconds to FILE as the first thing it does;
 * it is linked statically so that what it measures is the launcher's part,
 * not the loading of this program's own libraries.
 */
#include <stdio.h>
#include <time.h>

int main(int argc, char **argv)
{
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    if (argc != 2)
        return 2;
    char part[4096];
    snprintf(part, sizeof part, "%s.part", argv[1]);
    FILE *file = fopen(part, "w");
    if (!file)
        return 1;
    fprintf(file, "%.6f\n", t.tv_sec * 1e3 + t.tv_nsec / 1e6);
    if (fclose(file) != 0)
        return 1;
    return rename(part, argv[1]) == 0 ? 0 : 1;
}
