// SPDX-License-Identifier: GPL-3.0-or-later
/*
 * picker-probe: times the launcher's settings window and picker from the
 * press that opens them to their first picture, on an X server without a
 * window manager, next to a plain listing of what the picker has to show,
 * timed in the same process between the runs.
 *
 *   picker-probe [--runs N] [--settle MS] [--trace] [--shot FILE]
 *                (--plain-folder DIR | --plain-volumes) --folder DIR PROGRAM...
 *
 * One run starts PROGRAM in DIR (which holds its data.txt) and then, each
 * step timed from the press (the clock is taken after a round trip, just
 * before the XTest press and release are sent):
 *   settings  "Ayarlar" pressed, until the settings window's first damage
 *             after it was mapped;
 *   picker    row 1's "Gözat" pressed, until the picker's first damage after
 *             it was mapped; the lists are filled before the window shows,
 *             so that picture is the picker with its lists;
 *   parent    in the folder list (Tab, Tab from the drive list), Up and
 *             Return: until the picker's next damage, the parent folder open;
 *   back      Down and Return: the first subfolder of the parent, which the
 *             bench makes the folder the picker opened on, until the next
 *             damage;
 *   drives    a click on the drive list, until its popup's first damage.
 * Then the program is killed. One unmeasured run comes first.
 *
 * The plain listing, once per run: --plain-folder DIR is opendir, readdir
 * and one stat per entry of DIR; --plain-volumes is one read of
 * /proc/self/mountinfo and one stat per mount point in it.
 *
 * Output, one line per figure: NAME MIN MEDIAN MAX (milliseconds,
 * CLOCK_MONOTONIC).
 *
 * The launcher's menu bar is expected to hold one item per row (the bench's
 * list has captions too wide for two to share a row), so "Ayarlar", the
 * tenth item, is in the tenth of eleven rows above the 33 pixel high client
 * area; the settings window's row 1 "Gözat" is at 384, 32 in its client
 * area. A press that opens nothing ends the probe with a message.
 */
#define _GNU_SOURCE
#include <xcb/damage.h>
#include <xcb/xcb.h>
#include <xcb/xtest.h>

#include "xprobe.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

const char *probe_name = "picker-probe";
static struct options options = { .runs = 7, .settle = 200 };
static const char *plain, *shot;
static int volumes;

/* ------------------------------------------------------------ X */

static xcb_keycode_t keycode_tab, keycode_return, keycode_up, keycode_down;

static xcb_keycode_t keycode_of(xcb_keysym_t keysym)
{
    const xcb_setup_t *setup = xcb_get_setup(conn);
    const int count = setup->max_keycode - setup->min_keycode + 1;
    xcb_get_keyboard_mapping_reply_t *map =
            xcb_get_keyboard_mapping_reply(conn, xcb_get_keyboard_mapping(conn, setup->min_keycode, count), NULL);
    if (!map)
        die("no keyboard mapping");
    const xcb_keysym_t *syms = xcb_get_keyboard_mapping_keysyms(map);
    xcb_keycode_t found = 0;
    for (int k = 0; k < count && !found; ++k)
        if (syms[k * map->keysyms_per_keycode] == keysym)
            found = setup->min_keycode + k;
    free(map);
    if (!found)
        die("no key for keysym 0x%x", keysym);
    return found;
}

static void connect_probe(void)
{
    connect_x();
    keycode_tab = keycode_of(0xff09);
    keycode_return = keycode_of(0xff0d);
    keycode_up = keycode_of(0xff52);
    keycode_down = keycode_of(0xff54);
}

/* ------------------------------------------------------------ one run */

#define MAX_WINDOWS 64

struct window
{
    xcb_window_t id;
    int override;
    double mapped_at; /* last MapNotify */
    double damaged_at; /* last damage */
};

struct run
{
    pid_t pid;
    struct window windows[MAX_WINDOWS];
    int count;
    int exited;
    int status;
};

static struct window *find(struct run *run, xcb_window_t id)
{
    for (int i = 0; i < run->count; ++i)
        if (run->windows[i].id == id)
            return &run->windows[i];
    return NULL;
}

