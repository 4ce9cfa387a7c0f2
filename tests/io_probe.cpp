// SPDX-License-Identifier: ISC
// Drives the io routines through the real standard streams, one scenario per run; reports
// the routines' return values on standard error.
#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "io.h"

int main(int argc, char *argv[])
{
	const char *what = argc > 1 ? argv[1] : "";
	const char *arg = argc > 2 ? argv[2] : "";
	if (strcmp(what, "string") == 0) {
		fprintf(stderr, "%d", print_string(arg));
	} else if (strcmp(what, "int") == 0) {
		fprintf(stderr, "%d", print_int(static_cast<int32_t>(strtol(arg, nullptr, 10))));
	} else if (strcmp(what, "nl") == 0) {
		fprintf(stderr, "%d", print_nl());
	} else if (strcmp(what, "read") == 0) {
		// Each read into a cell holding 99, until one fails other than by a number out of
		// range (marked !); then what is left unread. A read error shows its errno's name.
		for (bool again = true; again;) {
			int32_t cell = 99;
			errno = 0;
			int result = read_int(&cell);
			bool out_of_range = errno == ERANGE;
			const char *mark = out_of_range ? "!" : "";
			if (result == EOF && errno != 0)
				mark = strerrorname_np(errno);
			printf("%d:%d%s ", result, cell, mark);
			again = result == 1 || out_of_range;
		}
		for (int c = getchar(); c != EOF; c = getchar())
			putchar(c);
	} else if (strcmp(what, "mixed") == 0) {
		print_string("a");
		print_nl();
		printf("b");
		print_int(3);
		printf("c");
		print_nl();
	} else {
		return 2;
	}
	return 0;
}
