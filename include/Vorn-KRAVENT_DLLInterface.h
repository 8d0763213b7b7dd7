/**
 * @file Vorn-KRAVENT_DLLInterface.h
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

/** The handle of one open connection, an opaque value (not an address); NULL means no
 * connection. A handle that has been closed is refused like NULL, also once later
 * opens have followed (on a 32-bit system, for 2^32 opens at least). */
typedef void *ComID;

/** Values of Com_Event and of Vorn_KRAVENT_GetStateCommunication. */
enum {
    VORN_KRAVENT_STATE_NOT_CONNECTED = 0,
    VORN_KRAVENT_STATE_CONNECTED = 1,
    VORN_KRAVENT_STATE_ERROR = 2,
    VORN_KRAVENT_STATE_CONNECTING = 3,
    VORN_KRAVENT_STATE_CLOSING = 4
};

/**
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

/** One module found by Vorn_KRAVENT_ScanNetwork (72 bytes). */
typedef struct ModuleScanRecord {
    int32_t TypeHigh;                           /*   0 */
    int32_t TypeLow;                            /*   4 */
    int32_t VersionHigh;                        /*   8 */
    int32_t VersionLow;                         /*  12 */
    int32_t ModuleMac[6];                       /*  16 */
    int32_t ModuleIP[4];                        /*  40: address the answer came from */
    char ModuleName[16];                        /*  56: no terminating zero */
} ModuleScanRecord;

/**
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
/**
 * @brief Finds the modules on every network of this machine by a UDP broadcast to port 7010.
 *
 * Sends one scan request on each IPv4 interface and collects the answers until none has
 * come for 200 ms, for 5 s at the most. Needs no connection.
 *
 * @param Modules (ModuleScanRecord *) an array of Capacity records that receives the modules in the
 *        order they answered; may be NULL when Capacity is 0.
 * @param Capacity (int32_t) the number of records Modules holds; answers beyond it are counted only.
 * @return (int32_t) the number of modules that answered, which may exceed Capacity; 0 when none
 *         answered or the request could not be sent.
 * @par Threads
 * Any thread; it blocks the caller for up to 5 s. Scans, address changes and opens may run
 * on several threads at once. Do not call it from inside a callback: it would hold up every
 * later notification as long (see "Threads" in this header's opening comment).
 * @par Failure messages
 * Logged (see Vorn_KRAVENT_GetLastError); the scan still returns what answered:
 * - `Unable to send the scan request on one network interface\t(Vorn_KRAVENT_ScanNetwork)`:
 *   one interface refused the broadcast (logged with that interface's address).
 * - `Unable to send the scan request\t(Vorn_KRAVENT_ScanNetwork)`: no interface could send it.
 * - `ChecksumError occurs. Nb of ChecksumError = N\t(ReceivedUDPRawData)`: an answer with a wrong checksum, dropped.
 * - `Receive unknown module gegister\t(ReceiveUDP_Data)`: an answer of an unknown kind, dropped.
 * - `Datagram longer than the receive buffer dropped\t(ReceiveServiceDatagram)`: an oversized answer, dropped.
 */
VORN_KRAVENT_API int32_t VORN_KRAVENT_CALL Vorn_KRAVENT_ScanNetwork(ModuleScanRecord *Modules, int32_t Capacity);
/**
 * @brief Gives the module with a MAC address a new IP address and subnet mask, over UDP port 7010.
 *
 * First checks for 5 s that no host answers at the new address, then broadcasts the change on
 * every IPv4 interface and waits for the module's acknowledgement. Needs no connection.
 *
 * @param MacAddress (const int32_t[6]) the module's MAC address, first byte first, each 0 to 255.
 * @param IPAddress (const int32_t[4]) the new address, first part first, each 0 to 255.
 * @param SubnetMaskAddress (const int32_t[4]) the new subnet mask, first part first, each 0 to 255.
 * @return true when the module acknowledged the change; false after a failure.
 * @par Threads
 * Any thread; it blocks the caller for about 5 s or more. Do not call it from inside a callback
 * (see "Threads" in this header's opening comment).
 * @par Failure messages
 * Each failure logs its cause and then `ChangeIPAddress Failed\t(Vorn_KRAVENT_ChangeIPAddress)`,
 * which is then the last error:
 * - `Pointer on data to write not valid. MacAddress = NULL\t(ChangeIPAddress)` (likewise
 *   "IPAddress = NULL" and "SubnetMaskAddress = NULL"): a pointer is NULL.
 * - `Mac Address not valid\t(ChangeIPAddress)`, `IP Address not valid\t(ChangeIPAddress)`,
 *   `Subnet Mask Address not valid\t(ChangeIPAddress)`: a part is below 0 or above 255.
 * - `The IP address is already in use\t(ChangeIPAddress)`: a host answered at the new address.
 * - `Unable to send the IP address change on one network interface\t(ChangeIPAddress)`: one
 *   interface refused the broadcast.
 * - `Change IP Address acknowledge not received from the module\t(ChangeIPAddress)`: no module
 *   with that MAC address acknowledged in time.
 */
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_ChangeIPAddress(const int32_t *MacAddress, const int32_t *IPAddress,
                                                                    const int32_t *SubnetMaskAddress);

/* Connection to a module's main port (TCP 8010). */
/**
 * @brief Tests a module and starts the TCP connection to its main port, 8010.
 *
 * Closes the connection that *Handle holds first, whatever follows. Then asks the module for its
 * type over UDP port 7010 (up to 2 s) and, when a module of type 2.2 answered, creates the
 * connection and starts connecting. A true result does not mean connected: Com_Event then
 * receives 1 (connected) or 2 (the attempt failed; close and open again).
 * Vorn_KRAVENT_GetStateCommunication reads 3 until then.
 *
 * @param IP (const int32_t[4]) the module's IPv4 address, first (most significant) part first, each 0 to 255.
 * @param DataReceived (Data_Received_MAINPORT_Callback) called with each answer; must not be NULL.
 * @param ComEvent (Com_Event_Callback) called with 1 connected, 2 socket error, 0 disconnected; must not be NULL.
 * @param Handle (ComID *) the host's variable: receives the new handle, or NULL after a failure.
 *        It is written before any callback of the connection runs.
 * @return true when the connection exists and is connecting; false after a failure.
 * @par Threads
 * Any thread; it blocks for the UDP test, up to 2 s. Where the two callbacks run is said in
 * "Threads" in this header's opening comment.
 * @par Failure messages
 * - `ComID variable not valid (NULL)\t(Vorn_KRAVENT_OpenConnection_MAINPORT)`: Handle is NULL.
 * - `Address IP not valid (NULL)\t(Vorn_KRAVENT_OpenConnection_MAINPORT)`: IP is NULL.
 * - `Address IP not valid\t(Vorn_KRAVENT_OpenConnection_MAINPORT)`: a part is below 0 or above 255.
 * - `Initial Test failed\t(Vorn_KRAVENT_OpenConnection_MAINPORT)`: the UDP test failed; the log
 *   holds its cause just before it:
 *   - `Address IP not found on the network\t(MakeInitialTYPETest)`: no answer within 2 s, or the
 *     request could not be sent (no route to the address);
 *   - `This module is not compatible with this DLL\t(MakeInitialTYPETest)`: a module of another type answered.
 * - `Not enough memory for a new connection\t(Vorn_KRAVENT_OpenConnection_MAINPORT)`.
 * - `Data_Received_MAINPORT function not valid (NULL)\t(Vorn_KRAVENT_OpenConnection_MAINPORT)`: DataReceived is NULL.
 * - `Com_Event function not valid (NULL)\t(Vorn_KRAVENT_OpenConnection_MAINPORT)`: ComEvent is NULL.
 * - `The connection attempt was refused by the socket layer\t(Vorn_KRAVENT_OpenConnection_MAINPORT)`:
 *   the system refused to start the TCP connection.
 */
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_OpenConnection_MAINPORT(const int32_t *IP,
                                                                            Data_Received_MAINPORT_Callback DataReceived,
                                                                            Com_Event_Callback ComEvent, ComID *Handle);
/**
 * @brief Closes the connection that *Handle holds and sets *Handle to NULL.
 *
 * Stops the connection's polling and senders and closes its socket. When it was connected,
 * Com_Event receives 0 before this function returns (after a close from inside a callback:
 * once that callback has returned). A NULL or already closed handle is no error.
 *
 * @param Handle (ComID *) the host's variable; NULL afterwards.
 * @return always true.
 * @par Threads
 * Any thread, also from inside a callback of that connection (it is then destroyed when the
 * callback returns). Closing another connection waits for its senders, at most a send under way.
 * See "Threads" in this header's opening comment for where Com_Event runs.
 * @par Failure messages
 * None.
 */
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_CloseConnection(ComID *Handle);
/**
 * @brief Returns how far the connection's socket has got.
 *
 * @param Com (ComID) the connection.
 * @return (int32_t) VORN_KRAVENT_STATE_NOT_CONNECTED (0), _CONNECTED (1), _ERROR (2), _CONNECTING (3)
 *         or _CLOSING (4); 0 for a NULL or closed handle.
 * @par Threads
 * Any thread, also from inside a callback.
 * @par Failure messages
 * None: it never logs.
 */
VORN_KRAVENT_API int32_t VORN_KRAVENT_CALL Vorn_KRAVENT_GetStateCommunication(ComID Com);

