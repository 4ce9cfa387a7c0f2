// SPDX-License-Identifier: ISC
// io_probe WHAT [ARG]: drives the io routines through the real standard streams, and reports
// what a routine returned on standard error.
#include <errno.h>
#include <poll.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "io.h"

// Reads into a cell holding 99, again and again, showing each result:cell, with ! for a number
// out of range and the errno's name for a failed read; after a read that found nothing yet,
// waits for more, without clearerr. Stops at the end, or at what is not a number, and copies
// what is left.
static void read_all()
{
	for (bool again = true; again;) {
		int32_t cell = 99;
		errno = 0;
		const int result = read_int(&cell);
		const int error = errno;
		const char *mark = error == ERANGE ? "!" : result == EOF && error != 0 ? strerrorname_np(error) : "";
		printf("%d:%d%s ", result, cell, mark);
		pollfd more = {0, POLLIN, 0};
		again = result == 1 || error == ERANGE || (error == EAGAIN && poll(&more, 1, 5000) == 1);
	}
	for (int c = getchar(); c != EOF; c = getchar())
		putchar(c);
}

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
		read_all();
	} else if (strcmp(what, "mixed") == 0) { // the routines share stdout's buffer with printf
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
