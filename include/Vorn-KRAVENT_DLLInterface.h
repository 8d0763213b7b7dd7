/*
 * Vorn-KRAVENT_DLLInterface: the host interface of the KRAVENT module library.
 *
 * A host finds KRAVENT DC-motor modules on its network, changes a module's IP
 * address by its MAC address, opens a TCP connection to a module's main port and
 * reads and writes the module's registers through asynchronous requests.
 *
 * Result convention: every function returning bool returns true when the request
 * was accepted and false after a failure; the failure's message is then the
 * library-wide last-error text (Vorn_KRAVENT_GetLastError) and a record of the
 * error log file "Error_Vorn-KRAVENT_DLLInterface.log". On Windows the file lies
 * beside the DLL. On Linux it lies in the directory that the environment variable
 * VORN_KRAVENT_LOG_DIR names, when set; else beside the shared library when that
 * directory is writable; else in $XDG_STATE_HOME/Vorn-KRAVENT_DLLInterface (or
 * ~/.local/state/Vorn-KRAVENT_DLLInterface without XDG_STATE_HOME).
 *
 * Threads: register functions only record requests; Vorn_KRAVENT_SendData_MAINPORT
 * has them sent by the connection's sender thread. Answers arrive through the
 * host's Data_Received_MAINPORT callback and socket events through Com_Event.
 *   - Windows: both callbacks run on the thread that opened the connection, while
 *     it dispatches its window messages (it must keep dispatching); the error and
 *     closed events of a send that fails run on the sending thread.
 *   - Linux: the callbacks run on library threads, one at a time across all
 *     connections, and those of one connection in the order the socket produced
 *     them. An answer that a sender thread waits for is received and delivered by
 *     that sender thread itself; everything else (connect, close, errors, bytes
 *     that come while no sender waits) by one library-wide notification thread.
 *     The error and closed events of a send that fails run on the sending thread.
 *     Copy what you need from the RegisterValues record before the callback
 *     returns.
 *
 * Usable from C (C89 with <stdint.h> and <stdbool.h>, C99 and later) and C++ (C++98
 * and later).
 */
#ifndef VORN_KRAVENT_DLLINTERFACE_H
#define VORN_KRAVENT_DLLINTERFACE_H

#include <stddef.h>
#include <stdint.h>
#ifndef __cplusplus
#include <stdbool.h>
#endif

/* The C calling convention of the platform (cdecl on 32-bit Windows). */
#if defined(_WIN32)
#define VORN_KRAVENT_CALL __cdecl
#else
#define VORN_KRAVENT_CALL
#endif

#ifndef VORN_KRAVENT_API
#define VORN_KRAVENT_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* The handle of one open connection, an opaque value (not an address); NULL means no
 * connection. A handle that has been closed is refused like NULL, also once later
 * opens have followed (on a 32-bit system, for 2^32 opens at least). */
typedef void *ComID;

/* Values of Com_Event and of Vorn_KRAVENT_GetStateCommunication. */
enum {
    VORN_KRAVENT_STATE_NOT_CONNECTED = 0,
    VORN_KRAVENT_STATE_CONNECTED = 1,
    VORN_KRAVENT_STATE_ERROR = 2,
    VORN_KRAVENT_STATE_CONNECTING = 3,
    VORN_KRAVENT_STATE_CLOSING = 4
};

/*
 * The module's register values as last received, handed to Data_Received_MAINPORT.
 * Layout is part of the binary interface (offsets in comments). A _Received flag is
 * true when the register's value arrived in the current exchange; a _Written flag
 * is true when the last assembled request wrote that register or ran that command.
 */
