/* SPDX-License-Identifier: ISC */
/* A C module calling the io routines: reads one integer, writes it back doubled. */
#include "io.h"

int main(void)
{
	int32_t value = 0;
	if (read_int(&value) != 1)
		return 1;
	print_string("twice ");
	print_int(value);
	print_string(" is ");
	print_int(2 * value);
	print_nl();
	return 0;
}
