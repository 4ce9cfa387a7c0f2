/* SPDX-License-Identifier: ISC */
/* tty KEYS... -- COMMAND...: runs COMMAND on a new terminal of its own, in line mode with the
 * terminal's echo off, so that what comes back is COMMAND's alone, and copies that to standard
 * output. Each time COMMAND falls quiet, writes | and types the next of KEYS. Exits with
 * COMMAND's status; 3 if it ended before all the keys were typed. */
#include <poll.h>
#include <pty.h>
#include <string.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>
#include <utmp.h>

// Copies what the terminal gives until nothing comes for 200 ms, or for first_ms at the start.
static void settle(int master, int first_ms)
{
	struct pollfd p = {master, POLLIN, 0};
	char buf[4096];
	for (int wait = first_ms; poll(&p, 1, wait) == 1; wait = 200) {
		const ssize_t n = read(master, buf, sizeof buf);
		if (n <= 0 || write(1, buf, (size_t)n) != n)
			return;
	}
}

int main(int argc, char *argv[])
{
	int keys = 1, master = -1, slave = -1, status = 0;
	while (keys < argc && strcmp(argv[keys], "--") != 0)
		keys++;
	struct termios mode;
	if (keys + 1 >= argc || openpty(&master, &slave, NULL, NULL, NULL) != 0 ||
	    tcgetattr(slave, &mode) != 0)
		return 2;
	mode.c_lflag &= ~(tcflag_t)ECHO;
	mode.c_oflag &= ~(tcflag_t)OPOST;
	tcsetattr(slave, TCSANOW, &mode);
	alarm(30); // a program that never ends
	const pid_t pid = fork();
	if (pid == 0) {
		close(master);
		login_tty(slave);
		execvp(argv[keys + 1], argv + keys + 1);
		_exit(127);
	}
	close(slave);
	settle(master, 10000);
	for (int k = 1; k < keys; k++) {
		if (waitpid(pid, &status, WNOHANG) == pid)
			return 3;
		const size_t len = strlen(argv[k]);
		if (write(1, "|", 1) != 1 || write(master, argv[k], len) != (ssize_t)len)
			return 2;
		settle(master, 1000);
	}
	waitpid(pid, &status, 0);
	return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}