typedef struct RegisterValues {
    int32_t TYPE_ValueHigh;                     /*   0 */
    int32_t TYPE_ValueLow;                      /*   4 */
    bool TYPE_Received;                         /*   8 */
    int32_t VERSION_ValueHigh;                  /*  12 */
    int32_t VERSION_ValueLow;                   /*  16 */
    bool VERSION_Received;                      /*  20 */
    bool RESETCPU_Written;                      /*  21 */
    bool SAVEUSERPARAMETERS_Written;            /*  22 */
    bool RESTOREUSERPARAMETERS_Written;         /*  23 */
    bool RESTOREFACTORYPARAMETERS_Written;      /*  24 */
    bool SAVEFACTORYPARAMETERS_Written;         /*  25 */
    float VOLTAGE_Value;                        /*  28 */
    bool VOLTAGE_Received;                      /*  32 */
    bool WARNINGS_Bits[32];                     /*  33 */
    bool WARNINGS_Received;                     /*  65 */
    bool WARNINGS_Written;                      /*  66 */
    bool COMMUNICATIONOPTIONS_Bits[32];         /*  67 */
    bool COMMUNICATIONOPTIONS_Received;         /*  99 */
    bool COMMUNICATIONOPTIONS_Written;          /* 100 */
    int32_t ETHERNETMAC_Bytes[6];               /* 104 */
    bool ETHERNETMAC_Received;                  /* 128 */
    int32_t IPADDRESS_Bytes[4];                 /* 132 */
    bool IPADDRESS_Received;                    /* 148 */
    bool IPADDRESS_Written;                     /* 149 */
    int32_t SUBNETMASK_Bytes[4];                /* 152 */
    bool SUBNETMASK_Received;                   /* 168 */
    bool SUBNETMASK_Written;                    /* 169 */
    int32_t TCPTIMEOUT_Value;                   /* 172 */
    bool TCPTIMEOUT_Received;                   /* 176 */
    bool TCPTIMEOUT_Written;                    /* 177 */
    char MODULENAME_Text[16];                   /* 178 */
    bool MODULENAME_Received;                   /* 194 */
    bool MODULENAME_Written;                    /* 195 */
    int32_t TCPCONNECTIONSOPENED_Value;         /* 196 */
    bool TCPCONNECTIONSOPENED_Received;         /* 200 */
    int32_t REGULATIONMODE_Value;               /* 204 */
    bool REGULATIONMODE_Received;               /* 208 */
    bool REGULATIONMODE_Written;                /* 209 */
    int32_t INPUT_Value;                        /* 212 */
    bool INPUT_Received;                        /* 216 */
    bool INPUT_Written;                         /* 217 */
    bool INPUTOFFSET_Written;                   /* 218 */
    bool INPUTOFFSETMEASURED_Written;           /* 219 */
    int32_t INPUTMIN_Value;                     /* 220 */
    bool INPUTMIN_Received;                     /* 224 */
    bool INPUTMIN_Written;                      /* 225 */
    int32_t INPUTMAX_Value;                     /* 228 */
    bool INPUTMAX_Received;                     /* 232 */
    bool INPUTMAX_Written;                      /* 233 */
    int32_t POSITION_Value;                     /* 236 */
    bool POSITION_Received;                     /* 240 */
    bool POSITION_Written;                      /* 241 */
    bool POSITIONOFFSET_Written;                /* 242 */
    int32_t SPEED_Value;                        /* 244 */
    bool SPEED_Received;                        /* 248 */
    float CURRENTMAX_Value;                     /* 252 */
    bool CURRENTMAX_Received;                   /* 256 */
    bool CURRENTMAX_Written;                    /* 257 */
    bool OPTIONS_Bits[32];                      /* 258 */
    bool OPTIONS_Received;                      /* 290 */
    bool OPTIONS_Written;                       /* 291 */
    int32_t LOOPTIME_Value;                     /* 292 */
    bool LOOPTIME_Received;                     /* 296 */
    bool LOOPTIME_Written;                      /* 297 */
    float OUPUTVOLTAGEMAX_Value;                /* 300 */
    bool OUPUTVOLTAGEMAX_Received;              /* 304 */
    bool OUPUTVOLTAGEMAX_Written;               /* 305 */
    int32_t DESIRED_Value;                      /* 308 */
    bool DESIRED_Received;                      /* 312 */
    int32_t FEEDBACK_Value;                     /* 316 */
    bool FEEDBACK_Received;                     /* 320 */
    int32_t COMMAND_Value;                      /* 324 */
    bool COMMAND_Received;                      /* 328 */
    float KP_Value;                             /* 332 */
    bool KP_Received;                           /* 336 */
    bool KP_Written;                            /* 337 */
    float KI_Value;                             /* 340 */
    bool KI_Received;                           /* 344 */
    bool KI_Written;                            /* 345 */
    float KD_Value;                             /* 348 */
    bool KD_Received;                           /* 352 */
    bool KD_Written;                            /* 353 */
    int32_t ANTIRESETWINDUP_Value;              /* 356 */
    bool ANTIRESETWINDUP_Received;              /* 360 */
    bool ANTIRESETWINDUP_Written;               /* 361 */
    int32_t INTEGRALDELTA_Value;                /* 364 */
    bool INTEGRALDELTA_Received;                /* 368 */
    bool INTEGRALDELTA_Written;                 /* 369 */
    int32_t DERIVATIONOFDELTA_Value;            /* 372 */
    bool DERIVATIONOFDELTA_Received;            /* 376 */
    int32_t ACCELERATION_Value;                 /* 380 */
    bool ACCELERATION_Received;                 /* 384 */
    bool ACCELERATION_Written;                  /* 385 */
    int32_t DECELERATION_Value;                 /* 388 */
    bool DECELERATION_Received;                 /* 392 */
    bool DECELERATION_Written;                  /* 393 */
    int32_t TOPSPEED_Value;                     /* 396 */
    bool TOPSPEED_Received;                     /* 400 */
    bool TOPSPEED_Written;                      /* 401 */
    int32_t DEADZONE_Value;                     /* 404 */
    bool DEADZONE_Received;                     /* 408 */
    bool DEADZONE_Written;                      /* 409 */
    int32_t HOMINGOPTIONS_HomingNibble0;        /* 412 */
    bool HOMINGOPTIONS_HomingBit7;              /* 416 */
    int32_t HOMINGOPTIONS_HomingNibble2;        /* 420 */
    int32_t HOMINGOPTIONS_HomingNibble3;        /* 424 */
    int32_t HOMINGOPTIONS_HomingNibble4;        /* 428 */
    int32_t HOMINGOPTIONS_HomingNibble5;        /* 432 */
    bool HOMINGOPTIONS_Received;                /* 436 */
    bool HOMINGOPTIONS_Written;                 /* 437 */
    bool HOMING_Written;                        /* 438 */
    bool STOPHOMING_Written;                    /* 439 */
    int32_t HOMINGPOSITION_Value;               /* 440 */
    bool HOMINGPOSITION_Received;               /* 444 */
    bool HOMINGPOSITION_Written;                /* 445 */
    int32_t HOMINGINPUT_Value;                  /* 448 */
    bool HOMINGINPUT_Received;                  /* 452 */
    bool HOMINGINPUT_Written;                   /* 453 */
    int32_t LIMIT1SETUP_Value;                  /* 456 */
    bool LIMIT1SETUP_Received;                  /* 460 */
    bool LIMIT1SETUP_Written;                   /* 461 */
    int32_t LIMIT1REGULATIONMODE_Value;         /* 464 */
    bool LIMIT1REGULATIONMODE_Received;         /* 468 */
    bool LIMIT1REGULATIONMODE_Written;          /* 469 */
    int32_t LIMIT1POSITION_Value;               /* 472 */
    bool LIMIT1POSITION_Received;               /* 476 */
    bool LIMIT1POSITION_Written;                /* 477 */
    int32_t LIMIT1XINPUT_Value;                 /* 480 */
    bool LIMIT1XINPUT_Received;                 /* 484 */
    bool LIMIT1XINPUT_Written;                  /* 485 */
    int32_t LIMIT2SETUP_Value;                  /* 488 */
    bool LIMIT2SETUP_Received;                  /* 492 */
    bool LIMIT2SETUP_Written;                   /* 493 */
    int32_t LIMIT2REGULATIONMODE_Value;         /* 496 */
    bool LIMIT2REGULATIONMODE_Received;         /* 500 */
    bool LIMIT2REGULATIONMODE_Written;          /* 501 */
    int32_t LIMIT2POSITION_Value;               /* 504 */
    bool LIMIT2POSITION_Received;               /* 508 */
    bool LIMIT2POSITION_Written;                /* 509 */
    int32_t LIMIT2XINPUT_Value;                 /* 512 */
    bool LIMIT2XINPUT_Received;                 /* 516 */
    bool LIMIT2XINPUT_Written;                  /* 517 */
    uint8_t Reserved[2];                        /* 518 */
} RegisterValues;