/* Register functions: each records one request for the next Vorn_KRAVENT_SendData_MAINPORT. */
/**
 * @brief Asks the module for TYPE, the module type, HIGH.LOW (2.2 for the modules this library serves).
 *
 * Records a read for the next Vorn_KRAVENT_SendData_MAINPORT; a second call before it changes nothing.
 * The value arrives in the RegisterValues record of the data callback, in TYPE_ValueHigh, TYPE_ValueLow,
 * with TYPE_Received true.
 *
 * @param Com (ComID) the open connection, from Vorn_KRAVENT_OpenConnection_MAINPORT.
 * @return true when the request was recorded (not that the module answered); false after a failure.
 * @par Threads
 * Any thread, also from inside a callback; it only records the request and returns at once.
 * The answer arrives through Data_Received_MAINPORT, on the thread that the "Threads"
 * section of this header's opening comment names.
 * @par Failure messages
 * (`\t` stands for a tab.) Each is logged with the connection's address and becomes the last error
 * (Vorn_KRAVENT_GetLastError):
 * - `Pointer on ethernet communication not valid. ComID = NULL\t(Vorn_KRAVENT_Read_TYPE)`: Com is NULL, closed, or did not come from an open (logged without an address).
 */
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Read_TYPE(ComID Com);
/**
 * @brief Asks the module for VERSION, the module firmware version, HIGH.LOW.
 *
 * Records a read for the next Vorn_KRAVENT_SendData_MAINPORT; a second call before it changes nothing.
 * The value arrives in the RegisterValues record of the data callback, in VERSION_ValueHigh, VERSION_ValueLow,
 * with VERSION_Received true.
 *
 * @param Com (ComID) the open connection, from Vorn_KRAVENT_OpenConnection_MAINPORT.
 * @return true when the request was recorded (not that the module answered); false after a failure.
 * @par Threads
 * Any thread, also from inside a callback; it only records the request and returns at once.
 * The answer arrives through Data_Received_MAINPORT, on the thread that the "Threads"
 * section of this header's opening comment names.
 * @par Failure messages
 * (`\t` stands for a tab.) Each is logged with the connection's address and becomes the last error
 * (Vorn_KRAVENT_GetLastError):
 * - `Pointer on ethernet communication not valid. ComID = NULL\t(Vorn_KRAVENT_Read_VERSION)`: Com is NULL, closed, or did not come from an open (logged without an address).
 */
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Read_VERSION(ComID Com);
/**
 * @brief Runs the RESETCPU command: restarts the module.
 *
 * Records the command for the next Vorn_KRAVENT_SendData_MAINPORT; its answer sets
 * RESETCPU_Written in the RegisterValues record of the data callback.
 *
 * @param Com (ComID) the open connection, from Vorn_KRAVENT_OpenConnection_MAINPORT.
 * @return true when the command was recorded; false after a failure.
 * @par Threads
 * Any thread, also from inside a callback; it only records the request and returns at once.
 * The answer arrives through Data_Received_MAINPORT, on the thread that the "Threads"
 * section of this header's opening comment names.
 * @par Failure messages
 * (`\t` stands for a tab.) Each is logged with the connection's address and becomes the last error
 * (Vorn_KRAVENT_GetLastError):
 * - `Pointer on ethernet communication not valid. ComID = NULL\t(Vorn_KRAVENT_Write_RESETCPU)`: Com is NULL, closed, or did not come from an open (logged without an address).
 */
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Write_RESETCPU(ComID Com);
/**
 * @brief Runs the SAVEUSERPARAMETERS command: stores the current parameters as the user set in the module memory.
 *
 * Records the command for the next Vorn_KRAVENT_SendData_MAINPORT; its answer sets
 * SAVEUSERPARAMETERS_Written in the RegisterValues record of the data callback.
 *
 * @param Com (ComID) the open connection, from Vorn_KRAVENT_OpenConnection_MAINPORT.
 * @return true when the command was recorded; false after a failure.
 * @par Threads
 * Any thread, also from inside a callback; it only records the request and returns at once.
 * The answer arrives through Data_Received_MAINPORT, on the thread that the "Threads"
 * section of this header's opening comment names.
 * @par Failure messages
 * (`\t` stands for a tab.) Each is logged with the connection's address and becomes the last error
 * (Vorn_KRAVENT_GetLastError):
 * - `Pointer on ethernet communication not valid. ComID = NULL\t(Vorn_KRAVENT_Write_SAVEUSERPARAMETERS)`: Com is NULL, closed, or did not come from an open (logged without an address).
 */
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Write_SAVEUSERPARAMETERS(ComID Com);
/**
 * @brief Runs the RESTOREUSERPARAMETERS command: loads the stored user parameters.
 *
 * Records the command for the next Vorn_KRAVENT_SendData_MAINPORT; its answer sets
 * RESTOREUSERPARAMETERS_Written in the RegisterValues record of the data callback.
 *
 * @param Com (ComID) the open connection, from Vorn_KRAVENT_OpenConnection_MAINPORT.
 * @return true when the command was recorded; false after a failure.
 * @par Threads
 * Any thread, also from inside a callback; it only records the request and returns at once.
 * The answer arrives through Data_Received_MAINPORT, on the thread that the "Threads"
 * section of this header's opening comment names.
 * @par Failure messages
 * (`\t` stands for a tab.) Each is logged with the connection's address and becomes the last error
 * (Vorn_KRAVENT_GetLastError):
 * - `Pointer on ethernet communication not valid. ComID = NULL\t(Vorn_KRAVENT_Write_RESTOREUSERPARAMETERS)`: Com is NULL, closed, or did not come from an open (logged without an address).
 */
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Write_RESTOREUSERPARAMETERS(ComID Com);
/**
 * @brief Runs the RESTOREFACTORYPARAMETERS command: loads the factory parameters.
 *
 * Records the command for the next Vorn_KRAVENT_SendData_MAINPORT; its answer sets
 * RESTOREFACTORYPARAMETERS_Written in the RegisterValues record of the data callback.
 *
 * @param Com (ComID) the open connection, from Vorn_KRAVENT_OpenConnection_MAINPORT.
 * @return true when the command was recorded; false after a failure.
 * @par Threads
 * Any thread, also from inside a callback; it only records the request and returns at once.
 * The answer arrives through Data_Received_MAINPORT, on the thread that the "Threads"
 * section of this header's opening comment names.
 * @par Failure messages
 * (`\t` stands for a tab.) Each is logged with the connection's address and becomes the last error
 * (Vorn_KRAVENT_GetLastError):
 * - `Pointer on ethernet communication not valid. ComID = NULL\t(Vorn_KRAVENT_Write_RESTOREFACTORYPARAMETERS)`: Com is NULL, closed, or did not come from an open (logged without an address).
 */
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Write_RESTOREFACTORYPARAMETERS(ComID Com);
/**
 * @brief Runs the SAVEFACTORYPARAMETERS command: stores the current parameters as the factory set.
 *
 * Records the command for the next Vorn_KRAVENT_SendData_MAINPORT; its answer sets
 * SAVEFACTORYPARAMETERS_Written in the RegisterValues record of the data callback.
 *
 * @param Com (ComID) the open connection, from Vorn_KRAVENT_OpenConnection_MAINPORT.
 * @return true when the command was recorded; false after a failure.
 * @par Threads
 * Any thread, also from inside a callback; it only records the request and returns at once.
 * The answer arrives through Data_Received_MAINPORT, on the thread that the "Threads"
 * section of this header's opening comment names.
 * @par Failure messages
 * (`\t` stands for a tab.) Each is logged with the connection's address and becomes the last error
 * (Vorn_KRAVENT_GetLastError):
 * - `Pointer on ethernet communication not valid. ComID = NULL\t(Vorn_KRAVENT_Write_SAVEFACTORYPARAMETERS)`: Com is NULL, closed, or did not come from an open (logged without an address).
 */
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Write_SAVEFACTORYPARAMETERS(ComID Com);
/**
 * @brief Asks the module for VOLTAGE, the supply voltage, in V.
 *
 * With Repetitive false, records a one-time read for the next Vorn_KRAVENT_SendData_MAINPORT.
 * With Repetitive true, puts the register into the polled set instead (it is then asked
 * at every period once Vorn_KRAVENT_RepetitiveAskStart runs, until Vorn_KRAVENT_RepetitiveAskReset);
 * it neither asks once nor starts the polling.
 * The value arrives in the RegisterValues record of the data callback, in VOLTAGE_Value (float),
 * with VOLTAGE_Received true.
 *
 * @param Repetitive (bool) true: join the polled set; false: read once.
 * @param Com (ComID) the open connection, from Vorn_KRAVENT_OpenConnection_MAINPORT.
 * @return true when the request was recorded (not that the module answered); false after a failure.
 * @par Threads
 * Any thread, also from inside a callback; it only records the request and returns at once.
 * The answer arrives through Data_Received_MAINPORT, on the thread that the "Threads"
 * section of this header's opening comment names.
 * @par Failure messages
 * (`\t` stands for a tab.) Each is logged with the connection's address and becomes the last error
 * (Vorn_KRAVENT_GetLastError):
 * - `Pointer on ethernet communication not valid. ComID = NULL\t(Vorn_KRAVENT_Read_VOLTAGE)`: Com is NULL, closed, or did not come from an open (logged without an address).
 */
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Read_VOLTAGE(bool Repetitive, ComID Com);
/**
 * @brief Asks the module for WARNINGS, the warning bits (bit 0 limit 1, bit 1 limit 2, bit 2 overcurrent, bit 3 undervoltage).
 *
 * With Repetitive false, records a one-time read for the next Vorn_KRAVENT_SendData_MAINPORT.
 * With Repetitive true, puts the register into the polled set instead (it is then asked
 * at every period once Vorn_KRAVENT_RepetitiveAskStart runs, until Vorn_KRAVENT_RepetitiveAskReset);
 * it neither asks once nor starts the polling.
 * The value arrives in the RegisterValues record of the data callback, in WARNINGS_Bits[32] (one bool per bit),
 * with WARNINGS_Received true.
 *
 * @param Repetitive (bool) true: join the polled set; false: read once.
 * @param Com (ComID) the open connection, from Vorn_KRAVENT_OpenConnection_MAINPORT.
 * @return true when the request was recorded (not that the module answered); false after a failure.
 * @par Threads
 * Any thread, also from inside a callback; it only records the request and returns at once.
 * The answer arrives through Data_Received_MAINPORT, on the thread that the "Threads"
 * section of this header's opening comment names.
 * @par Failure messages
 * (`\t` stands for a tab.) Each is logged with the connection's address and becomes the last error
 * (Vorn_KRAVENT_GetLastError):
 * - `Pointer on ethernet communication not valid. ComID = NULL\t(Vorn_KRAVENT_Read_WARNINGS)`: Com is NULL, closed, or did not come from an open (logged without an address).
 */
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Read_WARNINGS(bool Repetitive, ComID Com);
/**
 * @brief Clears the module's warnings: the next exchange writes WARNINGS as 0 (all 32 bits).
 *
 * WARNINGS has no other write. The answer sets WARNINGS_Written in the RegisterValues record.
 *
 * @param Com (ComID) the open connection, from Vorn_KRAVENT_OpenConnection_MAINPORT.
 * @return true when the reset was recorded; false after a failure.
 * @par Threads
 * Any thread, also from inside a callback; it only records the request and returns at once.
 * The answer arrives through Data_Received_MAINPORT, on the thread that the "Threads"
 * section of this header's opening comment names.
 * @par Failure messages
 * (`\t` stands for a tab.) Each is logged with the connection's address and becomes the last error
 * (Vorn_KRAVENT_GetLastError):
 * - `Pointer on ethernet communication not valid. ComID = NULL\t(Vorn_KRAVENT_Reset_WARNINGS)`: Com is NULL, closed, or did not come from an open (logged without an address).
 */
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Reset_WARNINGS(ComID Com);
/**
 * @brief Asks the module for COMMUNICATIONOPTIONS, the communication option bits.
 *
 * Records a read for the next Vorn_KRAVENT_SendData_MAINPORT; a second call before it changes nothing.
 * The value arrives in the RegisterValues record of the data callback, in COMMUNICATIONOPTIONS_Bits[32] (one bool per bit),
 * with COMMUNICATIONOPTIONS_Received true.
 *
 * @param Com (ComID) the open connection, from Vorn_KRAVENT_OpenConnection_MAINPORT.
 * @return true when the request was recorded (not that the module answered); false after a failure.
 * @par Threads
 * Any thread, also from inside a callback; it only records the request and returns at once.
 * The answer arrives through Data_Received_MAINPORT, on the thread that the "Threads"
 * section of this header's opening comment names.
 * @par Failure messages
 * (`\t` stands for a tab.) Each is logged with the connection's address and becomes the last error
 * (Vorn_KRAVENT_GetLastError):
 * - `Pointer on ethernet communication not valid. ComID = NULL\t(Vorn_KRAVENT_Read_COMMUNICATIONOPTIONS)`: Com is NULL, closed, or did not come from an open (logged without an address).
 */
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Read_COMMUNICATIONOPTIONS(ComID Com);
/**
 * @brief Writes COMMUNICATIONOPTIONS, the communication option bits.
 *
 * Records the value for the next Vorn_KRAVENT_SendData_MAINPORT; a second call before it
 * replaces the value. The answer sets COMMUNICATIONOPTIONS_Written in the RegisterValues record.
 *
 * @param ComOpt (const uint8_t[32]) one byte per bit, bit 0 first; only the lowest bit of each byte counts.
 * @param Com (ComID) the open connection, from Vorn_KRAVENT_OpenConnection_MAINPORT.
 * @return true when the write was recorded; false after a failure.
 * @par Threads
 * Any thread, also from inside a callback; it only records the request and returns at once.
 * The answer arrives through Data_Received_MAINPORT, on the thread that the "Threads"
 * section of this header's opening comment names.
 * @par Failure messages
 * (`\t` stands for a tab.) Each is logged with the connection's address and becomes the last error
 * (Vorn_KRAVENT_GetLastError):
 * - `Pointer on ethernet communication not valid. ComID = NULL\t(Vorn_KRAVENT_Write_COMMUNICATIONOPTIONS)`: Com is NULL, closed, or did not come from an open (logged without an address).
 * - `Pointer on data to write not valid. ComOpt = NULL\t(Vorn_KRAVENT_Write_COMOPTIONS)`: ComOpt is NULL.
 */
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Write_COMMUNICATIONOPTIONS(const uint8_t *ComOpt, ComID Com);
/**
 * @brief Asks the module for ETHERNETMAC, the module MAC address.
 *
 * Records a read for the next Vorn_KRAVENT_SendData_MAINPORT; a second call before it changes nothing.
 * The value arrives in the RegisterValues record of the data callback, in ETHERNETMAC_Bytes[6] (int32_t, first byte first),
 * with ETHERNETMAC_Received true.
 *
 * @param Com (ComID) the open connection, from Vorn_KRAVENT_OpenConnection_MAINPORT.
 * @return true when the request was recorded (not that the module answered); false after a failure.
 * @par Threads
 * Any thread, also from inside a callback; it only records the request and returns at once.
 * The answer arrives through Data_Received_MAINPORT, on the thread that the "Threads"
 * section of this header's opening comment names.
 * @par Failure messages
 * (`\t` stands for a tab.) Each is logged with the connection's address and becomes the last error
 * (Vorn_KRAVENT_GetLastError):
 * - `Pointer on ethernet communication not valid. ComID = NULL\t(Vorn_KRAVENT_Read_ETHERNETMAC)`: Com is NULL, closed, or did not come from an open (logged without an address).
 */
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Read_ETHERNETMAC(ComID Com);
/**
 * @brief Asks the module for IPADDRESS, the module IPv4 address.
 *
 * Records a read for the next Vorn_KRAVENT_SendData_MAINPORT; a second call before it changes nothing.
 * The value arrives in the RegisterValues record of the data callback, in IPADDRESS_Bytes[4] (int32_t, first part first),
 * with IPADDRESS_Received true.
 *
 * @param Com (ComID) the open connection, from Vorn_KRAVENT_OpenConnection_MAINPORT.
 * @return true when the request was recorded (not that the module answered); false after a failure.
 * @par Threads
 * Any thread, also from inside a callback; it only records the request and returns at once.
 * The answer arrives through Data_Received_MAINPORT, on the thread that the "Threads"
 * section of this header's opening comment names.
 * @par Failure messages
 * (`\t` stands for a tab.) Each is logged with the connection's address and becomes the last error
 * (Vorn_KRAVENT_GetLastError):
 * - `Pointer on ethernet communication not valid. ComID = NULL\t(Vorn_KRAVENT_Read_IPADDRESS)`: Com is NULL, closed, or did not come from an open (logged without an address).
 */
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Read_IPADDRESS(ComID Com);
/**
 * @brief Writes IPADDRESS, the module IPv4 address.
 *
 * Records the four parts for the next Vorn_KRAVENT_SendData_MAINPORT. The module takes the
 * new setting as it answers; later connections use the new address.
 *
 * @param IPAdd (const int32_t[4]) the address, first (most significant) part first, each 0 to 255.
 * @param Com (ComID) the open connection, from Vorn_KRAVENT_OpenConnection_MAINPORT.
 * @return true when the write was recorded; false after a failure.
 * @par Threads
 * Any thread, also from inside a callback; it only records the request and returns at once.
 * The answer arrives through Data_Received_MAINPORT, on the thread that the "Threads"
 * section of this header's opening comment names.
 * @par Failure messages
 * (`\t` stands for a tab.) Each is logged with the connection's address and becomes the last error
 * (Vorn_KRAVENT_GetLastError):
 * - `Pointer on ethernet communication not valid. ComID = NULL\t(Vorn_KRAVENT_Write_IPADDRESS)`: Com is NULL, closed, or did not come from an open (logged without an address).
 * - `Pointer on data to write not valid. IPAdd = NULL\t(Vorn_KRAVENT_Write_IPADDRESS)`: IPAdd is NULL.
 * - `Address IP not valid\t(Vorn_KRAVENT_Write_IPADDRESS)`: a part is below 0 or above 255; nothing is recorded.
 */
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Write_IPADDRESS(const int32_t *IPAdd, ComID Com);
/**
 * @brief Asks the module for SUBNETMASK, the module subnet mask.
 *
 * Records a read for the next Vorn_KRAVENT_SendData_MAINPORT; a second call before it changes nothing.
 * The value arrives in the RegisterValues record of the data callback, in SUBNETMASK_Bytes[4] (int32_t, first part first),
 * with SUBNETMASK_Received true.
 *
 * @param Com (ComID) the open connection, from Vorn_KRAVENT_OpenConnection_MAINPORT.
 * @return true when the request was recorded (not that the module answered); false after a failure.
 * @par Threads
 * Any thread, also from inside a callback; it only records the request and returns at once.
 * The answer arrives through Data_Received_MAINPORT, on the thread that the "Threads"
 * section of this header's opening comment names.
 * @par Failure messages
 * (`\t` stands for a tab.) Each is logged with the connection's address and becomes the last error
 * (Vorn_KRAVENT_GetLastError):
 * - `Pointer on ethernet communication not valid. ComID = NULL\t(Vorn_KRAVENT_Read_SUBNETMASK)`: Com is NULL, closed, or did not come from an open (logged without an address).
 */
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Read_SUBNETMASK(ComID Com);
/**
 * @brief Writes SUBNETMASK, the module subnet mask.
 *
 * Records the four parts for the next Vorn_KRAVENT_SendData_MAINPORT. The module takes the
 * new setting as it answers; later connections use the new address.
 *
 * @param SubnetMask (const int32_t[4]) the subnet mask, first (most significant) part first, each 0 to 255.
 * @param Com (ComID) the open connection, from Vorn_KRAVENT_OpenConnection_MAINPORT.
 * @return true when the write was recorded; false after a failure.
 * @par Threads
 * Any thread, also from inside a callback; it only records the request and returns at once.
 * The answer arrives through Data_Received_MAINPORT, on the thread that the "Threads"
 * section of this header's opening comment names.
 * @par Failure messages
 * (`\t` stands for a tab.) Each is logged with the connection's address and becomes the last error
 * (Vorn_KRAVENT_GetLastError):
 * - `Pointer on ethernet communication not valid. ComID = NULL\t(Vorn_KRAVENT_Write_SUBNETMASK)`: Com is NULL, closed, or did not come from an open (logged without an address).
 * - `Pointer on data to write not valid. SubnetMask = NULL\t(Vorn_KRAVENT_Write_SUBNETMASK)`: SubnetMask is NULL.
 * - `Subnet Mask not valid\t(Vorn_KRAVENT_Write_SUBNETMASK)`: a part is below 0 or above 255; nothing is recorded.
 */
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Write_SUBNETMASK(const int32_t *SubnetMask, ComID Com);
/**
 * @brief Asks the module for TCPTIMEOUT, the time after which the module closes an idle TCP connection, in s.
 *
 * Records a read for the next Vorn_KRAVENT_SendData_MAINPORT; a second call before it changes nothing.
 * The value arrives in the RegisterValues record of the data callback, in TCPTIMEOUT_Value (int32_t, 0 to 255),
 * with TCPTIMEOUT_Received true.
 *
 * @param Com (ComID) the open connection, from Vorn_KRAVENT_OpenConnection_MAINPORT.
 * @return true when the request was recorded (not that the module answered); false after a failure.
 * @par Threads
 * Any thread, also from inside a callback; it only records the request and returns at once.
 * The answer arrives through Data_Received_MAINPORT, on the thread that the "Threads"
 * section of this header's opening comment names.
 * @par Failure messages
 * (`\t` stands for a tab.) Each is logged with the connection's address and becomes the last error
 * (Vorn_KRAVENT_GetLastError):
 * - `Pointer on ethernet communication not valid. ComID = NULL\t(Vorn_KRAVENT_Read_TCPTIMEOUT)`: Com is NULL, closed, or did not come from an open (logged without an address).
 */
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Read_TCPTIMEOUT(ComID Com);
/**
 * @brief Writes TCPTIMEOUT, the time after which the module closes an idle TCP connection, in s.
 *
 * Records the value for the next Vorn_KRAVENT_SendData_MAINPORT; a second call before it
 * replaces the value. The answer sets TCPTIMEOUT_Written in the RegisterValues record.
 *
 * @param Value (int32_t) the time-out in seconds, 0 to 255.
 * @param Com (ComID) the open connection, from Vorn_KRAVENT_OpenConnection_MAINPORT.
 * @return true when the write was recorded; false after a failure.
 * @par Threads
 * Any thread, also from inside a callback; it only records the request and returns at once.
 * The answer arrives through Data_Received_MAINPORT, on the thread that the "Threads"
 * section of this header's opening comment names.
 * @par Failure messages
 * (`\t` stands for a tab.) Each is logged with the connection's address and becomes the last error
 * (Vorn_KRAVENT_GetLastError):
 * - `Pointer on ethernet communication not valid. ComID = NULL\t(Vorn_KRAVENT_Write_TCPTIMEOUT)`: Com is NULL, closed, or did not come from an open (logged without an address).
 * - `TCP TimeOut value not valid.\t(Vorn_KRAVENT_Write_TCPTIMEOUT)`: Value is below 0 or above 255; nothing is recorded.
 */
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Write_TCPTIMEOUT(int32_t Value, ComID Com);
/**
 * @brief Asks the module for MODULENAME, the module name, 16 characters.
 *
 * Records a read for the next Vorn_KRAVENT_SendData_MAINPORT; a second call before it changes nothing.
 * The value arrives in the RegisterValues record of the data callback, in MODULENAME_Text[16] (no terminating zero),
 * with MODULENAME_Received true.
 *
 * @param Com (ComID) the open connection, from Vorn_KRAVENT_OpenConnection_MAINPORT.
 * @return true when the request was recorded (not that the module answered); false after a failure.
 * @par Threads
 * Any thread, also from inside a callback; it only records the request and returns at once.
 * The answer arrives through Data_Received_MAINPORT, on the thread that the "Threads"
 * section of this header's opening comment names.
 * @par Failure messages
 * (`\t` stands for a tab.) Each is logged with the connection's address and becomes the last error
 * (Vorn_KRAVENT_GetLastError):
 * - `Pointer on ethernet communication not valid. ComID = NULL\t(Vorn_KRAVENT_Read_MODULENAME)`: Com is NULL, closed, or did not come from an open (logged without an address).
 */
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Read_MODULENAME(ComID Com);
/**
 * @brief Writes MODULENAME, the module name, 16 characters.
 *
 * Records the value for the next Vorn_KRAVENT_SendData_MAINPORT; a second call before it
 * replaces the value. The answer sets MODULENAME_Written in the RegisterValues record.
 *
 * @param Name (const char[16]) exactly 16 bytes are copied, whatever they hold: a zero does not end
 *        the copy and none is added. Pass a 16-byte buffer.
 * @param Com (ComID) the open connection, from Vorn_KRAVENT_OpenConnection_MAINPORT.
 * @return true when the write was recorded; false after a failure.
 * @par Threads
 * Any thread, also from inside a callback; it only records the request and returns at once.
 * The answer arrives through Data_Received_MAINPORT, on the thread that the "Threads"
 * section of this header's opening comment names.
 * @par Failure messages
 * (`\t` stands for a tab.) Each is logged with the connection's address and becomes the last error
 * (Vorn_KRAVENT_GetLastError):
 * - `Pointer on ethernet communication not valid. ComID = NULL\t(Vorn_KRAVENT_Write_MODULENAME)`: Com is NULL, closed, or did not come from an open (logged without an address).
 * - `Pointer on data to write not valid. Name = NULL\t(Vorn_KRAVENT_Write_MODULENAME)`: Name is NULL.
 */
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Write_MODULENAME(const char *Name, ComID Com);
/**
 * @brief Asks the module for TCPCONNECTIONSOPENED, the number of TCP connections the module has accepted.
 *
 * Records a read for the next Vorn_KRAVENT_SendData_MAINPORT; a second call before it changes nothing.
 * The value arrives in the RegisterValues record of the data callback, in TCPCONNECTIONSOPENED_Value (int32_t, 0 to 255),
 * with TCPCONNECTIONSOPENED_Received true.
 *
 * @param Com (ComID) the open connection, from Vorn_KRAVENT_OpenConnection_MAINPORT.
 * @return true when the request was recorded (not that the module answered); false after a failure.
 * @par Threads
 * Any thread, also from inside a callback; it only records the request and returns at once.
 * The answer arrives through Data_Received_MAINPORT, on the thread that the "Threads"
 * section of this header's opening comment names.
 * @par Failure messages
 * (`\t` stands for a tab.) Each is logged with the connection's address and becomes the last error
 * (Vorn_KRAVENT_GetLastError):
 * - `Pointer on ethernet communication not valid. ComID = NULL\t(Vorn_KRAVENT_Read_TCPCONNECTIONSOPENED)`: Com is NULL, closed, or did not come from an open (logged without an address).
 */
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Read_TCPCONNECTIONSOPENED(ComID Com);
/**
 * @brief Asks the module for REGULATIONMODE, the regulation mode: 0 off, 1 position, 2 speed (0 to 5).
 *
 * With Repetitive false, records a one-time read for the next Vorn_KRAVENT_SendData_MAINPORT.
 * With Repetitive true, puts the register into the polled set instead (it is then asked
 * at every period once Vorn_KRAVENT_RepetitiveAskStart runs, until Vorn_KRAVENT_RepetitiveAskReset);
 * it neither asks once nor starts the polling.
 * The value arrives in the RegisterValues record of the data callback, in REGULATIONMODE_Value (int32_t),
 * with REGULATIONMODE_Received true.
 *
 * @param Repetitive (bool) true: join the polled set; false: read once.
 * @param Com (ComID) the open connection, from Vorn_KRAVENT_OpenConnection_MAINPORT.
 * @return true when the request was recorded (not that the module answered); false after a failure.
 * @par Threads
 * Any thread, also from inside a callback; it only records the request and returns at once.
 * The answer arrives through Data_Received_MAINPORT, on the thread that the "Threads"
 * section of this header's opening comment names.
 * @par Failure messages
 * (`\t` stands for a tab.) Each is logged with the connection's address and becomes the last error
 * (Vorn_KRAVENT_GetLastError):
 * - `Pointer on ethernet communication not valid. ComID = NULL\t(Vorn_KRAVENT_Read_REGULATIONMODE)`: Com is NULL, closed, or did not come from an open (logged without an address).
 */
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Read_REGULATIONMODE(bool Repetitive, ComID Com);
/**
 * @brief Writes REGULATIONMODE, the regulation mode: 0 off, 1 position, 2 speed (0 to 5).
 *
 * Records the value for the next Vorn_KRAVENT_SendData_MAINPORT; a second call before it
 * replaces the value. The answer sets REGULATIONMODE_Written in the RegisterValues record.
 *
 * @param Value (int32_t) the mode, 0 to 5 (0 off, 1 position, 2 speed).
 * @param Com (ComID) the open connection, from Vorn_KRAVENT_OpenConnection_MAINPORT.
 * @return true when the write was recorded; false after a failure.
 * @par Threads
 * Any thread, also from inside a callback; it only records the request and returns at once.
 * The answer arrives through Data_Received_MAINPORT, on the thread that the "Threads"
 * section of this header's opening comment names.
 * @par Failure messages
 * (`\t` stands for a tab.) Each is logged with the connection's address and becomes the last error
 * (Vorn_KRAVENT_GetLastError):
 * - `Pointer on ethernet communication not valid. ComID = NULL\t(Vorn_KRAVENT_Write_REGULATIONMODE)`: Com is NULL, closed, or did not come from an open (logged without an address).
 * - `Regulation Mode value not valid.\t(Vorn_KRAVENT_Write_REGULATIONMODE)`: Value is below 0 or above 5; nothing is recorded.
 */
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Write_REGULATIONMODE(int32_t Value, ComID Com);
/**
 * @brief Asks the module for INPUT, the set point: a position in counts in position mode, a speed in counts/s in speed mode.
 *
 * With Repetitive false, records a one-time read for the next Vorn_KRAVENT_SendData_MAINPORT.
 * With Repetitive true, puts the register into the polled set instead (it is then asked
 * at every period once Vorn_KRAVENT_RepetitiveAskStart runs, until Vorn_KRAVENT_RepetitiveAskReset);
 * it neither asks once nor starts the polling.
 * The value arrives in the RegisterValues record of the data callback, in INPUT_Value (int32_t),
 * with INPUT_Received true.
 *
 * @param Repetitive (bool) true: join the polled set; false: read once.
 * @param Com (ComID) the open connection, from Vorn_KRAVENT_OpenConnection_MAINPORT.
 * @return true when the request was recorded (not that the module answered); false after a failure.
 * @par Threads
 * Any thread, also from inside a callback; it only records the request and returns at once.
 * The answer arrives through Data_Received_MAINPORT, on the thread that the "Threads"
 * section of this header's opening comment names.
 * @par Failure messages
 * (`\t` stands for a tab.) Each is logged with the connection's address and becomes the last error
 * (Vorn_KRAVENT_GetLastError):
 * - `Pointer on ethernet communication not valid. ComID = NULL\t(Vorn_KRAVENT_Read_INPUT)`: Com is NULL, closed, or did not come from an open (logged without an address).
 */
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Read_INPUT(bool Repetitive, ComID Com);
/**
 * @brief Writes INPUT, the set point: a position in counts in position mode, a speed in counts/s in speed mode.
 *
 * Records the value for the next Vorn_KRAVENT_SendData_MAINPORT; a second call before it
 * replaces the value. The answer sets INPUT_Written in the RegisterValues record.
 *
 * @param Value (int32_t) the new value, sent as 32 bits, without a check.
 * @param Com (ComID) the open connection, from Vorn_KRAVENT_OpenConnection_MAINPORT.
 * @return true when the write was recorded; false after a failure.
 * @par Threads
 * Any thread, also from inside a callback; it only records the request and returns at once.
 * The answer arrives through Data_Received_MAINPORT, on the thread that the "Threads"
 * section of this header's opening comment names.
 * @par Failure messages
 * (`\t` stands for a tab.) Each is logged with the connection's address and becomes the last error
 * (Vorn_KRAVENT_GetLastError):
 * - `Pointer on ethernet communication not valid. ComID = NULL\t(Vorn_KRAVENT_Write_INPUT)`: Com is NULL, closed, or did not come from an open (logged without an address).
 */
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Write_INPUT(int32_t Value, ComID Com);
/**
 * @brief Writes INPUTOFFSET, the offset added to INPUT.
 *
 * Records the value for the next Vorn_KRAVENT_SendData_MAINPORT; a second call before it
 * replaces the value. The answer sets INPUTOFFSET_Written in the RegisterValues record.
 *
 * @param Value (int32_t) the new value, sent as 32 bits, without a check.
 * @param Com (ComID) the open connection, from Vorn_KRAVENT_OpenConnection_MAINPORT.
 * @return true when the write was recorded; false after a failure.
 * @par Threads
 * Any thread, also from inside a callback; it only records the request and returns at once.
 * The answer arrives through Data_Received_MAINPORT, on the thread that the "Threads"
 * section of this header's opening comment names.
 * @par Failure messages
 * (`\t` stands for a tab.) Each is logged with the connection's address and becomes the last error
 * (Vorn_KRAVENT_GetLastError):
 * - `Pointer on ethernet communication not valid. ComID = NULL\t(Vorn_KRAVENT_Write_INPUTOFFSET)`: Com is NULL, closed, or did not come from an open (logged without an address).
 */
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Write_INPUTOFFSET(int32_t Value, ComID Com);
/**
 * @brief Writes INPUTOFFSETMEASURED, the measured offset of INPUT.
 *
 * Records the value for the next Vorn_KRAVENT_SendData_MAINPORT; a second call before it
 * replaces the value. The answer sets INPUTOFFSETMEASURED_Written in the RegisterValues record.
 *
 * @param Value (int32_t) the new value, sent as 32 bits, without a check.
 * @param Com (ComID) the open connection, from Vorn_KRAVENT_OpenConnection_MAINPORT.
 * @return true when the write was recorded; false after a failure.
 * @par Threads
 * Any thread, also from inside a callback; it only records the request and returns at once.
 * The answer arrives through Data_Received_MAINPORT, on the thread that the "Threads"
 * section of this header's opening comment names.
 * @par Failure messages
 * (`\t` stands for a tab.) Each is logged with the connection's address and becomes the last error
 * (Vorn_KRAVENT_GetLastError):
 * - `Pointer on ethernet communication not valid. ComID = NULL\t(Vorn_KRAVENT_Write_INPUTOFFSETMEASURED)`: Com is NULL, closed, or did not come from an open (logged without an address).
 */
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Write_INPUTOFFSETMEASURED(int32_t Value, ComID Com);
/**
 * @brief Asks the module for INPUTMIN, the lowest set point that INPUT plus INPUTOFFSET may reach.
 *
 * Records a read for the next Vorn_KRAVENT_SendData_MAINPORT; a second call before it changes nothing.
 * The value arrives in the RegisterValues record of the data callback, in INPUTMIN_Value (int32_t),
 * with INPUTMIN_Received true.
 *
 * @param Com (ComID) the open connection, from Vorn_KRAVENT_OpenConnection_MAINPORT.
 * @return true when the request was recorded (not that the module answered); false after a failure.
 * @par Threads
 * Any thread, also from inside a callback; it only records the request and returns at once.
 * The answer arrives through Data_Received_MAINPORT, on the thread that the "Threads"
 * section of this header's opening comment names.
 * @par Failure messages
 * (`\t` stands for a tab.) Each is logged with the connection's address and becomes the last error
 * (Vorn_KRAVENT_GetLastError):
 * - `Pointer on ethernet communication not valid. ComID = NULL\t(Vorn_KRAVENT_Read_INPUTMIN)`: Com is NULL, closed, or did not come from an open (logged without an address).
 */
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Read_INPUTMIN(ComID Com);
/**
 * @brief Writes INPUTMIN, the lowest set point that INPUT plus INPUTOFFSET may reach.
 *
 * Records the value for the next Vorn_KRAVENT_SendData_MAINPORT; a second call before it
 * replaces the value. The answer sets INPUTMIN_Written in the RegisterValues record.
 *
 * @param Value (int32_t) the new value, sent as 32 bits, without a check.
 * @param Com (ComID) the open connection, from Vorn_KRAVENT_OpenConnection_MAINPORT.
 * @return true when the write was recorded; false after a failure.
 * @par Threads
 * Any thread, also from inside a callback; it only records the request and returns at once.
 * The answer arrives through Data_Received_MAINPORT, on the thread that the "Threads"
 * section of this header's opening comment names.
 * @par Failure messages
 * (`\t` stands for a tab.) Each is logged with the connection's address and becomes the last error
 * (Vorn_KRAVENT_GetLastError):
 * - `Pointer on ethernet communication not valid. ComID = NULL\t(Vorn_KRAVENT_Write_INPUTMIN)`: Com is NULL, closed, or did not come from an open (logged without an address).
 */
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Write_INPUTMIN(int32_t Value, ComID Com);
/**
 * @brief Asks the module for INPUTMAX, the highest set point that INPUT plus INPUTOFFSET may reach.
 *
 * Records a read for the next Vorn_KRAVENT_SendData_MAINPORT; a second call before it changes nothing.
 * The value arrives in the RegisterValues record of the data callback, in INPUTMAX_Value (int32_t),
 * with INPUTMAX_Received true.
 *
 * @param Com (ComID) the open connection, from Vorn_KRAVENT_OpenConnection_MAINPORT.
 * @return true when the request was recorded (not that the module answered); false after a failure.
 * @par Threads
 * Any thread, also from inside a callback; it only records the request and returns at once.
 * The answer arrives through Data_Received_MAINPORT, on the thread that the "Threads"
 * section of this header's opening comment names.
 * @par Failure messages
 * (`\t` stands for a tab.) Each is logged with the connection's address and becomes the last error
 * (Vorn_KRAVENT_GetLastError):
 * - `Pointer on ethernet communication not valid. ComID = NULL\t(Vorn_KRAVENT_Read_INPUTMAX)`: Com is NULL, closed, or did not come from an open (logged without an address).
 */
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Read_INPUTMAX(ComID Com);
/**
 * @brief Writes INPUTMAX, the highest set point that INPUT plus INPUTOFFSET may reach.
 *
 * Records the value for the next Vorn_KRAVENT_SendData_MAINPORT; a second call before it
 * replaces the value. The answer sets INPUTMAX_Written in the RegisterValues record.
 *
 * @param Value (int32_t) the new value, sent as 32 bits, without a check.
 * @param Com (ComID) the open connection, from Vorn_KRAVENT_OpenConnection_MAINPORT.
 * @return true when the write was recorded; false after a failure.
 * @par Threads
 * Any thread, also from inside a callback; it only records the request and returns at once.
 * The answer arrives through Data_Received_MAINPORT, on the thread that the "Threads"
 * section of this header's opening comment names.
 * @par Failure messages
 * (`\t` stands for a tab.) Each is logged with the connection's address and becomes the last error
 * (Vorn_KRAVENT_GetLastError):
 * - `Pointer on ethernet communication not valid. ComID = NULL\t(Vorn_KRAVENT_Write_INPUTMAX)`: Com is NULL, closed, or did not come from an open (logged without an address).
 */
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Write_INPUTMAX(int32_t Value, ComID Com);
/**
 * @brief Asks the module for POSITION, the encoder position, in counts.
 *
 * With Repetitive false, records a one-time read for the next Vorn_KRAVENT_SendData_MAINPORT.
 * With Repetitive true, puts the register into the polled set instead (it is then asked
 * at every period once Vorn_KRAVENT_RepetitiveAskStart runs, until Vorn_KRAVENT_RepetitiveAskReset);
 * it neither asks once nor starts the polling.
 * The value arrives in the RegisterValues record of the data callback, in POSITION_Value (int32_t),
 * with POSITION_Received true.
 *
 * @param Repetitive (bool) true: join the polled set; false: read once.
 * @param Com (ComID) the open connection, from Vorn_KRAVENT_OpenConnection_MAINPORT.
 * @return true when the request was recorded (not that the module answered); false after a failure.
 * @par Threads
 * Any thread, also from inside a callback; it only records the request and returns at once.
 * The answer arrives through Data_Received_MAINPORT, on the thread that the "Threads"
 * section of this header's opening comment names.
 * @par Failure messages
 * (`\t` stands for a tab.) Each is logged with the connection's address and becomes the last error
 * (Vorn_KRAVENT_GetLastError):
 * - `Pointer on ethernet communication not valid. ComID = NULL\t(Vorn_KRAVENT_Read_POSITION)`: Com is NULL, closed, or did not come from an open (logged without an address).
 */
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Read_POSITION(bool Repetitive, ComID Com);
/**
 * @brief Writes POSITION, the encoder position, in counts.
 *
 * Records the value for the next Vorn_KRAVENT_SendData_MAINPORT; a second call before it
 * replaces the value. The answer sets POSITION_Written in the RegisterValues record.
 *
 * @param Value (int32_t) the new value, in counts, sent as 32 bits, without a check.
 * @param Com (ComID) the open connection, from Vorn_KRAVENT_OpenConnection_MAINPORT.
 * @return true when the write was recorded; false after a failure.
 * @par Threads
 * Any thread, also from inside a callback; it only records the request and returns at once.
 * The answer arrives through Data_Received_MAINPORT, on the thread that the "Threads"
 * section of this header's opening comment names.
 * @par Failure messages
 * (`\t` stands for a tab.) Each is logged with the connection's address and becomes the last error
 * (Vorn_KRAVENT_GetLastError):
 * - `Pointer on ethernet communication not valid. ComID = NULL\t(Vorn_KRAVENT_Write_POSITION)`: Com is NULL, closed, or did not come from an open (logged without an address).
 */
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Write_POSITION(int32_t Value, ComID Com);
/**
 * @brief Writes POSITIONOFFSET, an offset added to the position, in counts.
 *
 * Records the value for the next Vorn_KRAVENT_SendData_MAINPORT; a second call before it
 * replaces the value. The answer sets POSITIONOFFSET_Written in the RegisterValues record.
 *
 * @param Value (int32_t) the new value, in counts, sent as 32 bits, without a check.
 * @param Com (ComID) the open connection, from Vorn_KRAVENT_OpenConnection_MAINPORT.
 * @return true when the write was recorded; false after a failure.
 * @par Threads
 * Any thread, also from inside a callback; it only records the request and returns at once.
 * The answer arrives through Data_Received_MAINPORT, on the thread that the "Threads"
 * section of this header's opening comment names.
 * @par Failure messages
 * (`\t` stands for a tab.) Each is logged with the connection's address and becomes the last error
 * (Vorn_KRAVENT_GetLastError):
 * - `Pointer on ethernet communication not valid. ComID = NULL\t(Vorn_KRAVENT_Write_POSITIONOFFSET)`: Com is NULL, closed, or did not come from an open (logged without an address).
 */
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Write_POSITIONOFFSET(int32_t Value, ComID Com);
/**
 * @brief Asks the module for SPEED, the motor speed, in counts/s.
 *
 * With Repetitive false, records a one-time read for the next Vorn_KRAVENT_SendData_MAINPORT.
 * With Repetitive true, puts the register into the polled set instead (it is then asked
 * at every period once Vorn_KRAVENT_RepetitiveAskStart runs, until Vorn_KRAVENT_RepetitiveAskReset);
 * it neither asks once nor starts the polling.
 * The value arrives in the RegisterValues record of the data callback, in SPEED_Value (int32_t),
 * with SPEED_Received true.
 *
 * @param Repetitive (bool) true: join the polled set; false: read once.
 * @param Com (ComID) the open connection, from Vorn_KRAVENT_OpenConnection_MAINPORT.
 * @return true when the request was recorded (not that the module answered); false after a failure.
 * @par Threads
 * Any thread, also from inside a callback; it only records the request and returns at once.
 * The answer arrives through Data_Received_MAINPORT, on the thread that the "Threads"
 * section of this header's opening comment names.
 * @par Failure messages
 * (`\t` stands for a tab.) Each is logged with the connection's address and becomes the last error
 * (Vorn_KRAVENT_GetLastError):
 * - `Pointer on ethernet communication not valid. ComID = NULL\t(Vorn_KRAVENT_Read_SPEED)`: Com is NULL, closed, or did not come from an open (logged without an address).
 */
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Read_SPEED(bool Repetitive, ComID Com);
/**
 * @brief Asks the module for CURRENTMAX, the motor current limit, in A.
 *
 * Records a read for the next Vorn_KRAVENT_SendData_MAINPORT; a second call before it changes nothing.
 * The value arrives in the RegisterValues record of the data callback, in CURRENTMAX_Value (float),
 * with CURRENTMAX_Received true.
 *
 * @param Com (ComID) the open connection, from Vorn_KRAVENT_OpenConnection_MAINPORT.
 * @return true when the request was recorded (not that the module answered); false after a failure.
 * @par Threads
 * Any thread, also from inside a callback; it only records the request and returns at once.
 * The answer arrives through Data_Received_MAINPORT, on the thread that the "Threads"
 * section of this header's opening comment names.
 * @par Failure messages
 * (`\t` stands for a tab.) Each is logged with the connection's address and becomes the last error
 * (Vorn_KRAVENT_GetLastError):
 * - `Pointer on ethernet communication not valid. ComID = NULL\t(Vorn_KRAVENT_Read_CURRENTMAX)`: Com is NULL, closed, or did not come from an open (logged without an address).
 */
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Read_CURRENTMAX(ComID Com);
/**
 * @brief Writes CURRENTMAX, the motor current limit, in A.
 *
 * Records the value for the next Vorn_KRAVENT_SendData_MAINPORT; a second call before it
 * replaces the value. The answer sets CURRENTMAX_Written in the RegisterValues record.
 *
 * @param Value (float) the new value, in A; it is sent in 16.16 fixed point, as whole 65536ths,
 *        so it must lie in -32768 to 32767.99998.
 * @param Com (ComID) the open connection, from Vorn_KRAVENT_OpenConnection_MAINPORT.
 * @return true when the write was recorded; false after a failure.
 * @par Threads
 * Any thread, also from inside a callback; it only records the request and returns at once.
 * The answer arrives through Data_Received_MAINPORT, on the thread that the "Threads"
 * section of this header's opening comment names.
 * @par Failure messages
 * (`\t` stands for a tab.) Each is logged with the connection's address and becomes the last error
 * (Vorn_KRAVENT_GetLastError):
 * - `Pointer on ethernet communication not valid. ComID = NULL\t(Vorn_KRAVENT_Write_CURRENTMAX)`: Com is NULL, closed, or did not come from an open (logged without an address).
 */
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Write_CURRENTMAX(float Value, ComID Com);
/**
 * @brief Asks the module for OPTIONS, the module option bits.
 *
 * Records a read for the next Vorn_KRAVENT_SendData_MAINPORT; a second call before it changes nothing.
 * The value arrives in the RegisterValues record of the data callback, in OPTIONS_Bits[32] (one bool per bit),
 * with OPTIONS_Received true.
 *
 * @param Com (ComID) the open connection, from Vorn_KRAVENT_OpenConnection_MAINPORT.
 * @return true when the request was recorded (not that the module answered); false after a failure.
 * @par Threads
 * Any thread, also from inside a callback; it only records the request and returns at once.
 * The answer arrives through Data_Received_MAINPORT, on the thread that the "Threads"
 * section of this header's opening comment names.
 * @par Failure messages
 * (`\t` stands for a tab.) Each is logged with the connection's address and becomes the last error
 * (Vorn_KRAVENT_GetLastError):
 * - `Pointer on ethernet communication not valid. ComID = NULL\t(Vorn_KRAVENT_Read_OPTIONS)`: Com is NULL, closed, or did not come from an open (logged without an address).
 */
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Read_OPTIONS(ComID Com);
/**
 * @brief Writes OPTIONS, the module option bits.
 *
 * Records the value for the next Vorn_KRAVENT_SendData_MAINPORT; a second call before it
 * replaces the value. The answer sets OPTIONS_Written in the RegisterValues record.
 *
 * @param Options (const uint8_t[32]) one byte per bit, bit 0 first; only the lowest bit of each byte counts.
 * @param Com (ComID) the open connection, from Vorn_KRAVENT_OpenConnection_MAINPORT.
 * @return true when the write was recorded; false after a failure.
 * @par Threads
 * Any thread, also from inside a callback; it only records the request and returns at once.
 * The answer arrives through Data_Received_MAINPORT, on the thread that the "Threads"
 * section of this header's opening comment names.
 * @par Failure messages
 * (`\t` stands for a tab.) Each is logged with the connection's address and becomes the last error
 * (Vorn_KRAVENT_GetLastError):
 * - `Pointer on ethernet communication not valid. ComID = NULL\t(Vorn_KRAVENT_Write_OPTIONS)`: Com is NULL, closed, or did not come from an open (logged without an address).
 * - `Pointer on data to write not valid. Options = NULL\t(Vorn_KRAVENT_Write_OPTIONS)`: Options is NULL.
 */
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Write_OPTIONS(const uint8_t *Options, ComID Com);
/**
 * @brief Asks the module for LOOPTIME, the period of the control loop, in ms.
 *
 * Records a read for the next Vorn_KRAVENT_SendData_MAINPORT; a second call before it changes nothing.
 * The value arrives in the RegisterValues record of the data callback, in LOOPTIME_Value (int32_t, 0 to 255),
 * with LOOPTIME_Received true.
 *
 * @param Com (ComID) the open connection, from Vorn_KRAVENT_OpenConnection_MAINPORT.
 * @return true when the request was recorded (not that the module answered); false after a failure.
 * @par Threads
 * Any thread, also from inside a callback; it only records the request and returns at once.
 * The answer arrives through Data_Received_MAINPORT, on the thread that the "Threads"
 * section of this header's opening comment names.
 * @par Failure messages
 * (`\t` stands for a tab.) Each is logged with the connection's address and becomes the last error
 * (Vorn_KRAVENT_GetLastError):
 * - `Pointer on ethernet communication not valid. ComID = NULL\t(Vorn_KRAVENT_Read_LOOPTIME)`: Com is NULL, closed, or did not come from an open (logged without an address).
 */
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Read_LOOPTIME(ComID Com);
/**
 * @brief Writes LOOPTIME, the period of the control loop, in ms.
 *
 * Records the value for the next Vorn_KRAVENT_SendData_MAINPORT; a second call before it
 * replaces the value. The answer sets LOOPTIME_Written in the RegisterValues record.
 *
 * @param Value (int32_t) the new value, in ms; only its low 8 bits are sent (0 to 255), without a check.
 * @param Com (ComID) the open connection, from Vorn_KRAVENT_OpenConnection_MAINPORT.
 * @return true when the write was recorded; false after a failure.
 * @par Threads
 * Any thread, also from inside a callback; it only records the request and returns at once.
 * The answer arrives through Data_Received_MAINPORT, on the thread that the "Threads"
 * section of this header's opening comment names.
 * @par Failure messages
 * (`\t` stands for a tab.) Each is logged with the connection's address and becomes the last error
 * (Vorn_KRAVENT_GetLastError):
 * - `Pointer on ethernet communication not valid. ComID = NULL\t(Vorn_KRAVENT_Write_LOOPTIME)`: Com is NULL, closed, or did not come from an open (logged without an address).
 */
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Write_LOOPTIME(int32_t Value, ComID Com);
/**
 * @brief Asks the module for OUPUTVOLTAGEMAX, the motor drive voltage at full command, in V.
 *
 * Records a read for the next Vorn_KRAVENT_SendData_MAINPORT; a second call before it changes nothing.
 * The value arrives in the RegisterValues record of the data callback, in OUPUTVOLTAGEMAX_Value (float),
 * with OUPUTVOLTAGEMAX_Received true.
 *
 * @param Com (ComID) the open connection, from Vorn_KRAVENT_OpenConnection_MAINPORT.
 * @return true when the request was recorded (not that the module answered); false after a failure.
 * @par Threads
 * Any thread, also from inside a callback; it only records the request and returns at once.
 * The answer arrives through Data_Received_MAINPORT, on the thread that the "Threads"
 * section of this header's opening comment names.
 * @par Failure messages
 * (`\t` stands for a tab.) Each is logged with the connection's address and becomes the last error
 * (Vorn_KRAVENT_GetLastError):
 * - `Pointer on ethernet communication not valid. ComID = NULL\t(Vorn_KRAVENT_Read_OUPUTVOLTAGEMAX)`: Com is NULL, closed, or did not come from an open (logged without an address).
 */
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Read_OUPUTVOLTAGEMAX(ComID Com);
/**
 * @brief Writes OUPUTVOLTAGEMAX, the motor drive voltage at full command, in V.
 *
 * Records the value for the next Vorn_KRAVENT_SendData_MAINPORT; a second call before it
 * replaces the value. The answer sets OUPUTVOLTAGEMAX_Written in the RegisterValues record.
 *
 * @param Value (float) the new value, in V; it is sent in 16.16 fixed point, as whole 65536ths,
 *        so it must lie in -32768 to 32767.99998.
 * @param Com (ComID) the open connection, from Vorn_KRAVENT_OpenConnection_MAINPORT.
 * @return true when the write was recorded; false after a failure.
 * @par Threads
 * Any thread, also from inside a callback; it only records the request and returns at once.
 * The answer arrives through Data_Received_MAINPORT, on the thread that the "Threads"
 * section of this header's opening comment names.
 * @par Failure messages
 * (`\t` stands for a tab.) Each is logged with the connection's address and becomes the last error
 * (Vorn_KRAVENT_GetLastError):
 * - `Pointer on ethernet communication not valid. ComID = NULL\t(Vorn_KRAVENT_Write_OUPUTVOLTAGEMAX)`: Com is NULL, closed, or did not come from an open (logged without an address).
 */
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Write_OUPUTVOLTAGEMAX(float Value, ComID Com);
/**
 * @brief Asks the module for DESIRED, the set point that the profile generator gives the PID at this moment.
 *
 * With Repetitive false, records a one-time read for the next Vorn_KRAVENT_SendData_MAINPORT.
 * With Repetitive true, puts the register into the polled set instead (it is then asked
 * at every period once Vorn_KRAVENT_RepetitiveAskStart runs, until Vorn_KRAVENT_RepetitiveAskReset);
 * it neither asks once nor starts the polling.
 * The value arrives in the RegisterValues record of the data callback, in DESIRED_Value (int32_t),
 * with DESIRED_Received true.
 *
 * @param Repetitive (bool) true: join the polled set; false: read once.
 * @param Com (ComID) the open connection, from Vorn_KRAVENT_OpenConnection_MAINPORT.
 * @return true when the request was recorded (not that the module answered); false after a failure.
 * @par Threads
 * Any thread, also from inside a callback; it only records the request and returns at once.
 * The answer arrives through Data_Received_MAINPORT, on the thread that the "Threads"
 * section of this header's opening comment names.
 * @par Failure messages
 * (`\t` stands for a tab.) Each is logged with the connection's address and becomes the last error
 * (Vorn_KRAVENT_GetLastError):
 * - `Pointer on ethernet communication not valid. ComID = NULL\t(Vorn_KRAVENT_Read_DESIRED)`: Com is NULL, closed, or did not come from an open (logged without an address).
 */
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Read_DESIRED(bool Repetitive, ComID Com);
/**
 * @brief Asks the module for FEEDBACK, the measured value that the PID compares with DESIRED.
 *
 * With Repetitive false, records a one-time read for the next Vorn_KRAVENT_SendData_MAINPORT.
 * With Repetitive true, puts the register into the polled set instead (it is then asked
 * at every period once Vorn_KRAVENT_RepetitiveAskStart runs, until Vorn_KRAVENT_RepetitiveAskReset);
 * it neither asks once nor starts the polling.
 * The value arrives in the RegisterValues record of the data callback, in FEEDBACK_Value (int32_t),
 * with FEEDBACK_Received true.
 *
 * @param Repetitive (bool) true: join the polled set; false: read once.
 * @param Com (ComID) the open connection, from Vorn_KRAVENT_OpenConnection_MAINPORT.
 * @return true when the request was recorded (not that the module answered); false after a failure.
 * @par Threads
 * Any thread, also from inside a callback; it only records the request and returns at once.
 * The answer arrives through Data_Received_MAINPORT, on the thread that the "Threads"
 * section of this header's opening comment names.
 * @par Failure messages
 * (`\t` stands for a tab.) Each is logged with the connection's address and becomes the last error
 * (Vorn_KRAVENT_GetLastError):
 * - `Pointer on ethernet communication not valid. ComID = NULL\t(Vorn_KRAVENT_Read_FEEDBACK)`: Com is NULL, closed, or did not come from an open (logged without an address).
 */
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Read_FEEDBACK(bool Repetitive, ComID Com);
/**
 * @brief Asks the module for COMMAND, the PID output, -32767 to 32767.
 *
 * With Repetitive false, records a one-time read for the next Vorn_KRAVENT_SendData_MAINPORT.
 * With Repetitive true, puts the register into the polled set instead (it is then asked
 * at every period once Vorn_KRAVENT_RepetitiveAskStart runs, until Vorn_KRAVENT_RepetitiveAskReset);
 * it neither asks once nor starts the polling.
 * The value arrives in the RegisterValues record of the data callback, in COMMAND_Value (int32_t),
 * with COMMAND_Received true.
 *
 * @param Repetitive (bool) true: join the polled set; false: read once.
 * @param Com (ComID) the open connection, from Vorn_KRAVENT_OpenConnection_MAINPORT.
 * @return true when the request was recorded (not that the module answered); false after a failure.
 * @par Threads
 * Any thread, also from inside a callback; it only records the request and returns at once.
 * The answer arrives through Data_Received_MAINPORT, on the thread that the "Threads"
 * section of this header's opening comment names.
 * @par Failure messages
 * (`\t` stands for a tab.) Each is logged with the connection's address and becomes the last error
 * (Vorn_KRAVENT_GetLastError):
 * - `Pointer on ethernet communication not valid. ComID = NULL\t(Vorn_KRAVENT_Read_COMMAND)`: Com is NULL, closed, or did not come from an open (logged without an address).
 */
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Read_COMMAND(bool Repetitive, ComID Com);
/**
 * @brief Asks the module for KP, the proportional gain of the PID.
 *
 * Records a read for the next Vorn_KRAVENT_SendData_MAINPORT; a second call before it changes nothing.
 * The value arrives in the RegisterValues record of the data callback, in KP_Value (float),
 * with KP_Received true.
 *
 * @param Com (ComID) the open connection, from Vorn_KRAVENT_OpenConnection_MAINPORT.
 * @return true when the request was recorded (not that the module answered); false after a failure.
 * @par Threads
 * Any thread, also from inside a callback; it only records the request and returns at once.
 * The answer arrives through Data_Received_MAINPORT, on the thread that the "Threads"
 * section of this header's opening comment names.
 * @par Failure messages
 * (`\t` stands for a tab.) Each is logged with the connection's address and becomes the last error
 * (Vorn_KRAVENT_GetLastError):
 * - `Pointer on ethernet communication not valid. ComID = NULL\t(Vorn_KRAVENT_Read_KP)`: Com is NULL, closed, or did not come from an open (logged without an address).
 */
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Read_KP(ComID Com);
/**
 * @brief Writes KP, the proportional gain of the PID.
 *
 * Records the value for the next Vorn_KRAVENT_SendData_MAINPORT; a second call before it
 * replaces the value. The answer sets KP_Written in the RegisterValues record.
 *
 * @param Value (float) the new value; it is sent in 16.16 fixed point, as whole 65536ths,
 *        so it must lie in -32768 to 32767.99998.
 * @param Com (ComID) the open connection, from Vorn_KRAVENT_OpenConnection_MAINPORT.
 * @return true when the write was recorded; false after a failure.
 * @par Threads
 * Any thread, also from inside a callback; it only records the request and returns at once.
 * The answer arrives through Data_Received_MAINPORT, on the thread that the "Threads"
 * section of this header's opening comment names.
 * @par Failure messages
 * (`\t` stands for a tab.) Each is logged with the connection's address and becomes the last error
 * (Vorn_KRAVENT_GetLastError):
 * - `Pointer on ethernet communication not valid. ComID = NULL\t(Vorn_KRAVENT_Write_KP)`: Com is NULL, closed, or did not come from an open (logged without an address).
 */
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Write_KP(float Value, ComID Com);
/**
 * @brief Asks the module for KI, the integral gain of the PID.
 *
 * Records a read for the next Vorn_KRAVENT_SendData_MAINPORT; a second call before it changes nothing.
 * The value arrives in the RegisterValues record of the data callback, in KI_Value (float),
 * with KI_Received true.
 *
 * @param Com (ComID) the open connection, from Vorn_KRAVENT_OpenConnection_MAINPORT.
 * @return true when the request was recorded (not that the module answered); false after a failure.
 * @par Threads
 * Any thread, also from inside a callback; it only records the request and returns at once.
 * The answer arrives through Data_Received_MAINPORT, on the thread that the "Threads"
 * section of this header's opening comment names.
 * @par Failure messages
 * (`\t` stands for a tab.) Each is logged with the connection's address and becomes the last error
 * (Vorn_KRAVENT_GetLastError):
 * - `Pointer on ethernet communication not valid. ComID = NULL\t(Vorn_KRAVENT_Read_KI)`: Com is NULL, closed, or did not come from an open (logged without an address).
 */
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Read_KI(ComID Com);
/**
 * @brief Writes KI, the integral gain of the PID.
 *
 * Records the value for the next Vorn_KRAVENT_SendData_MAINPORT; a second call before it
 * replaces the value. The answer sets KI_Written in the RegisterValues record.
 *
 * @param Value (float) the new value; it is sent in 16.16 fixed point, as whole 65536ths,
 *        so it must lie in -32768 to 32767.99998.
 * @param Com (ComID) the open connection, from Vorn_KRAVENT_OpenConnection_MAINPORT.
 * @return true when the write was recorded; false after a failure.
 * @par Threads
 * Any thread, also from inside a callback; it only records the request and returns at once.
 * The answer arrives through Data_Received_MAINPORT, on the thread that the "Threads"
 * section of this header's opening comment names.
 * @par Failure messages
 * (`\t` stands for a tab.) Each is logged with the connection's address and becomes the last error
 * (Vorn_KRAVENT_GetLastError):
 * - `Pointer on ethernet communication not valid. ComID = NULL\t(Vorn_KRAVENT_Write_KI)`: Com is NULL, closed, or did not come from an open (logged without an address).
 */
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Write_KI(float Value, ComID Com);
/**
 * @brief Asks the module for KD, the derivative gain of the PID.
 *
 * Records a read for the next Vorn_KRAVENT_SendData_MAINPORT; a second call before it changes nothing.
 * The value arrives in the RegisterValues record of the data callback, in KD_Value (float),
 * with KD_Received true.
 *
 * @param Com (ComID) the open connection, from Vorn_KRAVENT_OpenConnection_MAINPORT.
 * @return true when the request was recorded (not that the module answered); false after a failure.
 * @par Threads
 * Any thread, also from inside a callback; it only records the request and returns at once.
 * The answer arrives through Data_Received_MAINPORT, on the thread that the "Threads"
 * section of this header's opening comment names.
 * @par Failure messages
 * (`\t` stands for a tab.) Each is logged with the connection's address and becomes the last error
 * (Vorn_KRAVENT_GetLastError):
 * - `Pointer on ethernet communication not valid. ComID = NULL\t(Vorn_KRAVENT_Read_KD)`: Com is NULL, closed, or did not come from an open (logged without an address).
 */
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Read_KD(ComID Com);
/**
 * @brief Writes KD, the derivative gain of the PID.
 *
 * Records the value for the next Vorn_KRAVENT_SendData_MAINPORT; a second call before it
 * replaces the value. The answer sets KD_Written in the RegisterValues record.
 *
 * @param Value (float) the new value; it is sent in 16.16 fixed point, as whole 65536ths,
 *        so it must lie in -32768 to 32767.99998.
 * @param Com (ComID) the open connection, from Vorn_KRAVENT_OpenConnection_MAINPORT.
 * @return true when the write was recorded; false after a failure.
 * @par Threads
 * Any thread, also from inside a callback; it only records the request and returns at once.
 * The answer arrives through Data_Received_MAINPORT, on the thread that the "Threads"
 * section of this header's opening comment names.
 * @par Failure messages
 * (`\t` stands for a tab.) Each is logged with the connection's address and becomes the last error
 * (Vorn_KRAVENT_GetLastError):
 * - `Pointer on ethernet communication not valid. ComID = NULL\t(Vorn_KRAVENT_Write_KD)`: Com is NULL, closed, or did not come from an open (logged without an address).
 */
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Write_KD(float Value, ComID Com);
/**
 * @brief Asks the module for ANTIRESETWINDUP, the bound of INTEGRALDELTA (anti-windup).
 *
 * Records a read for the next Vorn_KRAVENT_SendData_MAINPORT; a second call before it changes nothing.
 * The value arrives in the RegisterValues record of the data callback, in ANTIRESETWINDUP_Value (int32_t),
 * with ANTIRESETWINDUP_Received true.
 *
 * @param Com (ComID) the open connection, from Vorn_KRAVENT_OpenConnection_MAINPORT.
 * @return true when the request was recorded (not that the module answered); false after a failure.
 * @par Threads
 * Any thread, also from inside a callback; it only records the request and returns at once.
 * The answer arrives through Data_Received_MAINPORT, on the thread that the "Threads"
 * section of this header's opening comment names.
 * @par Failure messages
 * (`\t` stands for a tab.) Each is logged with the connection's address and becomes the last error
 * (Vorn_KRAVENT_GetLastError):
 * - `Pointer on ethernet communication not valid. ComID = NULL\t(Vorn_KRAVENT_Read_ANTIRESETWINDUP)`: Com is NULL, closed, or did not come from an open (logged without an address).
 */
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Read_ANTIRESETWINDUP(ComID Com);
/**
 * @brief Writes ANTIRESETWINDUP, the bound of INTEGRALDELTA (anti-windup).
 *
 * Records the value for the next Vorn_KRAVENT_SendData_MAINPORT; a second call before it
 * replaces the value. The answer sets ANTIRESETWINDUP_Written in the RegisterValues record.
 *
 * @param Value (int32_t) the new value, sent as 32 bits, without a check.
 * @param Com (ComID) the open connection, from Vorn_KRAVENT_OpenConnection_MAINPORT.
 * @return true when the write was recorded; false after a failure.
 * @par Threads
 * Any thread, also from inside a callback; it only records the request and returns at once.
 * The answer arrives through Data_Received_MAINPORT, on the thread that the "Threads"
 * section of this header's opening comment names.
 * @par Failure messages
 * (`\t` stands for a tab.) Each is logged with the connection's address and becomes the last error
 * (Vorn_KRAVENT_GetLastError):
 * - `Pointer on ethernet communication not valid. ComID = NULL\t(Vorn_KRAVENT_Write_ANTIRESETWINDUP)`: Com is NULL, closed, or did not come from an open (logged without an address).
 */
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Write_ANTIRESETWINDUP(int32_t Value, ComID Com);
/**
 * @brief Asks the module for INTEGRALDELTA, the error summed over time, in count-seconds.
 *
 * With Repetitive false, records a one-time read for the next Vorn_KRAVENT_SendData_MAINPORT.
 * With Repetitive true, puts the register into the polled set instead (it is then asked
 * at every period once Vorn_KRAVENT_RepetitiveAskStart runs, until Vorn_KRAVENT_RepetitiveAskReset);
 * it neither asks once nor starts the polling.
 * The value arrives in the RegisterValues record of the data callback, in INTEGRALDELTA_Value (int32_t),
 * with INTEGRALDELTA_Received true.
 *
 * @param Repetitive (bool) true: join the polled set; false: read once.
 * @param Com (ComID) the open connection, from Vorn_KRAVENT_OpenConnection_MAINPORT.
 * @return true when the request was recorded (not that the module answered); false after a failure.
 * @par Threads
 * Any thread, also from inside a callback; it only records the request and returns at once.
 * The answer arrives through Data_Received_MAINPORT, on the thread that the "Threads"
 * section of this header's opening comment names.
 * @par Failure messages
 * (`\t` stands for a tab.) Each is logged with the connection's address and becomes the last error
 * (Vorn_KRAVENT_GetLastError):
 * - `Pointer on ethernet communication not valid. ComID = NULL\t(Vorn_KRAVENT_Read_INTEGRALDELTA)`: Com is NULL, closed, or did not come from an open (logged without an address).
 */
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Read_INTEGRALDELTA(bool Repetitive, ComID Com);
/**
 * @brief Writes INTEGRALDELTA, the error summed over time, in count-seconds.
 *
 * Records the value for the next Vorn_KRAVENT_SendData_MAINPORT; a second call before it
 * replaces the value. The answer sets INTEGRALDELTA_Written in the RegisterValues record.
 *
 * @param Value (int32_t) the new value, sent as 32 bits, without a check.
 * @param Com (ComID) the open connection, from Vorn_KRAVENT_OpenConnection_MAINPORT.
 * @return true when the write was recorded; false after a failure.
 * @par Threads
 * Any thread, also from inside a callback; it only records the request and returns at once.
 * The answer arrives through Data_Received_MAINPORT, on the thread that the "Threads"
 * section of this header's opening comment names.
 * @par Failure messages
 * (`\t` stands for a tab.) Each is logged with the connection's address and becomes the last error
 * (Vorn_KRAVENT_GetLastError):
 * - `Pointer on ethernet communication not valid. ComID = NULL\t(Vorn_KRAVENT_Write_INTEGRALDELTA)`: Com is NULL, closed, or did not come from an open (logged without an address).
 */
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Write_INTEGRALDELTA(int32_t Value, ComID Com);
/**
 * @brief Asks the module for DERIVATIONOFDELTA, the change of the error per millisecond.
 *
 * With Repetitive false, records a one-time read for the next Vorn_KRAVENT_SendData_MAINPORT.
 * With Repetitive true, puts the register into the polled set instead (it is then asked
 * at every period once Vorn_KRAVENT_RepetitiveAskStart runs, until Vorn_KRAVENT_RepetitiveAskReset);
 * it neither asks once nor starts the polling.
 * The value arrives in the RegisterValues record of the data callback, in DERIVATIONOFDELTA_Value (int32_t),
 * with DERIVATIONOFDELTA_Received true.
 *
 * @param Repetitive (bool) true: join the polled set; false: read once.
 * @param Com (ComID) the open connection, from Vorn_KRAVENT_OpenConnection_MAINPORT.
 * @return true when the request was recorded (not that the module answered); false after a failure.
 * @par Threads
 * Any thread, also from inside a callback; it only records the request and returns at once.
 * The answer arrives through Data_Received_MAINPORT, on the thread that the "Threads"
 * section of this header's opening comment names.
 * @par Failure messages
 * (`\t` stands for a tab.) Each is logged with the connection's address and becomes the last error
 * (Vorn_KRAVENT_GetLastError):
 * - `Pointer on ethernet communication not valid. ComID = NULL\t(Vorn_KRAVENT_Read_DERIVATIONOFDELTA)`: Com is NULL, closed, or did not come from an open (logged without an address).
 */
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Read_DERIVATIONOFDELTA(bool Repetitive, ComID Com);
/**
 * @brief Asks the module for ACCELERATION, the acceleration of the profile generator, in counts/s^2.
 *
 * Records a read for the next Vorn_KRAVENT_SendData_MAINPORT; a second call before it changes nothing.
 * The value arrives in the RegisterValues record of the data callback, in ACCELERATION_Value (int32_t),
 * with ACCELERATION_Received true.
 *
 * @param Com (ComID) the open connection, from Vorn_KRAVENT_OpenConnection_MAINPORT.
 * @return true when the request was recorded (not that the module answered); false after a failure.
 * @par Threads
 * Any thread, also from inside a callback; it only records the request and returns at once.
 * The answer arrives through Data_Received_MAINPORT, on the thread that the "Threads"
 * section of this header's opening comment names.
 * @par Failure messages
 * (`\t` stands for a tab.) Each is logged with the connection's address and becomes the last error
 * (Vorn_KRAVENT_GetLastError):
 * - `Pointer on ethernet communication not valid. ComID = NULL\t(Vorn_KRAVENT_Read_ACCELERATION)`: Com is NULL, closed, or did not come from an open (logged without an address).
 */
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Read_ACCELERATION(ComID Com);
/**
 * @brief Writes ACCELERATION, the acceleration of the profile generator, in counts/s^2.
 *
 * Records the value for the next Vorn_KRAVENT_SendData_MAINPORT; a second call before it
 * replaces the value. The answer sets ACCELERATION_Written in the RegisterValues record.
 *
 * @param Value (int32_t) the new value, in counts/s^2, sent as 32 bits, without a check.
 * @param Com (ComID) the open connection, from Vorn_KRAVENT_OpenConnection_MAINPORT.
 * @return true when the write was recorded; false after a failure.
 * @par Threads
 * Any thread, also from inside a callback; it only records the request and returns at once.
 * The answer arrives through Data_Received_MAINPORT, on the thread that the "Threads"
 * section of this header's opening comment names.
 * @par Failure messages
 * (`\t` stands for a tab.) Each is logged with the connection's address and becomes the last error
 * (Vorn_KRAVENT_GetLastError):
 * - `Pointer on ethernet communication not valid. ComID = NULL\t(Vorn_KRAVENT_Write_ACCELERATION)`: Com is NULL, closed, or did not come from an open (logged without an address).
 */
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Write_ACCELERATION(int32_t Value, ComID Com);
/**
 * @brief Asks the module for DECELERATION, the deceleration of the profile generator, in counts/s^2.
 *
 * Records a read for the next Vorn_KRAVENT_SendData_MAINPORT; a second call before it changes nothing.
 * The value arrives in the RegisterValues record of the data callback, in DECELERATION_Value (int32_t),
 * with DECELERATION_Received true.
 *
 * @param Com (ComID) the open connection, from Vorn_KRAVENT_OpenConnection_MAINPORT.
 * @return true when the request was recorded (not that the module answered); false after a failure.
 * @par Threads
 * Any thread, also from inside a callback; it only records the request and returns at once.
 * The answer arrives through Data_Received_MAINPORT, on the thread that the "Threads"
 * section of this header's opening comment names.
 * @par Failure messages
 * (`\t` stands for a tab.) Each is logged with the connection's address and becomes the last error
 * (Vorn_KRAVENT_GetLastError):
 * - `Pointer on ethernet communication not valid. ComID = NULL\t(Vorn_KRAVENT_Read_DECELERATION)`: Com is NULL, closed, or did not come from an open (logged without an address).
 */
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Read_DECELERATION(ComID Com);
/**
 * @brief Writes DECELERATION, the deceleration of the profile generator, in counts/s^2.
 *
 * Records the value for the next Vorn_KRAVENT_SendData_MAINPORT; a second call before it
 * replaces the value. The answer sets DECELERATION_Written in the RegisterValues record.
 *
 * @param Value (int32_t) the new value, in counts/s^2, sent as 32 bits, without a check.
 * @param Com (ComID) the open connection, from Vorn_KRAVENT_OpenConnection_MAINPORT.
 * @return true when the write was recorded; false after a failure.
 * @par Threads
 * Any thread, also from inside a callback; it only records the request and returns at once.
 * The answer arrives through Data_Received_MAINPORT, on the thread that the "Threads"
 * section of this header's opening comment names.
 * @par Failure messages
 * (`\t` stands for a tab.) Each is logged with the connection's address and becomes the last error
 * (Vorn_KRAVENT_GetLastError):
 * - `Pointer on ethernet communication not valid. ComID = NULL\t(Vorn_KRAVENT_Write_DECELERATION)`: Com is NULL, closed, or did not come from an open (logged without an address).
 */
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Write_DECELERATION(int32_t Value, ComID Com);
/**
 * @brief Asks the module for TOPSPEED, the top speed of the profile generator, in counts/s.
 *
 * Records a read for the next Vorn_KRAVENT_SendData_MAINPORT; a second call before it changes nothing.
 * The value arrives in the RegisterValues record of the data callback, in TOPSPEED_Value (int32_t),
 * with TOPSPEED_Received true.
 *
 * @param Com (ComID) the open connection, from Vorn_KRAVENT_OpenConnection_MAINPORT.
 * @return true when the request was recorded (not that the module answered); false after a failure.
 * @par Threads
 * Any thread, also from inside a callback; it only records the request and returns at once.
 * The answer arrives through Data_Received_MAINPORT, on the thread that the "Threads"
 * section of this header's opening comment names.
 * @par Failure messages
 * (`\t` stands for a tab.) Each is logged with the connection's address and becomes the last error
 * (Vorn_KRAVENT_GetLastError):
 * - `Pointer on ethernet communication not valid. ComID = NULL\t(Vorn_KRAVENT_Read_TOPSPEED)`: Com is NULL, closed, or did not come from an open (logged without an address).
 */
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Read_TOPSPEED(ComID Com);
/**
 * @brief Writes TOPSPEED, the top speed of the profile generator, in counts/s.
 *
 * Records the value for the next Vorn_KRAVENT_SendData_MAINPORT; a second call before it
 * replaces the value. The answer sets TOPSPEED_Written in the RegisterValues record.
 *
 * @param Value (int32_t) the new value, in counts/s, sent as 32 bits, without a check.
 * @param Com (ComID) the open connection, from Vorn_KRAVENT_OpenConnection_MAINPORT.
 * @return true when the write was recorded; false after a failure.
 * @par Threads
 * Any thread, also from inside a callback; it only records the request and returns at once.
 * The answer arrives through Data_Received_MAINPORT, on the thread that the "Threads"
 * section of this header's opening comment names.
 * @par Failure messages
 * (`\t` stands for a tab.) Each is logged with the connection's address and becomes the last error
 * (Vorn_KRAVENT_GetLastError):
 * - `Pointer on ethernet communication not valid. ComID = NULL\t(Vorn_KRAVENT_Write_TOPSPEED)`: Com is NULL, closed, or did not come from an open (logged without an address).
 */
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Write_TOPSPEED(int32_t Value, ComID Com);
/**
 * @brief Asks the module for DEADZONE, the error that counts as none, in counts.
 *
 * Records a read for the next Vorn_KRAVENT_SendData_MAINPORT; a second call before it changes nothing.
 * The value arrives in the RegisterValues record of the data callback, in DEADZONE_Value (int32_t),
 * with DEADZONE_Received true.
 *
 * @param Com (ComID) the open connection, from Vorn_KRAVENT_OpenConnection_MAINPORT.
 * @return true when the request was recorded (not that the module answered); false after a failure.
 * @par Threads
 * Any thread, also from inside a callback; it only records the request and returns at once.
 * The answer arrives through Data_Received_MAINPORT, on the thread that the "Threads"
 * section of this header's opening comment names.
 * @par Failure messages
 * (`\t` stands for a tab.) Each is logged with the connection's address and becomes the last error
 * (Vorn_KRAVENT_GetLastError):
 * - `Pointer on ethernet communication not valid. ComID = NULL\t(Vorn_KRAVENT_Read_DEADZONE)`: Com is NULL, closed, or did not come from an open (logged without an address).
 */
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Read_DEADZONE(ComID Com);
/**
 * @brief Writes DEADZONE, the error that counts as none, in counts.
 *
 * Records the value for the next Vorn_KRAVENT_SendData_MAINPORT; a second call before it
 * replaces the value. The answer sets DEADZONE_Written in the RegisterValues record.
 *
 * @param Value (int32_t) the new value, in counts, sent as 32 bits, without a check.
 * @param Com (ComID) the open connection, from Vorn_KRAVENT_OpenConnection_MAINPORT.
 * @return true when the write was recorded; false after a failure.
 * @par Threads
 * Any thread, also from inside a callback; it only records the request and returns at once.
 * The answer arrives through Data_Received_MAINPORT, on the thread that the "Threads"
 * section of this header's opening comment names.
 * @par Failure messages
 * (`\t` stands for a tab.) Each is logged with the connection's address and becomes the last error
 * (Vorn_KRAVENT_GetLastError):
 * - `Pointer on ethernet communication not valid. ComID = NULL\t(Vorn_KRAVENT_Write_DEADZONE)`: Com is NULL, closed, or did not come from an open (logged without an address).
 */
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Write_DEADZONE(int32_t Value, ComID Com);
/**
 * @brief Asks the module for HOMINGOPTIONS, the homing options.
 *
 * Records a read for the next Vorn_KRAVENT_SendData_MAINPORT; a second call before it changes nothing.
 * The value arrives in the RegisterValues record of the data callback, in HOMINGOPTIONS_HomingNibble0, _HomingBit7, _HomingNibble2 to _HomingNibble5,
 * with HOMINGOPTIONS_Received true.
 *
 * @param Com (ComID) the open connection, from Vorn_KRAVENT_OpenConnection_MAINPORT.
 * @return true when the request was recorded (not that the module answered); false after a failure.
 * @par Threads
 * Any thread, also from inside a callback; it only records the request and returns at once.
 * The answer arrives through Data_Received_MAINPORT, on the thread that the "Threads"
 * section of this header's opening comment names.
 * @par Failure messages
 * (`\t` stands for a tab.) Each is logged with the connection's address and becomes the last error
 * (Vorn_KRAVENT_GetLastError):
 * - `Pointer on ethernet communication not valid. ComID = NULL\t(Vorn_KRAVENT_Read_HOMINGOPTIONS)`: Com is NULL, closed, or did not come from an open (logged without an address).
 */
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Read_HOMINGOPTIONS(ComID Com);
/**
 * @brief Writes HOMINGOPTIONS, the homing options, as six fields of one 32-bit register.
 *
 * Records the value for the next Vorn_KRAVENT_SendData_MAINPORT. The fields are stored unchanged;
 * the register carries the low 4 bits of each nibble: bits 0-3 nibble 0, bit 7 HomingBit7,
 * bits 8-11, 12-15, 16-19 and 20-23 nibbles 2 to 5.
 *
 * @param HomingNibble0 (int32_t) bits 0-3, 0 to 15.
 * @param HomingBit7 (bool) bit 7.
 * @param HomingNibble2 (int32_t) bits 8-11, 0 to 15.
 * @param HomingNibble3 (int32_t) bits 12-15, 0 to 15.
 * @param HomingNibble4 (int32_t) bits 16-19, 0 to 15.
 * @param HomingNibble5 (int32_t) bits 20-23, 0 to 15.
 * @param Com (ComID) the open connection, from Vorn_KRAVENT_OpenConnection_MAINPORT.
 * @return true when the write was recorded; false after a failure.
 * @par Threads
 * Any thread, also from inside a callback; it only records the request and returns at once.
 * The answer arrives through Data_Received_MAINPORT, on the thread that the "Threads"
 * section of this header's opening comment names.
 * @par Failure messages
 * (`\t` stands for a tab.) Each is logged with the connection's address and becomes the last error
 * (Vorn_KRAVENT_GetLastError):
 * - `Pointer on ethernet communication not valid. ComID = NULL\t(Vorn_KRAVENT_Write_HOMINGOPTIONS)`: Com is NULL, closed, or did not come from an open (logged without an address).
 */
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Write_HOMINGOPTIONS(int32_t HomingNibble0, bool HomingBit7, int32_t HomingNibble2,
                                                          int32_t HomingNibble3, int32_t HomingNibble4, int32_t HomingNibble5, ComID Com);
