// SPDX-License-Identifier: ISC
// greeter: says hello through the io routines.

#include <err.h>
#include <errno.h>
#include <stdio.h>

#include <conbits/io.h>

char mystr[15] = "hello\n";

static char progname[] = "greeter";

int main()
{
	// Messages begin with the program's own name, whatever name it was started under.
	program_invocation_short_name = progname;
	print_string(mystr);
	// Output that could not be written is a failure, not a success.
	if (fflush(stdout) != 0 || ferror(stdout) != 0)
		err(1, "write error");
	return 0;
}