/* One module found by Vorn_KRAVENT_ScanNetwork (72 bytes). */
typedef struct ModuleScanRecord {
    int32_t TypeHigh;                           /*   0 */
    int32_t TypeLow;                            /*   4 */
    int32_t VersionHigh;                        /*   8 */
    int32_t VersionLow;                         /*  12 */
    int32_t ModuleMac[6];                       /*  16 */
    int32_t ModuleIP[4];                        /*  40: address the answer came from */
    char ModuleName[16];                        /*  56: no terminating zero */
} ModuleScanRecord;

/*
 * Host callbacks. Com is the handle that the open wrote into the host's variable; it is
 * there before any callback of that connection runs.
 *
 * Data_Received_MAINPORT: the answer to an exchange, once whole, or a frame that answers
 * none (a late answer, a copy), whose _Received flags then show just that frame. Values
 * points to the connection's own record: it stays readable while the connection is
 * open, and its contents change with the next call.
 *
 * Com_Event: 1 connected, 2 socket error, 0 disconnected. A close of a connected
 * connection raises 0 on the closing thread, before Vorn_KRAVENT_CloseConnection
 * returns (after a close from inside a callback: once that callback has returned);
 * Com is closed already then.
 *
 * Inside either callback a host may:
 *   - call any function that takes a ComID, for any connection: each records a request
 *     or signals a thread and returns at once. The next send may be triggered
 *     (Vorn_KRAVENT_SendData_MAINPORT) from inside the Data_Received_MAINPORT that
 *     delivers the answer to the last one.
 *   - close the connection of the callback (Vorn_KRAVENT_CloseConnection on the host's
 *     variable): the variable is NULL and the handle refused at once, and the
 *     connection is destroyed when the callback returns. Closing another connection
 *     waits until its sender threads have stopped (at most a send under way).
 *   - call Vorn_KRAVENT_GetLastError and Vorn_KRAVENT_VersionDLL.
 * What blocks: a callback holds up every later notification of its thread (on Linux,
 * of every connection), and the sender of an exchange waits until the
 * Data_Received_MAINPORT of its answer has returned (3000 ms at the most; then it
 * reports a time-out). A callback must therefore not wait for an answer or an event
 * of any connection: it can only come once the callback has returned. An open, a scan
 * and an address change wait for UDP answers, for seconds at the most, and hold
 * everything up as long.
 */
typedef void(VORN_KRAVENT_CALL *Data_Received_MAINPORT_Callback)(RegisterValues *Values, ComID Com);
typedef void(VORN_KRAVENT_CALL *Com_Event_Callback)(int32_t Event, ComID Com);

/* Network services (UDP port 7010); no connection needed.
 * Vorn_KRAVENT_ScanNetwork collects answers until none has come for 200 ms, and for
 * 5 seconds at the most, so that a peer that keeps answering cannot hold the caller.
 * It returns the number of modules that answered (only the first Capacity of them are
 * stored). Scans, address changes and opens may run on several threads at once; none
 * waits for another. */