/**
 * @brief Runs the HOMING command: starts the homing run towards HOMINGPOSITION.
 *
 * Records the command for the next Vorn_KRAVENT_SendData_MAINPORT; its answer sets
 * HOMING_Written in the RegisterValues record of the data callback.
 *
 * @param Com (ComID) the open connection, from Vorn_KRAVENT_OpenConnection_MAINPORT.
 * @return true when the command was recorded; false after a failure.
 * @par Threads
 * Any thread, also from inside a callback; it only records the request and returns at once.
 * The answer arrives through Data_Received_MAINPORT, on the thread that the "Threads"
 * section of this header's opening comment names.
 * @par Failure messages
 * (`\t` stands for a tab.) Each is logged with the connection's address and becomes the last error
 * (Vorn_KRAVENT_GetLastError):
 * - `Pointer on ethernet communication not valid. ComID = NULL\t(Vorn_KRAVENT_Write_HOMING)`: Com is NULL, closed, or did not come from an open (logged without an address).
 */
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Write_HOMING(ComID Com);
/**
 * @brief Runs the STOPHOMING command: stops a homing run.
 *
 * Records the command for the next Vorn_KRAVENT_SendData_MAINPORT; its answer sets
 * STOPHOMING_Written in the RegisterValues record of the data callback.
 *
 * @param Com (ComID) the open connection, from Vorn_KRAVENT_OpenConnection_MAINPORT.
 * @return true when the command was recorded; false after a failure.
 * @par Threads
 * Any thread, also from inside a callback; it only records the request and returns at once.
 * The answer arrives through Data_Received_MAINPORT, on the thread that the "Threads"
 * section of this header's opening comment names.
 * @par Failure messages
 * (`\t` stands for a tab.) Each is logged with the connection's address and becomes the last error
 * (Vorn_KRAVENT_GetLastError):
 * - `Pointer on ethernet communication not valid. ComID = NULL\t(Vorn_KRAVENT_Write_STOPHOMING)`: Com is NULL, closed, or did not come from an open (logged without an address).
 */
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Write_STOPHOMING(ComID Com);
/**
 * @brief Asks the module for HOMINGPOSITION, the position that homing drives to, in counts.
 *
 * Records a read for the next Vorn_KRAVENT_SendData_MAINPORT; a second call before it changes nothing.
 * The value arrives in the RegisterValues record of the data callback, in HOMINGPOSITION_Value (int32_t),
 * with HOMINGPOSITION_Received true.
 *
 * @param Com (ComID) the open connection, from Vorn_KRAVENT_OpenConnection_MAINPORT.
 * @return true when the request was recorded (not that the module answered); false after a failure.
 * @par Threads
 * Any thread, also from inside a callback; it only records the request and returns at once.
 * The answer arrives through Data_Received_MAINPORT, on the thread that the "Threads"
 * section of this header's opening comment names.
 * @par Failure messages
 * (`\t` stands for a tab.) Each is logged with the connection's address and becomes the last error
 * (Vorn_KRAVENT_GetLastError):
 * - `Pointer on ethernet communication not valid. ComID = NULL\t(Vorn_KRAVENT_Read_HOMINGPOSITION)`: Com is NULL, closed, or did not come from an open (logged without an address).
 */
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Read_HOMINGPOSITION(ComID Com);
/**
 * @brief Writes HOMINGPOSITION, the position that homing drives to, in counts.
 *
 * Records the value for the next Vorn_KRAVENT_SendData_MAINPORT; a second call before it
 * replaces the value. The answer sets HOMINGPOSITION_Written in the RegisterValues record.
 *
 * @param Value (int32_t) the new value, in counts, sent as 32 bits, without a check.
 * @param Com (ComID) the open connection, from Vorn_KRAVENT_OpenConnection_MAINPORT.
 * @return true when the write was recorded; false after a failure.
 * @par Threads
 * Any thread, also from inside a callback; it only records the request and returns at once.
 * The answer arrives through Data_Received_MAINPORT, on the thread that the "Threads"
 * section of this header's opening comment names.
 * @par Failure messages
 * (`\t` stands for a tab.) Each is logged with the connection's address and becomes the last error
 * (Vorn_KRAVENT_GetLastError):
 * - `Pointer on ethernet communication not valid. ComID = NULL\t(Vorn_KRAVENT_Write_HOMINGPOSITION)`: Com is NULL, closed, or did not come from an open (logged without an address).
 */
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Write_HOMINGPOSITION(int32_t Value, ComID Com);
/**
 * @brief Asks the module for HOMINGINPUT, the input that homing uses.
 *
 * Records a read for the next Vorn_KRAVENT_SendData_MAINPORT; a second call before it changes nothing.
 * The value arrives in the RegisterValues record of the data callback, in HOMINGINPUT_Value (int32_t),
 * with HOMINGINPUT_Received true.
 *
 * @param Com (ComID) the open connection, from Vorn_KRAVENT_OpenConnection_MAINPORT.
 * @return true when the request was recorded (not that the module answered); false after a failure.
 * @par Threads
 * Any thread, also from inside a callback; it only records the request and returns at once.
 * The answer arrives through Data_Received_MAINPORT, on the thread that the "Threads"
 * section of this header's opening comment names.
 * @par Failure messages
 * (`\t` stands for a tab.) Each is logged with the connection's address and becomes the last error
 * (Vorn_KRAVENT_GetLastError):
 * - `Pointer on ethernet communication not valid. ComID = NULL\t(Vorn_KRAVENT_Read_HOMINGINPUT)`: Com is NULL, closed, or did not come from an open (logged without an address).
 */
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Read_HOMINGINPUT(ComID Com);
/**
 * @brief Writes HOMINGINPUT, the input that homing uses.
 *
 * Records the value for the next Vorn_KRAVENT_SendData_MAINPORT; a second call before it
 * replaces the value. The answer sets HOMINGINPUT_Written in the RegisterValues record.
 *
 * @param Value (int32_t) the new value, sent as 32 bits, without a check.
 * @param Com (ComID) the open connection, from Vorn_KRAVENT_OpenConnection_MAINPORT.
 * @return true when the write was recorded; false after a failure.
 * @par Threads
 * Any thread, also from inside a callback; it only records the request and returns at once.
 * The answer arrives through Data_Received_MAINPORT, on the thread that the "Threads"
 * section of this header's opening comment names.
 * @par Failure messages
 * (`\t` stands for a tab.) Each is logged with the connection's address and becomes the last error
 * (Vorn_KRAVENT_GetLastError):
 * - `Pointer on ethernet communication not valid. ComID = NULL\t(Vorn_KRAVENT_Write_HOMINGINPUT)`: Com is NULL, closed, or did not come from an open (logged without an address).
 */
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Write_HOMINGINPUT(int32_t Value, ComID Com);
/**
 * @brief Asks the module for LIMIT1SETUP, the setup of limit 1 (0 disabled).
 *
 * Records a read for the next Vorn_KRAVENT_SendData_MAINPORT; a second call before it changes nothing.
 * The value arrives in the RegisterValues record of the data callback, in LIMIT1SETUP_Value (int32_t),
 * with LIMIT1SETUP_Received true.
 *
 * @param Com (ComID) the open connection, from Vorn_KRAVENT_OpenConnection_MAINPORT.
 * @return true when the request was recorded (not that the module answered); false after a failure.
 * @par Threads
 * Any thread, also from inside a callback; it only records the request and returns at once.
 * The answer arrives through Data_Received_MAINPORT, on the thread that the "Threads"
 * section of this header's opening comment names.
 * @par Failure messages
 * (`\t` stands for a tab.) Each is logged with the connection's address and becomes the last error
 * (Vorn_KRAVENT_GetLastError):
 * - `Pointer on ethernet communication not valid. ComID = NULL\t(Vorn_KRAVENT_Read_LIMIT1SETUP)`: Com is NULL, closed, or did not come from an open (logged without an address).
 */
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Read_LIMIT1SETUP(ComID Com);
/**
 * @brief Writes LIMIT1SETUP, the setup of limit 1 (0 disabled).
 *
 * Records the value for the next Vorn_KRAVENT_SendData_MAINPORT; a second call before it
 * replaces the value. The answer sets LIMIT1SETUP_Written in the RegisterValues record.
 *
 * @param Value (int32_t) the new value, sent as 32 bits, without a check.
 * @param Com (ComID) the open connection, from Vorn_KRAVENT_OpenConnection_MAINPORT.
 * @return true when the write was recorded; false after a failure.
 * @par Threads
 * Any thread, also from inside a callback; it only records the request and returns at once.
 * The answer arrives through Data_Received_MAINPORT, on the thread that the "Threads"
 * section of this header's opening comment names.
 * @par Failure messages
 * (`\t` stands for a tab.) Each is logged with the connection's address and becomes the last error
 * (Vorn_KRAVENT_GetLastError):
 * - `Pointer on ethernet communication not valid. ComID = NULL\t(Vorn_KRAVENT_Write_LIMIT1SETUP)`: Com is NULL, closed, or did not come from an open (logged without an address).
 */
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Write_LIMIT1SETUP(int32_t Value, ComID Com);
/**
 * @brief Asks the module for LIMIT1REGULATIONMODE, the regulation mode taken when limit 1 is reached.
 *
 * Records a read for the next Vorn_KRAVENT_SendData_MAINPORT; a second call before it changes nothing.
 * The value arrives in the RegisterValues record of the data callback, in LIMIT1REGULATIONMODE_Value (int32_t, 0 to 255),
 * with LIMIT1REGULATIONMODE_Received true.
 *
 * @param Com (ComID) the open connection, from Vorn_KRAVENT_OpenConnection_MAINPORT.
 * @return true when the request was recorded (not that the module answered); false after a failure.
 * @par Threads
 * Any thread, also from inside a callback; it only records the request and returns at once.
 * The answer arrives through Data_Received_MAINPORT, on the thread that the "Threads"
 * section of this header's opening comment names.
 * @par Failure messages
 * (`\t` stands for a tab.) Each is logged with the connection's address and becomes the last error
 * (Vorn_KRAVENT_GetLastError):
 * - `Pointer on ethernet communication not valid. ComID = NULL\t(Vorn_KRAVENT_Read_LIMIT1REGULATIONMODE)`: Com is NULL, closed, or did not come from an open (logged without an address).
 */
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Read_LIMIT1REGULATIONMODE(ComID Com);
/**
 * @brief Writes LIMIT1REGULATIONMODE, the regulation mode taken when limit 1 is reached.
 *
 * Records the value for the next Vorn_KRAVENT_SendData_MAINPORT; a second call before it
 * replaces the value. The answer sets LIMIT1REGULATIONMODE_Written in the RegisterValues record.
 *
 * @param Value (int32_t) the new value; only its low 8 bits are sent (0 to 255), without a check.
 * @param Com (ComID) the open connection, from Vorn_KRAVENT_OpenConnection_MAINPORT.
 * @return true when the write was recorded; false after a failure.
 * @par Threads
 * Any thread, also from inside a callback; it only records the request and returns at once.
 * The answer arrives through Data_Received_MAINPORT, on the thread that the "Threads"
 * section of this header's opening comment names.
 * @par Failure messages
 * (`\t` stands for a tab.) Each is logged with the connection's address and becomes the last error
 * (Vorn_KRAVENT_GetLastError):
 * - `Pointer on ethernet communication not valid. ComID = NULL\t(Vorn_KRAVENT_Write_LIMIT1REGULATIONMODE)`: Com is NULL, closed, or did not come from an open (logged without an address).
 */
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Write_LIMIT1REGULATIONMODE(int32_t Value, ComID Com);
/**
 * @brief Asks the module for LIMIT1POSITION, the position of limit 1 (reached from above), in counts.
 *
 * Records a read for the next Vorn_KRAVENT_SendData_MAINPORT; a second call before it changes nothing.
 * The value arrives in the RegisterValues record of the data callback, in LIMIT1POSITION_Value (int32_t),
 * with LIMIT1POSITION_Received true.
 *
 * @param Com (ComID) the open connection, from Vorn_KRAVENT_OpenConnection_MAINPORT.
 * @return true when the request was recorded (not that the module answered); false after a failure.
 * @par Threads
 * Any thread, also from inside a callback; it only records the request and returns at once.
 * The answer arrives through Data_Received_MAINPORT, on the thread that the "Threads"
 * section of this header's opening comment names.
 * @par Failure messages
 * (`\t` stands for a tab.) Each is logged with the connection's address and becomes the last error
 * (Vorn_KRAVENT_GetLastError):
 * - `Pointer on ethernet communication not valid. ComID = NULL\t(Vorn_KRAVENT_Read_LIMIT1POSITION)`: Com is NULL, closed, or did not come from an open (logged without an address).
 */
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Read_LIMIT1POSITION(ComID Com);
/**
 * @brief Writes LIMIT1POSITION, the position of limit 1 (reached from above), in counts.
 *
 * Records the value for the next Vorn_KRAVENT_SendData_MAINPORT; a second call before it
 * replaces the value. The answer sets LIMIT1POSITION_Written in the RegisterValues record.
 *
 * @param Value (int32_t) the new value, in counts, sent as 32 bits, without a check.
 * @param Com (ComID) the open connection, from Vorn_KRAVENT_OpenConnection_MAINPORT.
 * @return true when the write was recorded; false after a failure.
 * @par Threads
 * Any thread, also from inside a callback; it only records the request and returns at once.
 * The answer arrives through Data_Received_MAINPORT, on the thread that the "Threads"
 * section of this header's opening comment names.
 * @par Failure messages
 * (`\t` stands for a tab.) Each is logged with the connection's address and becomes the last error
 * (Vorn_KRAVENT_GetLastError):
 * - `Pointer on ethernet communication not valid. ComID = NULL\t(Vorn_KRAVENT_Write_LIMIT1POSITION)`: Com is NULL, closed, or did not come from an open (logged without an address).
 */
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Write_LIMIT1POSITION(int32_t Value, ComID Com);
/**
 * @brief Asks the module for LIMIT1XINPUT, the input taken at limit 1.
 *
 * Records a read for the next Vorn_KRAVENT_SendData_MAINPORT; a second call before it changes nothing.
 * The value arrives in the RegisterValues record of the data callback, in LIMIT1XINPUT_Value (int32_t),
 * with LIMIT1XINPUT_Received true.
 *
 * @param Com (ComID) the open connection, from Vorn_KRAVENT_OpenConnection_MAINPORT.
 * @return true when the request was recorded (not that the module answered); false after a failure.
 * @par Threads
 * Any thread, also from inside a callback; it only records the request and returns at once.
 * The answer arrives through Data_Received_MAINPORT, on the thread that the "Threads"
 * section of this header's opening comment names.
 * @par Failure messages
 * (`\t` stands for a tab.) Each is logged with the connection's address and becomes the last error
 * (Vorn_KRAVENT_GetLastError):
 * - `Pointer on ethernet communication not valid. ComID = NULL\t(Vorn_KRAVENT_Read_LIMIT1XINPUT)`: Com is NULL, closed, or did not come from an open (logged without an address).
 */
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Read_LIMIT1XINPUT(ComID Com);
/**
 * @brief Writes LIMIT1XINPUT, the input taken at limit 1.
 *
 * Records the value for the next Vorn_KRAVENT_SendData_MAINPORT; a second call before it
 * replaces the value. The answer sets LIMIT1XINPUT_Written in the RegisterValues record.
 *
 * @param Value (int32_t) the new value, sent as 32 bits, without a check.
 * @param Com (ComID) the open connection, from Vorn_KRAVENT_OpenConnection_MAINPORT.
 * @return true when the write was recorded; false after a failure.
 * @par Threads
 * Any thread, also from inside a callback; it only records the request and returns at once.
 * The answer arrives through Data_Received_MAINPORT, on the thread that the "Threads"
 * section of this header's opening comment names.
 * @par Failure messages
 * (`\t` stands for a tab.) Each is logged with the connection's address and becomes the last error
 * (Vorn_KRAVENT_GetLastError):
 * - `Pointer on ethernet communication not valid. ComID = NULL\t(Vorn_KRAVENT_Write_LIMIT1XINPUT)`: Com is NULL, closed, or did not come from an open (logged without an address).
 */
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Write_LIMIT1XINPUT(int32_t Value, ComID Com);
/**
 * @brief Asks the module for LIMIT2SETUP, the setup of limit 2 (0 disabled).
 *
 * Records a read for the next Vorn_KRAVENT_SendData_MAINPORT; a second call before it changes nothing.
 * The value arrives in the RegisterValues record of the data callback, in LIMIT2SETUP_Value (int32_t),
 * with LIMIT2SETUP_Received true.
 *
 * @param Com (ComID) the open connection, from Vorn_KRAVENT_OpenConnection_MAINPORT.
 * @return true when the request was recorded (not that the module answered); false after a failure.
 * @par Threads
 * Any thread, also from inside a callback; it only records the request and returns at once.
 * The answer arrives through Data_Received_MAINPORT, on the thread that the "Threads"
 * section of this header's opening comment names.
 * @par Failure messages
 * (`\t` stands for a tab.) Each is logged with the connection's address and becomes the last error
 * (Vorn_KRAVENT_GetLastError):
 * - `Pointer on ethernet communication not valid. ComID = NULL\t(Vorn_KRAVENT_Read_LIMIT2SETUP)`: Com is NULL, closed, or did not come from an open (logged without an address).
 */
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Read_LIMIT2SETUP(ComID Com);
/**
 * @brief Writes LIMIT2SETUP, the setup of limit 2 (0 disabled).
 *
 * Records the value for the next Vorn_KRAVENT_SendData_MAINPORT; a second call before it
 * replaces the value. The answer sets LIMIT2SETUP_Written in the RegisterValues record.
 *
 * @param Value (int32_t) the new value, sent as 32 bits, without a check.
 * @param Com (ComID) the open connection, from Vorn_KRAVENT_OpenConnection_MAINPORT.
 * @return true when the write was recorded; false after a failure.
 * @par Threads
 * Any thread, also from inside a callback; it only records the request and returns at once.
 * The answer arrives through Data_Received_MAINPORT, on the thread that the "Threads"
 * section of this header's opening comment names.
 * @par Failure messages
 * (`\t` stands for a tab.) Each is logged with the connection's address and becomes the last error
 * (Vorn_KRAVENT_GetLastError):
 * - `Pointer on ethernet communication not valid. ComID = NULL\t(Vorn_KRAVENT_Write_LIMIT2SETUP)`: Com is NULL, closed, or did not come from an open (logged without an address).
 */
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Write_LIMIT2SETUP(int32_t Value, ComID Com);
/**
 * @brief Asks the module for LIMIT2REGULATIONMODE, the regulation mode taken when limit 2 is reached.
 *
 * Records a read for the next Vorn_KRAVENT_SendData_MAINPORT; a second call before it changes nothing.
 * The value arrives in the RegisterValues record of the data callback, in LIMIT2REGULATIONMODE_Value (int32_t, 0 to 255),
 * with LIMIT2REGULATIONMODE_Received true.
 *
 * @param Com (ComID) the open connection, from Vorn_KRAVENT_OpenConnection_MAINPORT.
 * @return true when the request was recorded (not that the module answered); false after a failure.
 * @par Threads
 * Any thread, also from inside a callback; it only records the request and returns at once.
 * The answer arrives through Data_Received_MAINPORT, on the thread that the "Threads"
 * section of this header's opening comment names.
 * @par Failure messages
 * (`\t` stands for a tab.) Each is logged with the connection's address and becomes the last error
 * (Vorn_KRAVENT_GetLastError):
 * - `Pointer on ethernet communication not valid. ComID = NULL\t(Vorn_KRAVENT_Read_LIMIT2REGULATIONMODE)`: Com is NULL, closed, or did not come from an open (logged without an address).
 */
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Read_LIMIT2REGULATIONMODE(ComID Com);
/**
 * @brief Writes LIMIT2REGULATIONMODE, the regulation mode taken when limit 2 is reached.
 *
 * Records the value for the next Vorn_KRAVENT_SendData_MAINPORT; a second call before it
 * replaces the value. The answer sets LIMIT2REGULATIONMODE_Written in the RegisterValues record.
 *
 * @param Value (int32_t) the new value; only its low 8 bits are sent (0 to 255), without a check.
 * @param Com (ComID) the open connection, from Vorn_KRAVENT_OpenConnection_MAINPORT.
 * @return true when the write was recorded; false after a failure.
 * @par Threads
 * Any thread, also from inside a callback; it only records the request and returns at once.
 * The answer arrives through Data_Received_MAINPORT, on the thread that the "Threads"
 * section of this header's opening comment names.
 * @par Failure messages
 * (`\t` stands for a tab.) Each is logged with the connection's address and becomes the last error
 * (Vorn_KRAVENT_GetLastError):
 * - `Pointer on ethernet communication not valid. ComID = NULL\t(Vorn_KRAVENT_Write_LIMIT2REGULATIONMODE)`: Com is NULL, closed, or did not come from an open (logged without an address).
 */
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Write_LIMIT2REGULATIONMODE(int32_t Value, ComID Com);
/**
 * @brief Asks the module for LIMIT2POSITION, the position of limit 2 (reached from below), in counts.
 *
 * Records a read for the next Vorn_KRAVENT_SendData_MAINPORT; a second call before it changes nothing.
 * The value arrives in the RegisterValues record of the data callback, in LIMIT2POSITION_Value (int32_t),
 * with LIMIT2POSITION_Received true.
 *
 * @param Com (ComID) the open connection, from Vorn_KRAVENT_OpenConnection_MAINPORT.
 * @return true when the request was recorded (not that the module answered); false after a failure.
 * @par Threads
 * Any thread, also from inside a callback; it only records the request and returns at once.
 * The answer arrives through Data_Received_MAINPORT, on the thread that the "Threads"
 * section of this header's opening comment names.
 * @par Failure messages
 * (`\t` stands for a tab.) Each is logged with the connection's address and becomes the last error
 * (Vorn_KRAVENT_GetLastError):
 * - `Pointer on ethernet communication not valid. ComID = NULL\t(Vorn_KRAVENT_Read_LIMIT2POSITION)`: Com is NULL, closed, or did not come from an open (logged without an address).
 */
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Read_LIMIT2POSITION(ComID Com);
/**
 * @brief Writes LIMIT2POSITION, the position of limit 2 (reached from below), in counts.
 *
 * Records the value for the next Vorn_KRAVENT_SendData_MAINPORT; a second call before it
 * replaces the value. The answer sets LIMIT2POSITION_Written in the RegisterValues record.
 *
 * @param Value (int32_t) the new value, in counts, sent as 32 bits, without a check.
 * @param Com (ComID) the open connection, from Vorn_KRAVENT_OpenConnection_MAINPORT.
 * @return true when the write was recorded; false after a failure.
 * @par Threads
 * Any thread, also from inside a callback; it only records the request and returns at once.
 * The answer arrives through Data_Received_MAINPORT, on the thread that the "Threads"
 * section of this header's opening comment names.
 * @par Failure messages
 * (`\t` stands for a tab.) Each is logged with the connection's address and becomes the last error
 * (Vorn_KRAVENT_GetLastError):
 * - `Pointer on ethernet communication not valid. ComID = NULL\t(Vorn_KRAVENT_Write_LIMIT2POSITION)`: Com is NULL, closed, or did not come from an open (logged without an address).
 */
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Write_LIMIT2POSITION(int32_t Value, ComID Com);
/**
 * @brief Asks the module for LIMIT2XINPUT, the input taken at limit 2.
 *
 * Records a read for the next Vorn_KRAVENT_SendData_MAINPORT; a second call before it changes nothing.
 * The value arrives in the RegisterValues record of the data callback, in LIMIT2XINPUT_Value (int32_t),
 * with LIMIT2XINPUT_Received true.
 *
 * @param Com (ComID) the open connection, from Vorn_KRAVENT_OpenConnection_MAINPORT.
 * @return true when the request was recorded (not that the module answered); false after a failure.
 * @par Threads
 * Any thread, also from inside a callback; it only records the request and returns at once.
 * The answer arrives through Data_Received_MAINPORT, on the thread that the "Threads"
 * section of this header's opening comment names.
 * @par Failure messages
 * (`\t` stands for a tab.) Each is logged with the connection's address and becomes the last error
 * (Vorn_KRAVENT_GetLastError):
 * - `Pointer on ethernet communication not valid. ComID = NULL\t(Vorn_KRAVENT_Read_LIMIT2XINPUT)`: Com is NULL, closed, or did not come from an open (logged without an address).
 */
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Read_LIMIT2XINPUT(ComID Com);
/**
 * @brief Writes LIMIT2XINPUT, the input taken at limit 2.
 *
 * Records the value for the next Vorn_KRAVENT_SendData_MAINPORT; a second call before it
 * replaces the value. The answer sets LIMIT2XINPUT_Written in the RegisterValues record.
 *
 * @param Value (int32_t) the new value, sent as 32 bits, without a check.
 * @param Com (ComID) the open connection, from Vorn_KRAVENT_OpenConnection_MAINPORT.
 * @return true when the write was recorded; false after a failure.
 * @par Threads
 * Any thread, also from inside a callback; it only records the request and returns at once.
 * The answer arrives through Data_Received_MAINPORT, on the thread that the "Threads"
 * section of this header's opening comment names.
 * @par Failure messages
 * (`\t` stands for a tab.) Each is logged with the connection's address and becomes the last error
 * (Vorn_KRAVENT_GetLastError):
 * - `Pointer on ethernet communication not valid. ComID = NULL\t(Vorn_KRAVENT_Write_LIMIT2XINPUT)`: Com is NULL, closed, or did not come from an open (logged without an address).
 */
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Write_LIMIT2XINPUT(int32_t Value, ComID Com);

