// SPDX-License-Identifier: GPL-3.0-or-later
// Plumex: byte-level access to the Korvu recorder over USB.
//
// Two families of plain C functions. The byte-stream family opens the recorder by its device
// index, moves raw bytes over its bulk pipes and closes it again; the main program binds these
// four by name at run time. The buffered-response family runs one of three fixed report
// commands ("#24H", "#52W", "#TIME"), keeps the whole answer and hands it out line by line.
// Nothing here shows a dialog: failures are return values and trace lines on standard output.
#ifndef PLUMEX_PLUMEX_H
#define PLUMEX_PLUMEX_H

#include <stdint.h>

#if defined(_WIN32)
#if defined(PLUMEX_BUILDING)
#define PLUMEX_API __declspec(dllexport)
#else
#define PLUMEX_API __declspec(dllimport)
#endif
#else
#define PLUMEX_API __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

// Opens recorder number deviceIndex (0 to 15, counted over the matching devices in enumeration
// order). Returns the handle deviceIndex + 1, or 0 on any failure.
PLUMEX_API int32_t VQusbOpen(uint32_t deviceIndex);

// Reads up to length bytes from the recorder's bulk IN pipe (time-out 30 s). Returns the number
// of bytes received, 0 on failure, time-out or a handle that is not open.
PLUMEX_API int32_t VQusbRead(void* buffer, uint32_t length, int32_t handle);

// Writes length bytes to the bulk OUT pipe. Returns the number of bytes sent, 0 on failure.
PLUMEX_API int32_t VQusbWrite(const void* buffer, uint32_t length, int32_t handle);

// Closes the handle. Returns 1 if it was open, else 0.
PLUMEX_API int32_t VQusbClose(int32_t handle);

// Runs report command mode (1 "#24H", 2 "#52W", 3 "#TIME"; only the low 16 bits count) on
// recorder 0 and keeps its answer. Returns the mode, or -1 on any failure.
PLUMEX_API int32_t VQopen(int32_t mode);

// Copies the next line of the mode's answer, with CR LF and a NUL, into line (size bytes).
// Returns 1 while more lines follow, 0 at the end. *status is 0, or -1 when the mode is not
// open, the arguments are unusable or the line does not fit (then nothing is consumed).
PLUMEX_API int32_t VQgets(char* line, int32_t size, int32_t mode, int32_t* status);

// Starts the mode's answer again from its first line. Returns 1, or 0 if the mode is not open.
PLUMEX_API int32_t VQrewind(int32_t mode);

// Closes the mode. Returns 1, or 0 if the mode is not open.
PLUMEX_API int32_t VQclose(int32_t mode);

#ifdef __cplusplus
}
#endif

#endif  // PLUMEX_PLUMEX_H
