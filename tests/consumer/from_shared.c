/* SPDX-License-Identifier: ISC */
/* A shared object built over the static io library: it must be position-independent. */
#include <conbits/io.h>

int say_from_shared_object(void)
{
	return print_string("from a shared object\n");
}