/* Send trigger and polling. */
/**
 * @brief Asks for all 45 readable registers in the next exchange.
 *
 * Records a read of every readable register for the next Vorn_KRAVENT_SendData_MAINPORT, which
 * splits the request into as many packets as it needs; the data callback runs once, after the
 * last answer. The polled set is not touched.
 *
 * @param Com (ComID) the open connection, from Vorn_KRAVENT_OpenConnection_MAINPORT.
 * @return true when done; false after a failure.
 * @par Threads
 * Any thread, also from inside a callback; it returns at once and sends nothing itself.
 * Answers arrive through Data_Received_MAINPORT, on the thread that "Threads" in this
 * header's opening comment names.
 * @par Failure messages
 * (`\t` stands for a tab.) Each is logged with the connection's address and becomes the last error
 * (Vorn_KRAVENT_GetLastError):
 * - `Pointer on ethernet communication not valid. ComID = NULL\t(Vorn_KRAVENT_Read_AllRegister)`: Com is NULL, closed, or did not come from an open (logged without an address).
 */
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_Read_AllRegister(ComID Com);
/**
 * @brief Withdraws every read recorded since the last exchange.
 *
 * Writes, commands and the polled set stay as they are.
 *
 * @param Com (ComID) the open connection, from Vorn_KRAVENT_OpenConnection_MAINPORT.
 * @return true when done; false after a failure.
 * @par Threads
 * Any thread, also from inside a callback; it returns at once and sends nothing itself.
 * Answers arrive through Data_Received_MAINPORT, on the thread that "Threads" in this
 * header's opening comment names.
 * @par Failure messages
 * (`\t` stands for a tab.) Each is logged with the connection's address and becomes the last error
 * (Vorn_KRAVENT_GetLastError):
 * - `Pointer on ethernet communication not valid. ComID = NULL\t(Vorn_KRAVENT_ResetAllRegisterRead)`: Com is NULL, closed, or did not come from an open (logged without an address).
 */
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_ResetAllRegisterRead(ComID Com);
/**
 * @brief Sends every recorded read, write and command to the module in one exchange.
 *
 * Hands the requests to the connection's sender thread and returns. The answer arrives as one
 * RegisterValues record in Data_Received_MAINPORT once the whole answer is in. A new trigger is
 * accepted once that answer has been delivered (also from inside its data callback), or 3 s
 * after the request when no answer came.
 *
 * @param Com (ComID) the open connection, from Vorn_KRAVENT_OpenConnection_MAINPORT.
 * @return true when done; false after a failure.
 * @par Threads
 * Any thread, also from inside a callback; it returns at once and sends nothing itself.
 * Answers arrive through Data_Received_MAINPORT, on the thread that "Threads" in this
 * header's opening comment names.
 * @par Failure messages
 * (`\t` stands for a tab.) Each is logged with the connection's address and becomes the last error
 * (Vorn_KRAVENT_GetLastError):
 * - `Pointer on ethernet communication not valid. ComID = NULL\t(Vorn_KRAVENT_SendData_MAINPORT)`: Com is NULL, closed, or did not come from an open (logged without an address).
 * - `Call Vorn_KRAVENT_SendData_MAINPORT before receive data of the last call\t(Vorn_KRAVENT_SendData_MAINPORT)`: the answer to the previous trigger has not been delivered yet; the requests stay recorded.
 * Logged later by the sender thread, with the connection's address:
 * - `Socket Not active\r\nCall first : Vorn_OpenConnection().\t(Vorn_Send)` and
 *   `EthernetCom->SendData Failed\t(TThreadSend::Execute)`: the connection is not (or no longer) connected.
 * - `Cannot Send all Bytes.\t(Vorn_Send)`: the socket took only part of a packet.
 * - `Event HevAck Timeout reached\t(TThreadSend::Execute)`: no answer within 3 s; the next trigger is accepted.
 * - `FillPacketToSend Failed\t(TThreadSend::Execute)`: the request could not be assembled.
 */
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_SendData_MAINPORT(ComID Com);
/**
 * @brief Starts (or resumes) polling the registers of the polled set.
 *
 * At every period (Vorn_KRAVENT_RepetitiveAskSetTime, 100 ms by default) the set is asked for
 * and each answer arrives through Data_Received_MAINPORT. Registers join the set through their
 * read function with Repetitive true, before or after the start. Cancels a stop not yet carried out.
 *
 * @param Com (ComID) the open connection, from Vorn_KRAVENT_OpenConnection_MAINPORT.
 * @return true when done; false after a failure.
 * @par Threads
 * Any thread, also from inside a callback; it returns at once and sends nothing itself.
 * Answers arrive through Data_Received_MAINPORT, on the thread that "Threads" in this
 * header's opening comment names.
 * @par Failure messages
 * (`\t` stands for a tab.) Each is logged with the connection's address and becomes the last error
 * (Vorn_KRAVENT_GetLastError):
 * - `Pointer on ethernet communication not valid. ComID = NULL\t(Vorn_KRAVENT_StartRepetitiveAsk)`: Com is NULL, closed, or did not come from an open (logged without an address).
 * Logged later by the polling thread, with the connection's address, once per failure:
 * - `EthernetCom->SendData Failed\t(TThreadProcess::Execute)`: a poll could not be sent (the module
 *   closed the connection); polling waits, and a new start tries once more.
 * - `Event HevAck Timeout reached\t(TThreadSendContinuous::Execute)`: a poll was not answered in time.
 */
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_RepetitiveAskStart(ComID Com);
/**
 * @brief Stops polling at the end of the current period.
 *
 * Returns at once; the poll under way ends and no further one starts. The polled set is kept.
 *
 * @param Com (ComID) the open connection, from Vorn_KRAVENT_OpenConnection_MAINPORT.
 * @return true when done; false after a failure.
 * @par Threads
 * Any thread, also from inside a callback; it returns at once and sends nothing itself.
 * Answers arrive through Data_Received_MAINPORT, on the thread that "Threads" in this
 * header's opening comment names.
 * @par Failure messages
 * (`\t` stands for a tab.) Each is logged with the connection's address and becomes the last error
 * (Vorn_KRAVENT_GetLastError):
 * - `Pointer on ethernet communication not valid. ComID = NULL\t(Vorn_KRAVENT_StopRepetitiveAsk)`: Com is NULL, closed, or did not come from an open (logged without an address).
 */
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_RepetitiveAskStop(ComID Com);
/**
 * @brief Sets the polling period.
 *
 * Polling that runs goes on with the new period; stopped polling stays stopped.
 *
 * @param TimeMiliSec (int32_t) the period in milliseconds, 1 or more.
 * @param Com (ComID) the open connection, from Vorn_KRAVENT_OpenConnection_MAINPORT.
 * @return true when done; false after a failure.
 * @par Threads
 * Any thread, also from inside a callback; it returns at once and sends nothing itself.
 * Answers arrive through Data_Received_MAINPORT, on the thread that "Threads" in this
 * header's opening comment names.
 * @par Failure messages
 * (`\t` stands for a tab.) Each is logged with the connection's address and becomes the last error
 * (Vorn_KRAVENT_GetLastError):
 * - `Pointer on ethernet communication not valid. ComID = NULL\t(Vorn_KRAVENT_SetRepetitiveAskTime)`: Com is NULL, closed, or did not come from an open (logged without an address).
 * - `Bad value for TimeMiliSec. It's must be positive and bigger than zero\t(Vorn_KRAVENT_SetRepetitiveAskTime)`: TimeMiliSec is 0 or negative; the period stays.
 * - `Bad value for TimeMiliSec. The timer cannot serve this period\t(Vorn_KRAVENT_SetRepetitiveAskTime)`: the system timer refused the period; the period stays.
 */
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_RepetitiveAskSetTime(int32_t TimeMiliSec, ComID Com);
/**
 * @brief Stops polling at once and empties the polled set.
 *
 * Polling resumes only with Vorn_KRAVENT_RepetitiveAskStart, and then sends nothing until
 * registers join the set again.
 *
 * @param Com (ComID) the open connection, from Vorn_KRAVENT_OpenConnection_MAINPORT.
 * @return true when done; false after a failure.
 * @par Threads
 * Any thread, also from inside a callback; it returns at once and sends nothing itself.
 * Answers arrive through Data_Received_MAINPORT, on the thread that "Threads" in this
 * header's opening comment names.
 * @par Failure messages
 * (`\t` stands for a tab.) Each is logged with the connection's address and becomes the last error
 * (Vorn_KRAVENT_GetLastError):
 * - `Pointer on ethernet communication not valid. ComID = NULL\t(Vorn_KRAVENT_SetRepetitiveAskPacket)`: Com is NULL, closed, or did not come from an open (logged without an address).
 */
