/*
 * read_voltage_windows: the host program of read_voltage.c, written for Windows.
 *
 *   read_voltage_windows [IP]        (default 127.0.0.1)
 *
 * It opens a connection to the module, reads its type, name and supply voltage once,
 * polls VOLTAGE and POSITION every 100 ms for one second, and closes.
 *
 * On Windows both callbacks of a connection run on the thread that opened it, while
 * that thread dispatches its window messages. So this program never blocks: it waits
 * by pumping messages (MsgWaitForMultipleObjects, PeekMessage, DispatchMessage), and
 * the callbacks, running inside DispatchMessage on this same thread, need no lock.
 * The RegisterValues record belongs to the library: copy what you need before the
 * callback returns; what else a callback may do is said in the header.
 */
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>

#include "Vorn-KRAVENT_DLLInterface.h"

static int last_event = -1;   /* Com_Event: 0 disconnected, 1 connected, 2 error */
static int answers = 0;       /* answers delivered so far */
static RegisterValues latest; /* copy of the latest answer */

static void VORN_KRAVENT_CALL on_data(RegisterValues *values, ComID com) {
    (void)com;
    latest = *values;
    ++answers;
}

static void VORN_KRAVENT_CALL on_event(int32_t event, ComID com) {
    (void)com;
    last_event = (int)event;
}

/* Dispatches this thread's messages until *counter exceeds `above` or the time runs
 * out; true in the first case. */
static bool pump_until(const int *counter, int above, DWORD milliseconds) {
    const DWORD start = GetTickCount();
    for (;;) {
        MSG message;
        DWORD elapsed;
        while (PeekMessageA(&message, NULL, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        if (*counter > above) return true;
        elapsed = GetTickCount() - start;
        if (elapsed >= milliseconds) return false;
        MsgWaitForMultipleObjects(0, NULL, FALSE, milliseconds - elapsed, QS_ALLINPUT);
    }
}

static int fail(const char *what) {
    char text[512];
    int32_t length = (int32_t)sizeof text;
    Vorn_KRAVENT_GetLastError(text, &length);
    fprintf(stderr, "read_voltage_windows: %s\nlast error: %.*s\n", what, (int)length, text);
    return 1;
}

int main(int argc, char **argv) {
    int32_t ip[4] = {127, 0, 0, 1};
    ComID com = NULL;
    int seen;
    int polled = 0;
    DWORD end;

    if (argc > 1 && sscanf(argv[1], "%d.%d.%d.%d", &ip[0], &ip[1], &ip[2], &ip[3]) != 4) {
        fprintf(stderr, "usage: read_voltage_windows [IP]\n");
        return 2;
    }

    /* True means the UDP type test passed and the TCP connection is on its way. */
    if (!Vorn_KRAVENT_OpenConnection_MAINPORT(ip, on_data, on_event, &com)) return fail("cannot open the connection");
    if (!pump_until(&last_event, -1, 5000) || last_event != 1) {
        Vorn_KRAVENT_CloseConnection(&com);
        return fail("the TCP connection did not come up");
    }

    /* One request for three registers: record them, then trigger the send. */
    Vorn_KRAVENT_Read_TYPE(com);
    Vorn_KRAVENT_Read_MODULENAME(com);
    Vorn_KRAVENT_Read_VOLTAGE(false, com);
    seen = answers;
    if (!Vorn_KRAVENT_SendData_MAINPORT(com) || !pump_until(&answers, seen, 10000)) {
        Vorn_KRAVENT_CloseConnection(&com);
        return fail("no answer to the read request");
    }
    printf("type %d.%d, name %.16s, supply %.2f V\n", (int)latest.TYPE_ValueHigh, (int)latest.TYPE_ValueLow,
           latest.MODULENAME_Text, latest.VOLTAGE_Value);

    /* Polling: the registers join the repetitive set; the library asks every 100 ms. */
    Vorn_KRAVENT_Read_VOLTAGE(true, com);
    Vorn_KRAVENT_Read_POSITION(true, com);
    Vorn_KRAVENT_RepetitiveAskSetTime(100, com);
    Vorn_KRAVENT_RepetitiveAskStart(com);
    end = GetTickCount() + 1000;
    while ((LONG)(end - GetTickCount()) > 0 && last_event == 1) {
        seen = answers;
        if (!pump_until(&answers, seen, 1000)) break;
        printf("poll %2d: VOLTAGE %.2f V, POSITION %d\n", ++polled, latest.VOLTAGE_Value, (int)latest.POSITION_Value);
    }
    Vorn_KRAVENT_RepetitiveAskStop(com);
    Vorn_KRAVENT_RepetitiveAskReset(com);

    Vorn_KRAVENT_CloseConnection(&com); /* Com_Event 0 arrives before this returns */
    if (polled == 0) return fail("no answer while polling");
    return EXIT_SUCCESS;
}