VORN_KRAVENT_API int32_t VORN_KRAVENT_CALL Vorn_KRAVENT_ScanNetwork(ModuleScanRecord *Modules, int32_t Capacity);
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_ChangeIPAddress(const int32_t *MacAddress, const int32_t *IPAddress,
                                                                    const int32_t *SubnetMaskAddress);

/* Connection to a module's main port (TCP 8010). */
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_OpenConnection_MAINPORT(const int32_t *IP,
                                                                            Data_Received_MAINPORT_Callback DataReceived,
                                                                            Com_Event_Callback ComEvent, ComID *Handle);
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_CloseConnection(ComID *Handle);
VORN_KRAVENT_API int32_t VORN_KRAVENT_CALL Vorn_KRAVENT_GetStateCommunication(ComID Com);

/* Register functions: each records one request for the next Vorn_KRAVENT_SendData_MAINPORT. */
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Read_TYPE(ComID Com);
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Read_VERSION(ComID Com);
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Write_RESETCPU(ComID Com);
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Write_SAVEUSERPARAMETERS(ComID Com);
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Write_RESTOREUSERPARAMETERS(ComID Com);
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Write_RESTOREFACTORYPARAMETERS(ComID Com);
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Write_SAVEFACTORYPARAMETERS(ComID Com);
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Read_VOLTAGE(bool Repetitive, ComID Com);
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Read_WARNINGS(bool Repetitive, ComID Com);
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Reset_WARNINGS(ComID Com);
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Read_COMMUNICATIONOPTIONS(ComID Com);
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Write_COMMUNICATIONOPTIONS(const uint8_t *ComOpt, ComID Com);
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Read_ETHERNETMAC(ComID Com);
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Read_IPADDRESS(ComID Com);
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Write_IPADDRESS(const int32_t *IPAdd, ComID Com);
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Read_SUBNETMASK(ComID Com);
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Write_SUBNETMASK(const int32_t *SubnetMask, ComID Com);
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Read_TCPTIMEOUT(ComID Com);
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Write_TCPTIMEOUT(int32_t Value, ComID Com);
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Read_MODULENAME(ComID Com);
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Write_MODULENAME(const char *Name, ComID Com);
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Read_TCPCONNECTIONSOPENED(ComID Com);
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Read_REGULATIONMODE(bool Repetitive, ComID Com);
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Write_REGULATIONMODE(int32_t Value, ComID Com);
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Read_INPUT(bool Repetitive, ComID Com);
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Write_INPUT(int32_t Value, ComID Com);
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Write_INPUTOFFSET(int32_t Value, ComID Com);
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Write_INPUTOFFSETMEASURED(int32_t Value, ComID Com);
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Read_INPUTMIN(ComID Com);
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Write_INPUTMIN(int32_t Value, ComID Com);
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Read_INPUTMAX(ComID Com);
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Write_INPUTMAX(int32_t Value, ComID Com);
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Read_POSITION(bool Repetitive, ComID Com);
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Write_POSITION(int32_t Value, ComID Com);
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Write_POSITIONOFFSET(int32_t Value, ComID Com);
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Read_SPEED(bool Repetitive, ComID Com);
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Read_CURRENTMAX(ComID Com);
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Write_CURRENTMAX(float Value, ComID Com);
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Read_OPTIONS(ComID Com);
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Write_OPTIONS(const uint8_t *Options, ComID Com);
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Read_LOOPTIME(ComID Com);
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Write_LOOPTIME(int32_t Value, ComID Com);
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Read_OUPUTVOLTAGEMAX(ComID Com);
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Write_OUPUTVOLTAGEMAX(float Value, ComID Com);
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Read_DESIRED(bool Repetitive, ComID Com);
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Read_FEEDBACK(bool Repetitive, ComID Com);
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Read_COMMAND(bool Repetitive, ComID Com);
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Read_KP(ComID Com);
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Write_KP(float Value, ComID Com);
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Read_KI(ComID Com);
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Write_KI(float Value, ComID Com);
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Read_KD(ComID Com);
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Write_KD(float Value, ComID Com);
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Read_ANTIRESETWINDUP(ComID Com);
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Write_ANTIRESETWINDUP(int32_t Value, ComID Com);
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Read_INTEGRALDELTA(bool Repetitive, ComID Com);
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Write_INTEGRALDELTA(int32_t Value, ComID Com);
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Read_DERIVATIONOFDELTA(bool Repetitive, ComID Com);
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Read_ACCELERATION(ComID Com);
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Write_ACCELERATION(int32_t Value, ComID Com);
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Read_DECELERATION(ComID Com);
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Write_DECELERATION(int32_t Value, ComID Com);
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Read_TOPSPEED(ComID Com);
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Write_TOPSPEED(int32_t Value, ComID Com);
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Read_DEADZONE(ComID Com);
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Write_DEADZONE(int32_t Value, ComID Com);
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Read_HOMINGOPTIONS(ComID Com);
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Write_HOMINGOPTIONS(int32_t HomingNibble0, bool HomingBit7, int32_t HomingNibble2,
                                                          int32_t HomingNibble3, int32_t HomingNibble4, int32_t HomingNibble5, ComID Com);
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Write_HOMING(ComID Com);
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Write_STOPHOMING(ComID Com);
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Read_HOMINGPOSITION(ComID Com);
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Write_HOMINGPOSITION(int32_t Value, ComID Com);
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Read_HOMINGINPUT(ComID Com);
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Write_HOMINGINPUT(int32_t Value, ComID Com);
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Read_LIMIT1SETUP(ComID Com);
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Write_LIMIT1SETUP(int32_t Value, ComID Com);
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Read_LIMIT1REGULATIONMODE(ComID Com);
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Write_LIMIT1REGULATIONMODE(int32_t Value, ComID Com);
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Read_LIMIT1POSITION(ComID Com);
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Write_LIMIT1POSITION(int32_t Value, ComID Com);
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Read_LIMIT1XINPUT(ComID Com);
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Write_LIMIT1XINPUT(int32_t Value, ComID Com);
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Read_LIMIT2SETUP(ComID Com);
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Write_LIMIT2SETUP(int32_t Value, ComID Com);
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Read_LIMIT2REGULATIONMODE(ComID Com);
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Write_LIMIT2REGULATIONMODE(int32_t Value, ComID Com);
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Read_LIMIT2POSITION(ComID Com);
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Write_LIMIT2POSITION(int32_t Value, ComID Com);
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Read_LIMIT2XINPUT(ComID Com);
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Write_LIMIT2XINPUT(int32_t Value, ComID Com);