VORN_KRAVENT_API bool VORN_KRAVENT_CALL Vorn_KRAVENT_RepetitiveAskReset(ComID Com);

/* Library information. Texts are copied without a terminating zero: *Length holds the
 * buffer's capacity on entry and receives the text's length when the whole text fits. */
/**
 * @brief Copies the library's version text ("Vorn-KRAVENT_DLLInterface_v1.00.00_140807", 41 characters) into a host buffer, without a terminating zero.
 *
 * When *Length (the capacity) is at least the text's length, the whole text is copied and
 * *Length receives its length; otherwise the first *Length characters are copied and *Length
 * stays. Nothing else of Buffer is written.
 *
 * @param Buffer (char *) the host's buffer.
 * @param Length (int32_t *) in: the capacity of Buffer in characters; out: the text's length
 *        when it fitted. Required whenever Buffer is not NULL.
 * @par Threads
 * Any thread, also from inside a callback.
 * @par Failure messages
 * - `Pointer on buffer to get Version = NULL\t(Vorn_KRAVENT_VersionDLL)`: Buffer is NULL; nothing is copied and Length is not read.
 */
VORN_KRAVENT_API void VORN_KRAVENT_CALL Vorn_KRAVENT_VersionDLL(char *Buffer, int32_t *Length);
/**
 * @brief Copies the last error text, library-wide ("No Error" until a failure; then the message of the
 * most recent failure on any connection or thread) into a host buffer, without a terminating zero.
 *
 * When *Length (the capacity) is at least the text's length, the whole text is copied and
 * *Length receives its length; otherwise the first *Length characters are copied and *Length
 * stays. Nothing else of Buffer is written.
 *
 * @param Buffer (char *) the host's buffer.
 * @param Length (int32_t *) in: the capacity of Buffer in characters; out: the text's length
 *        when it fitted. Required whenever Buffer is not NULL.
 * @par Threads
 * Any thread, also from inside a callback.
 * @par Failure messages
 * - `Pointer on buffer to get Last Error = NULL\t(Vorn_KRAVENT_GetLastError)`: Buffer is NULL; nothing is copied and Length is not read.
 */
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
