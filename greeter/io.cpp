// SPDX-License-Identifier: ISC
#include "io.h"

#include <errno.h>
#include <inttypes.h>
#include <stdio.h>

static constexpr char int_format[] = "%i";
static constexpr char str_format[] = "%s";
// Read wider than the cell, so that a number outside int32_t is seen and refused: scanf's
// result is undefined for a number its conversion cannot hold (glibc saturates at 64 bits).
static constexpr char wide_int_format[] = "%" SCNi64;

int print_string(const char *text)
{
	return printf(str_format, text);
}

int print_nl(void)
{
	return putchar('\n');
}

int print_int(int32_t value)
{
	return printf(int_format, value);
}

int read_int(int32_t *cell)
{
	int64_t wide = 0;
	// scanf converts the digits it has even when a read then fails: a number cut short by a
	// failed read is no number. An error the caller left set cannot be told apart, and stays.
	const bool failed_before = ferror(stdin) != 0;
	int result = scanf(wide_int_format, &wide);
	if (!failed_before && ferror(stdin) != 0)
		return EOF;
	if (result != 1)
		return result;
	if (wide < INT32_MIN || wide > INT32_MAX) {
		errno = ERANGE;
		return 0;
	}
	*cell = static_cast<int32_t>(wide);
	return 1;
}
