// SPDX-License-Identifier: GPL-3.0-or-later
/*
 * What the benchmarks' X probes share: the clock, the way they give up, the
 * connection that watches the root window for new top-level windows and
 * their damage, and the figures they collect.
 */
#pragma once

#include <xcb/xcb.h>

#include <stdint.h>

extern const char *probe_name; /* each probe's messages begin with it */
extern xcb_connection_t *conn;
extern xcb_window_t root;
extern uint8_t damage_event;

/* The options both probes take in front of the program: --runs N, --settle MS,
 * --folder DIR and --trace. */
struct options
{
    int runs;
    double settle; /* milliseconds */
    const char *folder;
    int trace;
};
/* Reads them into *options, handing any other option to own(option, value),
 * value being the argument after it or NULL, which returns how many of the
 * two it took, 0 for an option not its own; an unknown option ends the
 * probe. Returns the index of the first argument after the options. */
int read_options(int argc, char **argv, struct options *options, int (*own)(const char *option, const char *value));

double now_ms(void);
void die(const char *format, ...) __attribute__((noreturn, format(printf, 1, 2)));
/* Connects, checks for DAMAGE and XTEST, and watches the root window's
 * children (SubstructureNotify). */
void connect_x(void);

struct series
{
    double *values;
    int count;
};
void add(struct series *s, double value);
/* Both sort the values. */
double minimum(struct series *s);
double median(struct series *s);