/* Send trigger and polling. */
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Read_AllRegister(ComID Com);
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_ResetAllRegisterRead(ComID Com);
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_SendData_MAINPORT(ComID Com);
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_RepetitiveAskStart(ComID Com);
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_RepetitiveAskStop(ComID Com);
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_RepetitiveAskSetTime(int32_t TimeMiliSec, ComID Com);
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_RepetitiveAskReset(ComID Com);

/* Library information. Texts are copied without a terminating zero: *Length holds the
 * buffer's capacity on entry and receives the text's length when the whole text fits. */
VORN_KRAVENT_API void VORN_KRAVENT_CALL Vorn_KRAVENT_VersionDLL(char *Buffer, int32_t *Length);
VORN_KRAVENT_API void VORN_KRAVENT_CALL Vorn_KRAVENT_GetLastError(char *Buffer, int32_t *Length);

#ifdef __cplusplus
}
#endif

/* Layout checks: the records are read by hosts as structures. Languages with a static
 * assertion use it; older ones (C89, C99, C++98) get an array type whose size turns
 * negative when a check fails, one name per line. */
#if defined(__cplusplus) && (__cplusplus >= 201103L || (defined(_MSVC_LANG) && _MSVC_LANG >= 201103L))
#define VORN_KRAVENT_STATIC_ASSERT(cond, msg) static_assert(cond, msg)
#elif !defined(__cplusplus) && defined(__STDC_VERSION__) && __STDC_VERSION__ >= 201112L
#define VORN_KRAVENT_STATIC_ASSERT(cond, msg) _Static_assert(cond, msg)
#else
#define VORN_KRAVENT_JOIN_(a, b) a##b
#define VORN_KRAVENT_JOIN(a, b) VORN_KRAVENT_JOIN_(a, b)
#define VORN_KRAVENT_STATIC_ASSERT(cond, msg) \
    typedef char VORN_KRAVENT_JOIN(vorn_kravent_layout_check_, __LINE__)[(cond) ? 1 : -1]