static void handle(struct run *run, xcb_generic_event_t *event, double at)
{
    const uint8_t type = event->response_type & ~0x80;
    if (type == XCB_CREATE_NOTIFY) {
        xcb_create_notify_event_t *e = (xcb_create_notify_event_t *)event;
        if (e->parent == root && run->count < MAX_WINDOWS) {
            struct window *w = &run->windows[run->count++];
            memset(w, 0, sizeof *w);
            w->id = e->window;
            w->override = e->override_redirect;
            xcb_damage_create(conn, xcb_generate_id(conn), e->window, XCB_DAMAGE_REPORT_LEVEL_RAW_RECTANGLES);
            xcb_flush(conn);
        }
    } else if (type == XCB_MAP_NOTIFY) {
        xcb_map_notify_event_t *e = (xcb_map_notify_event_t *)event;
        struct window *w = find(run, e->window);
        if (w)
            w->mapped_at = at;
        if (options.trace && w)
            fprintf(stderr, "%12.3f map 0x%x%s\n", at, e->window, w->override ? " override" : "");
    } else if (type == damage_event + XCB_DAMAGE_NOTIFY) {
        xcb_damage_notify_event_t *e = (xcb_damage_notify_event_t *)event;
        struct window *w = find(run, e->drawable);
        if (w)
            w->damaged_at = at;
    } else if (type == 0 && options.trace) {
        xcb_generic_error_t *e = (xcb_generic_error_t *)event;
        fprintf(stderr, "%12.3f X error %d (request %d)\n", at, e->error_code, e->major_code);
    }
}

