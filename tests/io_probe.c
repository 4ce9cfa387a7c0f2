/* SPDX-License-Identifier: ISC */
/* io_probe WHAT [ARG]: calls an io routine on the real standard streams, then writes " => "
 * and what it returned. Valid C and C++, for the consumers of either; built with
 * _GNU_SOURCE, for strerrorname_np. */
#include <conbits/io.h>
#include <errno.h>
#include <poll.h>
#include <stdlib.h>
#include <string.h>

int main(int argc, char *argv[])
{
	const char *what = argc > 1 ? argv[1] : "", *arg = argc > 2 ? argv[2] : "";
	if (strcmp(what, "string") == 0)
		printf(" => %d", print_string(arg));
	if (strcmp(what, "int") == 0)
		printf(" => %d", print_int((int32_t)strtol(arg, NULL, 10)));
	if (strcmp(what, "nl") == 0)
		printf(" => %d", print_nl());
	if (strcmp(what, "mixed") == 0) /* one buffer, shared with printf */
		print_string("a"), print_nl(), printf("b"), print_int(3), printf("c"), print_nl();
	/* read: result:cell for each call, into a cell holding 99, with ! for a number out of range
	 * or a read's error by name, up to the end or what is not a number; on EAGAIN it waits (a
	 * minute at most) and calls again, without clearerr. Then what is left unread. */
	for (int again = strcmp(what, "read") == 0; again;) {
		int32_t cell = 99;
		errno = 0;
		const int result = read_int(&cell), error = errno;
		printf("%d:%d%s ", result, cell,
		       error == ERANGE ? "!" : result == EOF && error != 0 ? strerrorname_np(error) : "");
		struct pollfd more = {0, POLLIN, 0};
		const int waited = error == EAGAIN ? poll(&more, 1, 60000) : -1;
		if (waited == 0)
			printf("(a minute without input) ");
		again = result == 1 || error == ERANGE || waited == 1;
		for (int c = again ? EOF : getchar(); c != EOF; c = getchar())
			putchar(c);
	}
	return 0;
}