#endif
#define VORN_KRAVENT_CHECK_OFFSET(type, field, offset) \
    VORN_KRAVENT_STATIC_ASSERT(offsetof(type, field) == (offset), #type "." #field " must lie at offset " #offset)

VORN_KRAVENT_STATIC_ASSERT(sizeof(bool) == 1, "booleans are one byte");
VORN_KRAVENT_STATIC_ASSERT(sizeof(RegisterValues) == 520, "RegisterValues is 520 bytes");
VORN_KRAVENT_STATIC_ASSERT(sizeof(ModuleScanRecord) == 72, "ModuleScanRecord is 72 bytes");
VORN_KRAVENT_CHECK_OFFSET(RegisterValues, TYPE_ValueHigh, 0);
VORN_KRAVENT_CHECK_OFFSET(RegisterValues, TYPE_ValueLow, 4);
VORN_KRAVENT_CHECK_OFFSET(RegisterValues, TYPE_Received, 8);
VORN_KRAVENT_CHECK_OFFSET(RegisterValues, VERSION_ValueHigh, 12);
VORN_KRAVENT_CHECK_OFFSET(RegisterValues, VERSION_ValueLow, 16);
VORN_KRAVENT_CHECK_OFFSET(RegisterValues, VERSION_Received, 20);
VORN_KRAVENT_CHECK_OFFSET(RegisterValues, RESETCPU_Written, 21);
VORN_KRAVENT_CHECK_OFFSET(RegisterValues, SAVEUSERPARAMETERS_Written, 22);
VORN_KRAVENT_CHECK_OFFSET(RegisterValues, RESTOREUSERPARAMETERS_Written, 23);
VORN_KRAVENT_CHECK_OFFSET(RegisterValues, RESTOREFACTORYPARAMETERS_Written, 24);
VORN_KRAVENT_CHECK_OFFSET(RegisterValues, SAVEFACTORYPARAMETERS_Written, 25);
VORN_KRAVENT_CHECK_OFFSET(RegisterValues, VOLTAGE_Value, 28);
VORN_KRAVENT_CHECK_OFFSET(RegisterValues, VOLTAGE_Received, 32);
VORN_KRAVENT_CHECK_OFFSET(RegisterValues, WARNINGS_Bits, 33);
VORN_KRAVENT_CHECK_OFFSET(RegisterValues, WARNINGS_Received, 65);
VORN_KRAVENT_CHECK_OFFSET(RegisterValues, WARNINGS_Written, 66);
VORN_KRAVENT_CHECK_OFFSET(RegisterValues, COMMUNICATIONOPTIONS_Bits, 67);
VORN_KRAVENT_CHECK_OFFSET(RegisterValues, COMMUNICATIONOPTIONS_Received, 99);
VORN_KRAVENT_CHECK_OFFSET(RegisterValues, COMMUNICATIONOPTIONS_Written, 100);
VORN_KRAVENT_CHECK_OFFSET(RegisterValues, ETHERNETMAC_Bytes, 104);
VORN_KRAVENT_CHECK_OFFSET(RegisterValues, ETHERNETMAC_Received, 128);
VORN_KRAVENT_CHECK_OFFSET(RegisterValues, IPADDRESS_Bytes, 132);
VORN_KRAVENT_CHECK_OFFSET(RegisterValues, IPADDRESS_Received, 148);
VORN_KRAVENT_CHECK_OFFSET(RegisterValues, IPADDRESS_Written, 149);
VORN_KRAVENT_CHECK_OFFSET(RegisterValues, SUBNETMASK_Bytes, 152);
VORN_KRAVENT_CHECK_OFFSET(RegisterValues, SUBNETMASK_Received, 168);
VORN_KRAVENT_CHECK_OFFSET(RegisterValues, SUBNETMASK_Written, 169);
VORN_KRAVENT_CHECK_OFFSET(RegisterValues, TCPTIMEOUT_Value, 172);
VORN_KRAVENT_CHECK_OFFSET(RegisterValues, TCPTIMEOUT_Received, 176);
VORN_KRAVENT_CHECK_OFFSET(RegisterValues, TCPTIMEOUT_Written, 177);
VORN_KRAVENT_CHECK_OFFSET(RegisterValues, MODULENAME_Text, 178);
VORN_KRAVENT_CHECK_OFFSET(RegisterValues, MODULENAME_Received, 194);
VORN_KRAVENT_CHECK_OFFSET(RegisterValues, MODULENAME_Written, 195);
VORN_KRAVENT_CHECK_OFFSET(RegisterValues, TCPCONNECTIONSOPENED_Value, 196);
VORN_KRAVENT_CHECK_OFFSET(RegisterValues, TCPCONNECTIONSOPENED_Received, 200);
VORN_KRAVENT_CHECK_OFFSET(RegisterValues, REGULATIONMODE_Value, 204);
VORN_KRAVENT_CHECK_OFFSET(RegisterValues, REGULATIONMODE_Received, 208);
VORN_KRAVENT_CHECK_OFFSET(RegisterValues, REGULATIONMODE_Written, 209);
VORN_KRAVENT_CHECK_OFFSET(RegisterValues, INPUT_Value, 212);
VORN_KRAVENT_CHECK_OFFSET(RegisterValues, INPUT_Received, 216);
VORN_KRAVENT_CHECK_OFFSET(RegisterValues, INPUT_Written, 217);
VORN_KRAVENT_CHECK_OFFSET(RegisterValues, INPUTOFFSET_Written, 218);
VORN_KRAVENT_CHECK_OFFSET(RegisterValues, INPUTOFFSETMEASURED_Written, 219);
VORN_KRAVENT_CHECK_OFFSET(RegisterValues, INPUTMIN_Value, 220);
VORN_KRAVENT_CHECK_OFFSET(RegisterValues, INPUTMIN_Received, 224);
VORN_KRAVENT_CHECK_OFFSET(RegisterValues, INPUTMIN_Written, 225);
VORN_KRAVENT_CHECK_OFFSET(RegisterValues, INPUTMAX_Value, 228);
VORN_KRAVENT_CHECK_OFFSET(RegisterValues, INPUTMAX_Received, 232);
VORN_KRAVENT_CHECK_OFFSET(RegisterValues, INPUTMAX_Written, 233);
VORN_KRAVENT_CHECK_OFFSET(RegisterValues, POSITION_Value, 236);
VORN_KRAVENT_CHECK_OFFSET(RegisterValues, POSITION_Received, 240);
VORN_KRAVENT_CHECK_OFFSET(RegisterValues, POSITION_Written, 241);
VORN_KRAVENT_CHECK_OFFSET(RegisterValues, POSITIONOFFSET_Written, 242);
VORN_KRAVENT_CHECK_OFFSET(RegisterValues, SPEED_Value, 244);
VORN_KRAVENT_CHECK_OFFSET(RegisterValues, SPEED_Received, 248);
VORN_KRAVENT_CHECK_OFFSET(RegisterValues, CURRENTMAX_Value, 252);
VORN_KRAVENT_CHECK_OFFSET(RegisterValues, CURRENTMAX_Received, 256);
VORN_KRAVENT_CHECK_OFFSET(RegisterValues, CURRENTMAX_Written, 257);
VORN_KRAVENT_CHECK_OFFSET(RegisterValues, OPTIONS_Bits, 258);
VORN_KRAVENT_CHECK_OFFSET(RegisterValues, OPTIONS_Received, 290);
VORN_KRAVENT_CHECK_OFFSET(RegisterValues, OPTIONS_Written, 291);
VORN_KRAVENT_CHECK_OFFSET(RegisterValues, LOOPTIME_Value, 292);
VORN_KRAVENT_CHECK_OFFSET(RegisterValues, LOOPTIME_Received, 296);
VORN_KRAVENT_CHECK_OFFSET(RegisterValues, LOOPTIME_Written, 297);
VORN_KRAVENT_CHECK_OFFSET(RegisterValues, OUPUTVOLTAGEMAX_Value, 300);
VORN_KRAVENT_CHECK_OFFSET(RegisterValues, OUPUTVOLTAGEMAX_Received, 304);
VORN_KRAVENT_CHECK_OFFSET(RegisterValues, OUPUTVOLTAGEMAX_Written, 305);
VORN_KRAVENT_CHECK_OFFSET(RegisterValues, DESIRED_Value, 308);
VORN_KRAVENT_CHECK_OFFSET(RegisterValues, DESIRED_Received, 312);
VORN_KRAVENT_CHECK_OFFSET(RegisterValues, FEEDBACK_Value, 316);
VORN_KRAVENT_CHECK_OFFSET(RegisterValues, FEEDBACK_Received, 320);
VORN_KRAVENT_CHECK_OFFSET(RegisterValues, COMMAND_Value, 324);
VORN_KRAVENT_CHECK_OFFSET(RegisterValues, COMMAND_Received, 328);
VORN_KRAVENT_CHECK_OFFSET(RegisterValues, KP_Value, 332);
VORN_KRAVENT_CHECK_OFFSET(RegisterValues, KP_Received, 336);
VORN_KRAVENT_CHECK_OFFSET(RegisterValues, KP_Written, 337);
VORN_KRAVENT_CHECK_OFFSET(RegisterValues, KI_Value, 340);
VORN_KRAVENT_CHECK_OFFSET(RegisterValues, KI_Received, 344);
VORN_KRAVENT_CHECK_OFFSET(RegisterValues, KI_Written, 345);
VORN_KRAVENT_CHECK_OFFSET(RegisterValues, KD_Value, 348);
VORN_KRAVENT_CHECK_OFFSET(RegisterValues, KD_Received, 352);
VORN_KRAVENT_CHECK_OFFSET(RegisterValues, KD_Written, 353);
VORN_KRAVENT_CHECK_OFFSET(RegisterValues, ANTIRESETWINDUP_Value, 356);
VORN_KRAVENT_CHECK_OFFSET(RegisterValues, ANTIRESETWINDUP_Received, 360);
VORN_KRAVENT_CHECK_OFFSET(RegisterValues, ANTIRESETWINDUP_Written, 361);
VORN_KRAVENT_CHECK_OFFSET(RegisterValues, INTEGRALDELTA_Value, 364);
VORN_KRAVENT_CHECK_OFFSET(RegisterValues, INTEGRALDELTA_Received, 368);
VORN_KRAVENT_CHECK_OFFSET(RegisterValues, INTEGRALDELTA_Written, 369);
VORN_KRAVENT_CHECK_OFFSET(RegisterValues, DERIVATIONOFDELTA_Value, 372);
VORN_KRAVENT_CHECK_OFFSET(RegisterValues, DERIVATIONOFDELTA_Received, 376);
VORN_KRAVENT_CHECK_OFFSET(RegisterValues, ACCELERATION_Value, 380);
VORN_KRAVENT_CHECK_OFFSET(RegisterValues, ACCELERATION_Received, 384);
VORN_KRAVENT_CHECK_OFFSET(RegisterValues, ACCELERATION_Written, 385);
VORN_KRAVENT_CHECK_OFFSET(RegisterValues, DECELERATION_Value, 388);
VORN_KRAVENT_CHECK_OFFSET(RegisterValues, DECELERATION_Received, 392);
VORN_KRAVENT_CHECK_OFFSET(RegisterValues, DECELERATION_Written, 393);
VORN_KRAVENT_CHECK_OFFSET(RegisterValues, TOPSPEED_Value, 396);
VORN_KRAVENT_CHECK_OFFSET(RegisterValues, TOPSPEED_Received, 400);
VORN_KRAVENT_CHECK_OFFSET(RegisterValues, TOPSPEED_Written, 401);
VORN_KRAVENT_CHECK_OFFSET(RegisterValues, DEADZONE_Value, 404);
VORN_KRAVENT_CHECK_OFFSET(RegisterValues, DEADZONE_Received, 408);
VORN_KRAVENT_CHECK_OFFSET(RegisterValues, DEADZONE_Written, 409);
VORN_KRAVENT_CHECK_OFFSET(RegisterValues, HOMINGOPTIONS_HomingNibble0, 412);
VORN_KRAVENT_CHECK_OFFSET(RegisterValues, HOMINGOPTIONS_HomingBit7, 416);
VORN_KRAVENT_CHECK_OFFSET(RegisterValues, HOMINGOPTIONS_HomingNibble2, 420);
VORN_KRAVENT_CHECK_OFFSET(RegisterValues, HOMINGOPTIONS_HomingNibble3, 424);
VORN_KRAVENT_CHECK_OFFSET(RegisterValues, HOMINGOPTIONS_HomingNibble4, 428);
VORN_KRAVENT_CHECK_OFFSET(RegisterValues, HOMINGOPTIONS_HomingNibble5, 432);
VORN_KRAVENT_CHECK_OFFSET(RegisterValues, HOMINGOPTIONS_Received, 436);
VORN_KRAVENT_CHECK_OFFSET(RegisterValues, HOMINGOPTIONS_Written, 437);
VORN_KRAVENT_CHECK_OFFSET(RegisterValues, HOMING_Written, 438);
VORN_KRAVENT_CHECK_OFFSET(RegisterValues, STOPHOMING_Written, 439);
VORN_KRAVENT_CHECK_OFFSET(RegisterValues, HOMINGPOSITION_Value, 440);
VORN_KRAVENT_CHECK_OFFSET(RegisterValues, HOMINGPOSITION_Received, 444);
VORN_KRAVENT_CHECK_OFFSET(RegisterValues, HOMINGPOSITION_Written, 445);
VORN_KRAVENT_CHECK_OFFSET(RegisterValues, HOMINGINPUT_Value, 448);
VORN_KRAVENT_CHECK_OFFSET(RegisterValues, HOMINGINPUT_Received, 452);
VORN_KRAVENT_CHECK_OFFSET(RegisterValues, HOMINGINPUT_Written, 453);
VORN_KRAVENT_CHECK_OFFSET(RegisterValues, LIMIT1SETUP_Value, 456);
VORN_KRAVENT_CHECK_OFFSET(RegisterValues, LIMIT1SETUP_Received, 460);
VORN_KRAVENT_CHECK_OFFSET(RegisterValues, LIMIT1SETUP_Written, 461);
VORN_KRAVENT_CHECK_OFFSET(RegisterValues, LIMIT1REGULATIONMODE_Value, 464);
VORN_KRAVENT_CHECK_OFFSET(RegisterValues, LIMIT1REGULATIONMODE_Received, 468);
VORN_KRAVENT_CHECK_OFFSET(RegisterValues, LIMIT1REGULATIONMODE_Written, 469);
VORN_KRAVENT_CHECK_OFFSET(RegisterValues, LIMIT1POSITION_Value, 472);
VORN_KRAVENT_CHECK_OFFSET(RegisterValues, LIMIT1POSITION_Received, 476);
VORN_KRAVENT_CHECK_OFFSET(RegisterValues, LIMIT1POSITION_Written, 477);
VORN_KRAVENT_CHECK_OFFSET(RegisterValues, LIMIT1XINPUT_Value, 480);
VORN_KRAVENT_CHECK_OFFSET(RegisterValues, LIMIT1XINPUT_Received, 484);
VORN_KRAVENT_CHECK_OFFSET(RegisterValues, LIMIT1XINPUT_Written, 485);
VORN_KRAVENT_CHECK_OFFSET(RegisterValues, LIMIT2SETUP_Value, 488);
VORN_KRAVENT_CHECK_OFFSET(RegisterValues, LIMIT2SETUP_Received, 492);
VORN_KRAVENT_CHECK_OFFSET(RegisterValues, LIMIT2SETUP_Written, 493);
VORN_KRAVENT_CHECK_OFFSET(RegisterValues, LIMIT2REGULATIONMODE_Value, 496);
VORN_KRAVENT_CHECK_OFFSET(RegisterValues, LIMIT2REGULATIONMODE_Received, 500);
VORN_KRAVENT_CHECK_OFFSET(RegisterValues, LIMIT2REGULATIONMODE_Written, 501);
VORN_KRAVENT_CHECK_OFFSET(RegisterValues, LIMIT2POSITION_Value, 504);
VORN_KRAVENT_CHECK_OFFSET(RegisterValues, LIMIT2POSITION_Received, 508);
VORN_KRAVENT_CHECK_OFFSET(RegisterValues, LIMIT2POSITION_Written, 509);
VORN_KRAVENT_CHECK_OFFSET(RegisterValues, LIMIT2XINPUT_Value, 512);
VORN_KRAVENT_CHECK_OFFSET(RegisterValues, LIMIT2XINPUT_Received, 516);
VORN_KRAVENT_CHECK_OFFSET(RegisterValues, LIMIT2XINPUT_Written, 517);
VORN_KRAVENT_CHECK_OFFSET(ModuleScanRecord, TypeHigh, 0);
VORN_KRAVENT_CHECK_OFFSET(ModuleScanRecord, TypeLow, 4);
VORN_KRAVENT_CHECK_OFFSET(ModuleScanRecord, VersionHigh, 8);
VORN_KRAVENT_CHECK_OFFSET(ModuleScanRecord, VersionLow, 12);
VORN_KRAVENT_CHECK_OFFSET(ModuleScanRecord, ModuleMac, 16);
VORN_KRAVENT_CHECK_OFFSET(ModuleScanRecord, ModuleIP, 40);
VORN_KRAVENT_CHECK_OFFSET(ModuleScanRecord, ModuleName, 56);

#endif /* VORN_KRAVENT_DLLINTERFACE_H */