static void reap(struct run *run, int options)
{
    if (run->exited)
        return;
    int status;
    if (waitpid(run->pid, &status, options) == run->pid) {
        run->exited = 1;
        run->status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
}

/* Takes X events until until_ms, or until done(run, arg) holds. */
static void pump(struct run *run, double until_ms, int (*done)(struct run *, const void *), const void *arg)
{
    for (;;) {
        xcb_generic_event_t *event;
        while ((event = xcb_poll_for_event(conn))) {
            handle(run, event, now_ms());
            free(event);
        }
        if (xcb_connection_has_error(conn))
            die("lost the X connection");
        if (done && done(run, arg))
            return;
        const double left = until_ms - now_ms();
        if (left <= 0)
            return;
        if (!run->exited) {
            reap(run, WNOHANG);
            if (run->exited)
                die("the program ended (status %d)", run->status);
        }
        struct pollfd fd = { xcb_get_file_descriptor(conn), POLLIN, 0 };
        poll(&fd, 1, left < 5 ? (int)left + 1 : 5);
    }
}

/* What a step waits for: a window first mapped after since (of the kind
 * asked for), damaged after it was mapped; or damage after since to a
 * window already known. */
struct wait
{
    double since;
    int override;
    xcb_window_t window; /* 0: a new window */
    struct window *found;
};

static int arrived(struct run *run, const void *arg)
{
    struct wait *wait = (struct wait *)arg;
    for (int i = 0; i < run->count; ++i) {
        struct window *w = &run->windows[i];
        if (wait->window ? w->id != wait->window : (w->override != wait->override || w->mapped_at < wait->since))
            continue;
        if (w->damaged_at >= wait->since && w->damaged_at >= w->mapped_at && w->mapped_at) {
            wait->found = w;
            return 1;
        }
    }
    return 0;
}

static double wait_for(struct run *run, struct wait *wait, const char *what)
{
    pump(run, wait->since + 120000, arrived, wait);
    if (!wait->found)
        die("%s: nothing was painted within 120 s", what);
    return wait->found->damaged_at - wait->since;
}

static void geometry(xcb_window_t window, int *x, int *y, int *width, int *height)
{
    xcb_get_geometry_reply_t *g = xcb_get_geometry_reply(conn, xcb_get_geometry(conn, window), NULL);
    xcb_translate_coordinates_reply_t *origin =
            xcb_translate_coordinates_reply(conn, xcb_translate_coordinates(conn, window, root, 0, 0), NULL);
    if (!g || !origin)
        die("a window went away");
    *x = origin->dst_x;
    *y = origin->dst_y;
    *width = g->width;
    *height = g->height;
    free(g);
    free(origin);
}

/* The clock is taken once the server has everything sent before. */
static double sync_now(void)
{
    free(xcb_get_input_focus_reply(conn, xcb_get_input_focus(conn), NULL));
    return now_ms();
}

static double click(int x, int y)
{
    xcb_test_fake_input(conn, XCB_MOTION_NOTIFY, 0, XCB_CURRENT_TIME, root, x, y, 0);
    xcb_flush(conn);
    usleep(100 * 1000); /* the hover highlight comes and goes before the press */
    const double at = sync_now();
    xcb_test_fake_input(conn, XCB_BUTTON_PRESS, 1, XCB_CURRENT_TIME, root, 0, 0, 0);
    xcb_test_fake_input(conn, XCB_BUTTON_RELEASE, 1, XCB_CURRENT_TIME, root, 0, 0, 0);
    xcb_flush(conn);
    return at;
}

static double key(xcb_keycode_t code)
{
    const double at = sync_now();
    xcb_test_fake_input(conn, XCB_KEY_PRESS, code, XCB_CURRENT_TIME, root, 0, 0, 0);
    xcb_test_fake_input(conn, XCB_KEY_RELEASE, code, XCB_CURRENT_TIME, root, 0, 0, 0);
    xcb_flush(conn);
    return at;
}

/* ------------------------------------------------------------ plain listings */

static double plain_folder(const char *folder, int *entries)
{
    const double start = now_ms();
    DIR *dir = opendir(folder);
    if (!dir)
        die("cannot list %s: %s", folder, strerror(errno));
    struct dirent *entry;
    struct stat st;
    int n = 0;
    while ((entry = readdir(dir))) {
        if (!strcmp(entry->d_name, ".") || !strcmp(entry->d_name, ".."))
            continue;
        if (fstatat(dirfd(dir), entry->d_name, &st, 0) == 0)
            ++n;
    }
    closedir(dir);
    *entries = n;
    return now_ms() - start;
}

/* The mount point is the fifth field; blanks and the like come as \ooo. */
static void unescape(char *text)
{
    char *out = text;
    for (char *in = text; *in; ++in) {
        if (in[0] == '\\' && in[1] >= '0' && in[1] <= '3' && in[2] && in[3]) {
            *out++ = (char)((in[1] - '0') * 64 + (in[2] - '0') * 8 + (in[3] - '0'));
            in += 3;
        } else {
            *out++ = *in;
        }
    }
    *out = 0;
}

static double plain_volumes(int *entries)
{
    const double start = now_ms();
    FILE *file = fopen("/proc/self/mountinfo", "re");
    if (!file)
        die("cannot read /proc/self/mountinfo");
    char *line = NULL;
    size_t size = 0;
    struct stat st;
    int n = 0;
    while (getline(&line, &size, file) > 0) {
        char *field = strtok(line, " ");
        for (int i = 1; field && i < 5; ++i)
            field = strtok(NULL, " ");
        if (!field)
            continue;
        unescape(field);
        if (stat(field, &st) == 0)
            ++n;
    }
    free(line);
    fclose(file);
    *entries = n;
    return now_ms() - start;
}

/* ------------------------------------------------------------ figures */

enum { SETTINGS, PICKER, PARENT, BACK, DRIVES, PLAIN, FIGURES };
static const char *const names[FIGURES] = { "settings", "picker", "parent", "back", "drives", "plain" };

static void print(const char *name, struct series *s)
{
    if (!s->count)
        return;
    const double middle = median(s);
    printf("%s %.2f %.2f %.2f\n", name, s->values[0], middle, s->values[s->count - 1]);
}

static void start(struct run *run, char *const argv[], const char *folder)
{
    memset(run, 0, sizeof *run);
    xcb_flush(conn);
    run->pid = fork();
    if (run->pid < 0)
        die("fork: %s", strerror(errno));
    if (run->pid == 0) {
        if (chdir(folder) != 0)
            _exit(126);
        int null = open("/dev/null", O_RDWR);
        dup2(null, STDIN_FILENO);
        dup2(null, STDOUT_FILENO);
        execv(argv[0], argv);
        _exit(127);
    }
}

static void one_run(char *const argv[], const char *folder, double settle, const char *shot, double figures[FIGURES])
{
    struct run run;
    start(&run, argv, folder);
    struct wait launcher = { now_ms(), 0, 0, NULL };
    wait_for(&run, &launcher, "the launcher");
    pump(&run, now_ms() + settle, NULL, NULL);

    int x, y, width, height;
    geometry(launcher.found->id, &x, &y, &width, &height);
    const int row = (height - 33) / 11;
    struct wait settings = { click(x + 12, y + 9 * row + row / 2), 0, 0, NULL };
    figures[SETTINGS] = wait_for(&run, &settings, "\"Ayarlar\" (is there one menu item a row?)");
    pump(&run, now_ms() + settle, NULL, NULL);

    geometry(settings.found->id, &x, &y, &width, &height);
    struct wait picker = { click(x + 384 + 24, y + 32 + 8), 0, 0, NULL };
    figures[PICKER] = wait_for(&run, &picker, "row 1's \"Gözat\"");
    pump(&run, now_ms() + settle, NULL, NULL);
    const xcb_window_t picker_window = picker.found->id;

    if (shot) {
        /* The screen as it stands, for a person to look at. */
        char command[8192];
        snprintf(command, sizeof command, "import -window root '%s'", shot);
        if (system(command) != 0)
            fprintf(stderr, "picker-probe: no screenshot\n");
    }

    key(keycode_tab);
    pump(&run, now_ms() + 50, NULL, NULL);
    key(keycode_tab);
    pump(&run, now_ms() + 50, NULL, NULL);
    key(keycode_up);
    pump(&run, now_ms() + settle, NULL, NULL);
    struct wait parent = { key(keycode_return), 0, picker_window, NULL };
    figures[PARENT] = wait_for(&run, &parent, "Return on the parent folder");
    pump(&run, now_ms() + settle, NULL, NULL);
    key(keycode_down);
    pump(&run, now_ms() + settle, NULL, NULL);
    struct wait back = { key(keycode_return), 0, picker_window, NULL };
    figures[BACK] = wait_for(&run, &back, "Return on the folder");
    pump(&run, now_ms() + settle, NULL, NULL);

    geometry(picker_window, &x, &y, &width, &height);
    struct wait drives = { click(x + 8 + 36, y + 8 + 10), 1, 0, NULL };
    figures[DRIVES] = wait_for(&run, &drives, "the drive list");

    kill(run.pid, SIGKILL);
    reap(&run, 0);
    /* The gone windows' last events must not reach the next run. */
    pump(&run, now_ms() + 50, NULL, NULL);
}

static int own_option(const char *option, const char *value)
{
    if (!strcmp(option, "--plain-volumes")) {
        volumes = 1;
        return 1;
    }
    if (value && !strcmp(option, "--plain-folder"))
        plain = value;
    else if (value && !strcmp(option, "--shot"))
        shot = value;
    else
        return 0;
    return 2;
}

int main(int argc, char **argv)
{
    const int i = read_options(argc, argv, &options, own_option);
    if (!options.folder || i >= argc || (!plain && !volumes))
        die("usage: picker-probe [--runs N] [--settle MS] [--trace] [--shot FILE] "
            "(--plain-folder DIR | --plain-volumes) --folder DIR PROGRAM...");
    char **program = argv + i;
    connect_probe();

    double figures[FIGURES];
    one_run(program, options.folder, options.settle, NULL, figures);

    struct series series[FIGURES] = { { 0 } };
    int entries = 0;
    for (int n = 0; n < options.runs; ++n) {
        one_run(program, options.folder, options.settle, n == 0 ? shot : NULL, figures);
        figures[PLAIN] = volumes ? plain_volumes(&entries) : plain_folder(plain, &entries);
        for (int f = 0; f < FIGURES; ++f)
            add(&series[f], figures[f]);
        if (options.trace) {
            for (int f = 0; f < FIGURES; ++f)
                fprintf(stderr, "%s %.2f  ", names[f], figures[f]);
            fprintf(stderr, "\n");
        }
    }
    for (int f = 0; f < FIGURES; ++f)
        print(names[f], &series[f]);
    printf("entries %d\n", entries);
    xcb_disconnect(conn);
    return 0;
}
