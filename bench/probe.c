// SPDX-License-Identifier: GPL-3.0-or-later
/*
 * startup-probe: times Qt programs from exec to their first window on the
 * screen, and a launch from the click on a launch item to the started
 * program and the launcher's exit. It is the X client that watches: it sees
 * every new top-level window of the root (SubstructureNotify), puts a
 * Damage object on it before it can be mapped, and takes
 *   mapped  = the window's MapNotify,
 *   painted = the first damage to the window after it was mapped, i.e. the
 *             program's first picture reaching the window (Qt windows have
 *             no background for the server to paint, so the server itself
 *             draws nothing there).
 * Peak memory is the child's ru_maxrss from wait4(). The program is closed
 * as a window manager closes it (WM_DELETE_WINDOW), some time after its
 * first paint, so that the figure covers start-up and a settled window.
 *
 *   startup-probe [--runs N] [--launch-runs N] [--settle MS] [--trace]
 *                 --folder DIR --stamp STAMP PROGRAM... -- REFERENCE...
 *
 * PROGRAM is the launcher (started in DIR, which holds its data.txt);
 * REFERENCE the bare Qt window it is compared with. The launch runs rewrite
 * DIR/data.txt so that its first item starts "STAMP DIR/stamp.out"; STAMP
 * writes CLOCK_MONOTONIC when its main() runs. All times are CLOCK_MONOTONIC.
 */
#define _GNU_SOURCE
#include <xcb/damage.h>
#include <xcb/xcb.h>
#include <xcb/xtest.h>

#include "xprobe.h"

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

const char *probe_name = "startup-probe";
static struct options options = { .runs = 30, .settle = 300 };
static int launch_runs = 15;
static const char *stamp;
static xcb_atom_t wm_protocols, wm_delete_window;

static xcb_atom_t atom(const char *name)
{
    xcb_intern_atom_reply_t *reply = xcb_intern_atom_reply(conn, xcb_intern_atom(conn, 0, strlen(name), name), NULL);
    if (!reply)
        die("cannot intern %s", name);
    xcb_atom_t result = reply->atom;
    free(reply);
    return result;
}

static void connect_probe(void)
{
    connect_x();
    wm_protocols = atom("WM_PROTOCOLS");
    wm_delete_window = atom("WM_DELETE_WINDOW");
}

/* ------------------------------------------------------------ one run */

#define MAX_WINDOWS 16

struct run
{
    pid_t pid;
    double exec_at;
    double mapped_at;
    double painted_at;
    xcb_window_t windows[MAX_WINDOWS];
    int window_count;
    xcb_window_t shown; /* the first top-level window mapped */
    int x, y, width, height;
    int status;
    long maxrss_kb;
    int exited;
};

static void reap(struct run *run, int options)
{
    if (run->exited)
        return;
    int status;
    struct rusage usage;
    pid_t pid = wait4(run->pid, &status, options, &usage);
    if (pid == run->pid) {
        run->exited = 1;
        run->status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        run->maxrss_kb = usage.ru_maxrss;
    }
}

