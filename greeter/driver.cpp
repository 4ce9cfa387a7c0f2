// greeter: says hello through the io routines.

#include <err.h>
#include <stdio.h>

#include "io.h"

char mystr[15] = "hello\n";

int main()
{
	print_string(mystr);
	// Output that could not be written is a failure, not a success.
	if (fflush(stdout) != 0 || ferror(stdout) != 0)
		err(1, "write error");
	return 0;
}
