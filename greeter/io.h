/* SPDX-License-Identifier: ISC */
/* Console routines: one call each to the C library's buffered streams, so output written
 * through them and output the caller writes itself come out in program order.
 * Usable from C and from C++. */
#ifndef CONBITS_IO_H
#define CONBITS_IO_H

#include <stdint.h>
#include <stdio.h> /* EOF, which read_int returns */

#ifdef __cplusplus
extern "C" {
#endif

/* Each routine returns its stream call's result; conbits-io(3) gives the whole behaviour. */

/* Writes text as it stands, no newline added. Returns the bytes written, or negative. */
int print_string(const char *text);

/* Writes one newline. Returns 10, or EOF. */
int print_nl(void);

/* Writes value in plain signed decimal. Returns the bytes written, or negative. */
int print_int(int32_t value);

/* Reads one integer with scanf's %i into *cell, left alone unless one is stored. Returns 1
 * when it stored one; 0 for no number or, with errno ERANGE, one outside int32_t; EOF at the
 * end of input or on a failed read. */
int read_int(int32_t *cell);

#ifdef __cplusplus
}
#endif

#endif
