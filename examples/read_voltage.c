/*
 * read_voltage: a complete host program in C over Vorn-KRAVENT_DLLInterface.
 *
 *   read_voltage [IP]        (default 127.0.0.1, for example `kravent-sim --bind 127.0.0.1`)
 *
 * It opens a connection to the module, reads its type, name and supply voltage once,
 * polls VOLTAGE and POSITION every 100 ms for one second, and closes.
 *
 * Threading model. Register functions only record requests; the answers arrive in
 * the host's callbacks:
 *   - On Linux both callbacks run on library threads (one callback at a time across
 *     all connections): an answer on the sender thread that waits for it, the rest on
 *     one notification thread. This program's main thread therefore waits on a
 *     condition variable that the callbacks signal, with a time limit.
 *   - On Windows the callbacks run on the thread that opened the connection, while
 *     that thread dispatches its window messages. A Windows host waits by pumping
 *     messages (GetMessage/DispatchMessage, or MsgWaitForMultipleObjects) instead of
 *     blocking on a condition variable; if it blocked, no answer would ever arrive.
 * In both cases the RegisterValues record belongs to the library: copy what you need
 * before the callback returns; what else a callback may do is said in the header.
 */
#define _POSIX_C_SOURCE 200809L

#include <pthread.h>
#include <stdio.h>
#include <stdlib.h>
#include <time.h>

#include "Vorn-KRAVENT_DLLInterface.h"

static pthread_mutex_t lock = PTHREAD_MUTEX_INITIALIZER;
static pthread_cond_t changed = PTHREAD_COND_INITIALIZER;
static int last_event = -1;       /* Com_Event: 0 disconnected, 1 connected, 2 error */
static int answers = 0;           /* answers delivered so far */
static RegisterValues latest;     /* copy of the latest answer */

static void on_data(RegisterValues *values, ComID com) {
    (void)com;
    pthread_mutex_lock(&lock);
    latest = *values;
    ++answers;
    pthread_cond_broadcast(&changed);
    pthread_mutex_unlock(&lock);
}

static void on_event(int32_t event, ComID com) {
    (void)com;
    pthread_mutex_lock(&lock);
    last_event = event;
    pthread_cond_broadcast(&changed);
    pthread_mutex_unlock(&lock);
}

static struct timespec deadline_after(long milliseconds) {
    struct timespec t;
    clock_gettime(CLOCK_REALTIME, &t);
    t.tv_sec += milliseconds / 1000;
    t.tv_nsec += (milliseconds % 1000) * 1000000L;
    if (t.tv_nsec >= 1000000000L) {
        t.tv_sec += 1;
        t.tv_nsec -= 1000000000L;
    }
    return t;
}

/* Waits until an answer newer than *seen has arrived and copies it into *values;
 * false at the time limit or when the connection went down. */
static bool wait_for_answer(int *seen, RegisterValues *values, long milliseconds) {
    struct timespec deadline = deadline_after(milliseconds);
    bool ok = true;
    pthread_mutex_lock(&lock);
    while (answers <= *seen && last_event == 1 && ok)
        ok = pthread_cond_timedwait(&changed, &lock, &deadline) == 0;
    ok = answers > *seen;
    if (ok) {
        *seen = answers;
        *values = latest;
    }
    pthread_mutex_unlock(&lock);
    return ok;
}

/* Waits for the outcome of the connection attempt: Com_Event 1 or 2. */
static int wait_for_connection(long milliseconds) {
    struct timespec deadline = deadline_after(milliseconds);
    int event;
    pthread_mutex_lock(&lock);
    while (last_event < 0 && pthread_cond_timedwait(&changed, &lock, &deadline) == 0) {}
    event = last_event;
    pthread_mutex_unlock(&lock);
    return event;
}

static int fail(const char *what) {
    char text[512];
    int32_t length = (int32_t)sizeof text;
    Vorn_KRAVENT_GetLastError(text, &length);
    fprintf(stderr, "read_voltage: %s\nlast error: %.*s\n", what, (int)length, text);
    return 1;
}

int main(int argc, char **argv) {
    int32_t ip[4] = {127, 0, 0, 1};
    ComID com = NULL;
    RegisterValues values;
    int seen = 0;
    int polled = 0;

    if (argc > 1 && sscanf(argv[1], "%d.%d.%d.%d", &ip[0], &ip[1], &ip[2], &ip[3]) != 4) {
        fprintf(stderr, "usage: read_voltage [IP]\n");
        return 2;
    }

    /* True means the UDP type test passed and the TCP connection is on its way. */
    if (!Vorn_KRAVENT_OpenConnection_MAINPORT(ip, on_data, on_event, &com)) return fail("cannot open the connection");
    if (wait_for_connection(5000) != 1) {
        Vorn_KRAVENT_CloseConnection(&com);
        return fail("the TCP connection did not come up");
    }

    /* One request for three registers: record them, then trigger the send. */
    Vorn_KRAVENT_Read_TYPE(com);
    Vorn_KRAVENT_Read_MODULENAME(com);
    Vorn_KRAVENT_Read_VOLTAGE(false, com);
    if (!Vorn_KRAVENT_SendData_MAINPORT(com) || !wait_for_answer(&seen, &values, 10000)) {
        Vorn_KRAVENT_CloseConnection(&com);
        return fail("no answer to the read request");
    }
    printf("type %d.%d, name %.16s, supply %.2f V\n", (int)values.TYPE_ValueHigh, (int)values.TYPE_ValueLow,
           values.MODULENAME_Text, values.VOLTAGE_Value);

    /* Polling: the registers join the repetitive set; the library asks every 100 ms. */
    Vorn_KRAVENT_Read_VOLTAGE(true, com);
    Vorn_KRAVENT_Read_POSITION(true, com);
    Vorn_KRAVENT_RepetitiveAskSetTime(100, com);
    Vorn_KRAVENT_RepetitiveAskStart(com);
    {
        struct timespec end = deadline_after(1000);
        struct timespec now;
        for (;;) {
            clock_gettime(CLOCK_REALTIME, &now);
            if (now.tv_sec > end.tv_sec || (now.tv_sec == end.tv_sec && now.tv_nsec >= end.tv_nsec)) break;
            if (!wait_for_answer(&seen, &values, 1000)) break;
            printf("poll %2d: VOLTAGE %.2f V, POSITION %d\n", ++polled, values.VOLTAGE_Value, (int)values.POSITION_Value);
        }
    }
    Vorn_KRAVENT_RepetitiveAskStop(com);
    Vorn_KRAVENT_RepetitiveAskReset(com);

    Vorn_KRAVENT_CloseConnection(&com); /* Com_Event 0 arrives before this returns */
    if (polled == 0) return fail("no answer while polling");
    return EXIT_SUCCESS;
}