static void start(struct run *run, char *const argv[], const char *folder)
{
    memset(run, 0, sizeof *run);
    xcb_flush(conn);
    run->exec_at = now_ms();
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

static int known(const struct run *run, xcb_window_t window)
{
    for (int i = 0; i < run->window_count; ++i)
        if (run->windows[i] == window)
            return 1;
    return 0;
}

static void handle(struct run *run, xcb_generic_event_t *event, double at)
{
    const uint8_t type = event->response_type & ~0x80;
    if (type == XCB_CREATE_NOTIFY) {
        xcb_create_notify_event_t *e = (xcb_create_notify_event_t *)event;
        if (e->parent == root && run->window_count < MAX_WINDOWS) {
            run->windows[run->window_count++] = e->window;
            xcb_damage_create(conn, xcb_generate_id(conn), e->window, XCB_DAMAGE_REPORT_LEVEL_RAW_RECTANGLES);
            xcb_flush(conn);
        }
        if (options.trace)
            fprintf(stderr, "%9.3f create 0x%x %dx%d%s\n", at - run->exec_at, e->window, e->width, e->height,
                    e->override_redirect ? " override" : "");
    } else if (type == XCB_MAP_NOTIFY) {
        xcb_map_notify_event_t *e = (xcb_map_notify_event_t *)event;
        if (options.trace)
            fprintf(stderr, "%9.3f map 0x%x\n", at - run->exec_at, e->window);
        if (!run->shown && known(run, e->window) && !e->override_redirect) {
            run->shown = e->window;
            run->mapped_at = at;
        }
    } else if (type == damage_event + XCB_DAMAGE_NOTIFY) {
        xcb_damage_notify_event_t *e = (xcb_damage_notify_event_t *)event;
        if (options.trace)
            fprintf(stderr, "%9.3f damage 0x%x %dx%d+%d+%d\n", at - run->exec_at, e->drawable, e->area.width,
                    e->area.height, e->area.x, e->area.y);
        if (run->shown && e->drawable == run->shown && !run->painted_at)
            run->painted_at = at;
    } else if (type == 0 && options.trace) {
        xcb_generic_error_t *e = (xcb_generic_error_t *)event;
        fprintf(stderr, "%9.3f X error %d (request %d)\n", at - run->exec_at, e->error_code, e->major_code);
    }
}

/* Takes X events until until_ms, or until done(run) holds. */
static void pump(struct run *run, double until_ms, int (*done)(const struct run *))
{
    while (!(done && done(run))) {
        xcb_generic_event_t *event;
        while ((event = xcb_poll_for_event(conn))) {
            handle(run, event, now_ms());
            free(event);
        }
        if (xcb_connection_has_error(conn))
            die("lost the X connection");
        if (done && done(run))
            break;
        const double left = until_ms - now_ms();
        if (left <= 0)
            break;
        reap(run, WNOHANG);
        if (run->exited && done)
            break;
        struct pollfd fd = { xcb_get_file_descriptor(conn), POLLIN, 0 };
        poll(&fd, 1, left < 5 ? (int)left + 1 : 5);
    }
}

static int painted(const struct run *run)
{
    return run->painted_at != 0;
}
static int exited(const struct run *run)
{
    return run->exited;
}

static void locate(struct run *run)
{
    xcb_get_geometry_reply_t *geometry = xcb_get_geometry_reply(conn, xcb_get_geometry(conn, run->shown), NULL);
    xcb_translate_coordinates_reply_t *origin =
            xcb_translate_coordinates_reply(conn, xcb_translate_coordinates(conn, run->shown, root, 0, 0), NULL);
    if (!geometry || !origin)
        die("the window went away");
    run->x = origin->dst_x;
    run->y = origin->dst_y;
    run->width = geometry->width;
    run->height = geometry->height;
    free(geometry);
    free(origin);
}

static void close_window(struct run *run)
{
    xcb_client_message_event_t message;
    memset(&message, 0, sizeof message);
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = run->shown;
    message.type = wm_protocols;
    message.data.data32[0] = wm_delete_window;
    message.data.data32[1] = XCB_CURRENT_TIME;
    xcb_send_event(conn, 0, run->shown, XCB_EVENT_MASK_NO_EVENT, (const char *)&message);
    xcb_flush(conn);
}

static void finish(struct run *run, const char *what)
{
    pump(run, now_ms() + 10000, exited);
    if (!run->exited) {
        fprintf(stderr, "startup-probe: %s did not end; killed\n", what);
        kill(run->pid, SIGKILL);
        reap(run, 0);
    }
}

/* Starts, waits for the first paint, settles, then closes the window. */
static int startup_run(struct run *run, char *const argv[], const char *folder, double settle)
{
    start(run, argv, folder);
    pump(run, run->exec_at + 20000, painted);
    if (!run->painted_at) {
        fprintf(stderr, "startup-probe: %s showed no painted window (%s)\n", argv[0],
                run->exited ? "it ended" : "timed out");
        if (!run->exited)
            kill(run->pid, SIGKILL);
        reap(run, 0);
        return 0;
    }
    pump(run, now_ms() + settle, NULL);
    locate(run);
    close_window(run);
    finish(run, argv[0]);
    return 1;
}

/* ------------------------------------------------------------ figures */

static void row(const char *name, struct series *a, struct series *b)
{
    const double ma = median(a), mb = median(b);
    printf("%-26s %9.2f %9.2f   %9.2f %9.2f   %6.3f\n", name, minimum(a), ma, minimum(b), mb, mb ? ma / mb : 0);
}

static void write_file(const char *path, const char *text)
{
    FILE *file = fopen(path, "wb");
    if (!file || fputs(text, file) < 0 || fclose(file) != 0)
        die("cannot write %s", path);
}

static double read_stamp(const char *path, double deadline)
{
    while (now_ms() < deadline) {
        FILE *file = fopen(path, "r");
        if (file) {
            double value = 0;
            const int ok = fscanf(file, "%lf", &value) == 1;
            fclose(file);
            if (ok)
                return value;
        }
        usleep(200);
    }
    return 0;
}

static void click(int x, int y, double *pressed_at)
{
    xcb_test_fake_input(conn, XCB_MOTION_NOTIFY, 0, XCB_CURRENT_TIME, root, x, y, 0);
    xcb_flush(conn);
    usleep(100 * 1000); /* let the hover highlight come and go before the press */
    /* A round trip: the pointer is there before the clock starts. */
    free(xcb_get_input_focus_reply(conn, xcb_get_input_focus(conn), NULL));
    *pressed_at = now_ms();
    xcb_test_fake_input(conn, XCB_BUTTON_PRESS, 1, XCB_CURRENT_TIME, root, 0, 0, 0);
    xcb_test_fake_input(conn, XCB_BUTTON_RELEASE, 1, XCB_CURRENT_TIME, root, 0, 0, 0);
    xcb_flush(conn);
}

static int own_option(const char *option, const char *value)
{
    if (value && !strcmp(option, "--launch-runs"))
        launch_runs = atoi(value);
    else if (value && !strcmp(option, "--stamp"))
        stamp = value;
    else
        return 0;
    return 2;
}

int main(int argc, char **argv)
{
    const int i = read_options(argc, argv, &options, own_option);
    char **program = argv + i;
    int split = i;
    while (split < argc && strcmp(argv[split], "--"))
        ++split;
    if (!options.folder || !stamp || split == i || split + 1 >= argc)
        die("usage: startup-probe [--runs N] [--launch-runs N] [--settle MS] [--trace] "
            "--folder DIR --stamp STAMP PROGRAM... -- REFERENCE...");
    argv[split] = NULL;
    char **reference = argv + split + 1;

    connect_probe();

    char list_path[4096], saved_list[4096];
    snprintf(list_path, sizeof list_path, "%s/data.txt", options.folder);
    snprintf(saved_list, sizeof saved_list, "%s/data.txt.bench", options.folder);
    if (access(list_path, R_OK) != 0)
        die("%s holds no data.txt", options.folder);

    /* One unmeasured run of each: font caches, the accessibility bus and
     * the page cache are then warm for both alike. */
    struct run run;
    if (!startup_run(&run, program, options.folder, options.settle)
        || !startup_run(&run, reference, options.folder, options.settle))
        die("a warm-up run failed");

    struct series map[2] = { { 0 } }, paint[2] = { { 0 } }, rss[2] = { { 0 } };
    for (int n = 0; n < options.runs; ++n) {
        for (int which = 0; which < 2; ++which) {
            /* Alternate which goes first, so neither always runs on the heels of the other. */
            const int k = (n % 2) ? 1 - which : which;
            char **command = k == 0 ? program : reference;
            if (!startup_run(&run, command, options.folder, options.settle))
                die("run %d of %s failed", n + 1, command[0]);
            if (run.status != 0)
                fprintf(stderr, "startup-probe: %s ended with status %d\n", command[0], run.status);
            add(&map[k], run.mapped_at - run.exec_at);
            add(&paint[k], run.painted_at - run.exec_at);
            add(&rss[k], run.maxrss_kb / 1024.0);
            if (options.trace)
                fprintf(stderr, "%s: mapped %.2f painted %.2f ms, %ld KiB, window %dx%d+%d+%d\n", command[0],
                        run.mapped_at - run.exec_at, run.painted_at - run.exec_at, run.maxrss_kb, run.width, run.height,
                        run.x, run.y);
        }
    }

    printf("start-up, %d runs each      %-21s %-21s %s\n", options.runs, "launcher", "reference", "ratio");
    printf("%-26s %9s %9s   %9s %9s   %6s\n", "", "min", "median", "min", "median", "median");
    row("exec to window mapped (ms)", &map[0], &map[1]);
    row("exec to first paint (ms)", &paint[0], &paint[1]);
    row("peak memory (MiB)", &rss[0], &rss[1]);

    if (launch_runs > 0) {
        /* The close button, the same click on both: what any Qt program
         * takes from a click to the end of its process, against which the
         * launch below can be read. Both windows have their button along the
         * bottom edge. */
        struct series close_exit[2] = { { 0 } };
        for (int n = 0; n < launch_runs; ++n) {
            for (int k = 0; k < 2; ++k) {
                char **command = k == 0 ? program : reference;
                start(&run, command, options.folder);
                pump(&run, run.exec_at + 20000, painted);
                if (!run.painted_at)
                    die("close run %d of %s: no window", n + 1, command[0]);
                pump(&run, now_ms() + options.settle, NULL);
                locate(&run);
                double pressed_at;
                click(run.x + run.width / 2, run.y + run.height - 8, &pressed_at);
                int status;
                struct rusage usage;
                if (wait4(run.pid, &status, 0, &usage) != run.pid)
                    die("wait4: %s", strerror(errno));
                add(&close_exit[k], now_ms() - pressed_at);
                run.exited = 1;
                pump(&run, now_ms() + 20, NULL);
            }
        }
        printf("\nclose button, %d runs each   %-21s %-21s %s\n", launch_runs, "launcher", "reference", "ratio");
        row("press to exit (ms)", &close_exit[0], &close_exit[1]);

        /* The launch: the first item starts STAMP, which notes when it runs. */
        if (rename(list_path, saved_list) != 0)
            die("cannot set %s aside", list_path);
        char out[4096], line[8192], list[9 * 8192] = "";
        snprintf(out, sizeof out, "%s/stamp.out", options.folder);
        snprintf(line, sizeof line, "\"Damga\",\"%s %s\"\r\n", stamp, out);
        for (int k = 0; k < 9; ++k)
            strcat(list, line);
        write_file(list_path, list);

        struct series to_exec = { 0 }, to_exit = { 0 };
        for (int n = 0; n < launch_runs; ++n) {
            unlink(out);
            start(&run, program, options.folder);
            pump(&run, run.exec_at + 20000, painted);
            if (!run.painted_at)
                die("launch run %d: no window", n + 1);
            pump(&run, now_ms() + options.settle, NULL);
            locate(&run);
            /* The first item stands at the top left of the menu bar's first row. */
            double pressed_at;
            click(run.x + 4, run.y + 4, &pressed_at);
            int status;
            struct rusage usage;
            if (wait4(run.pid, &status, 0, &usage) != run.pid)
                die("wait4: %s", strerror(errno));
            const double exited_at = now_ms();
            run.exited = 1;
            const double stamped = read_stamp(out, now_ms() + 5000);
            if (!stamped || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
                die("launch run %d: nothing started or the launcher failed (status %d)", n + 1, status);
            add(&to_exec, stamped - pressed_at);
            add(&to_exit, exited_at - pressed_at);
            /* Events of the gone window must not count for the next run. */
            pump(&run, now_ms() + 20, NULL);
        }
        rename(saved_list, list_path);
        unlink(out);
        printf("\nlaunch item, %d runs          %9s %9s\n", launch_runs, "min", "median");
        printf("%-26s %9.2f %9.2f\n", "press to started exec (ms)", minimum(&to_exec), median(&to_exec));
        printf("%-26s %9.2f %9.2f\n", "press to launcher exit (ms)", minimum(&to_exit), median(&to_exit));
    }
    xcb_disconnect(conn);
    return 0;
}
