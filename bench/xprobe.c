// SPDX-License-Identifier: GPL-3.0-or-later
#define _GNU_SOURCE
#include "xprobe.h"

#include <xcb/damage.h>
#include <xcb/xtest.h>

#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

xcb_connection_t *conn;
xcb_window_t root;
uint8_t damage_event;

int read_options(int argc, char **argv, struct options *options, int (*own)(const char *option, const char *value))
{
    int i = 1;
    while (i < argc && !strncmp(argv[i], "--", 2)) {
        const char *option = argv[i], *value = i + 1 < argc ? argv[i + 1] : NULL;
        int taken = 2;
        if (!strcmp(option, "--trace")) {
            options->trace = 1;
            taken = 1;
        } else if (value && !strcmp(option, "--runs")) {
            options->runs = atoi(value);
        } else if (value && !strcmp(option, "--settle")) {
            options->settle = atof(value);
        } else if (value && !strcmp(option, "--folder")) {
            options->folder = value;
        } else if (!(taken = own(option, value))) {
            die("unknown option %s", option);
        }
        i += taken;
    }
    return i;
}

double now_ms(void)
{
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

void die(const char *format, ...)
{
    va_list args;
    va_start(args, format);
    fprintf(stderr, "%s: ", probe_name);
    vfprintf(stderr, format, args);
    fprintf(stderr, "\n");
    va_end(args);
    exit(1);
}

void connect_x(void)
{
    int screen_number;
    conn = xcb_connect(NULL, &screen_number);
    if (xcb_connection_has_error(conn))
        die("cannot connect to the X server at DISPLAY=%s", getenv("DISPLAY"));
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(conn));
    for (int i = 0; i < screen_number; ++i)
        xcb_screen_next(&it);
    root = it.data->root;

    const xcb_query_extension_reply_t *damage = xcb_get_extension_data(conn, &xcb_damage_id);
    if (!damage || !damage->present)
        die("the X server has no DAMAGE extension");
    damage_event = damage->first_event;
    free(xcb_damage_query_version_reply(conn, xcb_damage_query_version(conn, 1, 1), NULL));
    const xcb_query_extension_reply_t *test = xcb_get_extension_data(conn, &xcb_test_id);
    if (!test || !test->present)
        die("the X server has no XTEST extension");

    uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_generic_error_t *error =
            xcb_request_check(conn, xcb_change_window_attributes_checked(conn, root, XCB_CW_EVENT_MASK, &mask));
    if (error)
        die("cannot watch the root window (error %d)", error->error_code);
}

static int compare(const void *a, const void *b)
{
    const double x = *(const double *)a, y = *(const double *)b;
    return x < y ? -1 : x > y;
}

void add(struct series *s, double value)
{
    s->values = realloc(s->values, (s->count + 1) * sizeof *s->values);
    s->values[s->count++] = value;
}

double minimum(struct series *s)
{
    qsort(s->values, s->count, sizeof *s->values, compare);
    return s->count ? s->values[0] : 0;
}

double median(struct series *s)
{
    qsort(s->values, s->count, sizeof *s->values, compare);
    if (!s->count)
        return 0;
    return s->count % 2 ? s->values[s->count / 2] : (s->values[s->count / 2 - 1] + s->values[s->count / 2]) / 2;
}
