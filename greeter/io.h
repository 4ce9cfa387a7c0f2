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

/* Writes text to standard output as it stands: no newline added, '%' not a conversion.
 * Returns printf's result: for a text longer than INT_MAX it is -1 with errno EOVERFLOW,
 * though the text was written and ferror(stdout) is 0. */
int print_string(const char *text);

/* Writes one newline. Returns putchar's result. */
int print_nl(void);

/* Writes value in plain signed decimal. Returns printf's result. */
int print_int(int32_t value);

/* Reads one integer from standard input with scanf's %i (0x for hexadecimal, a leading 0 for
 * octal) into *cell, which is left alone when no number is stored. Returns 1 when it stored
 * one; 0 when the input is not a number, or, with errno set to ERANGE, when the number is
 * outside int32_t (its characters are consumed); EOF at the end of input, and when a read
 * fails during the call, even after some digits (errno is the read's; an error indicator that
 * stdin already had set hides a new one). 0x followed by no hex digit (0xg) is consumed, and
 * gives the number 0 with glibc before 2.43, no number (0) with glibc 2.43 and later. */
int read_int(int32_t *cell);

#ifdef __cplusplus
}
#endif

#endif
