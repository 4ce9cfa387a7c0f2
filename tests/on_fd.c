/* SPDX-License-Identifier: ISC */
/* on_fd FD KIND COMMAND...: runs COMMAND with descriptor FD as KIND says; exits with its
 * status. nonblock: FD as it is, made non-blocking. socket: a stream socket, not connected.
 * pty: the non-blocking side of a new raw terminal that no one reads until COMMAND has filled
 * it and waits in poll; then COMMAND is stopped and continued, and what comes out goes where FD
 * went. A minute without that wait is a failure (status 2), said on standard error. */
#include <fcntl.h>
#include <pty.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

// Whether the process sleeps in the kernel: in poll, where the kernel names the function.
static int waiting(pid_t pid)
{
	char path[64], text[256] = "";
	snprintf(path, sizeof path, "/proc/%d/wchan", (int)pid);
	FILE *file = fopen(path, "r");
	if (file == NULL || fgets(text, sizeof text, file) == NULL)
		text[0] = 0;
	if (file != NULL)
		fclose(file);
	if (text[0] != 0 && strcmp(text, "0") != 0)
		return strstr(text, "poll") != NULL;
	snprintf(path, sizeof path, "/proc/%d/stat", (int)pid);
	file = fopen(path, "r");
	const size_t n = file != NULL ? fread(text, 1, sizeof text - 1, file) : 0;
	if (file != NULL)
		fclose(file);
	text[n] = 0;
	const char *state = strrchr(text, ')');
	return state != NULL && state[1] == ' ' && state[2] == 'S';
}

int main(int argc, char *argv[])
{
	const int fd = argc > 3 ? (int)strtol(argv[1], NULL, 10) : -1, pty = fd >= 0 && strcmp(argv[2], "pty") == 0;
	int master = -1, slave = -1, outside = -1, status = 0;
	struct termios raw = {0}; // read by cfmakeraw whatever the kind
	if (fd < 0 || (strcmp(argv[2], "socket") == 0 && dup2(socket(AF_INET, SOCK_STREAM, 0), fd) < 0))
		return 2;
	if (pty && (openpty(&master, &slave, NULL, NULL, NULL) != 0 || (outside = dup(fd)) < 0 ||
		    dup2(slave, fd) < 0 || tcgetattr(fd, &raw) != 0))
		return 2;
	cfmakeraw(&raw);
	if (strcmp(argv[2], "socket") != 0 && ((pty && tcsetattr(fd, TCSANOW, &raw) != 0) ||
					      fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK) != 0))
		return 2;
	const pid_t pid = pty ? fork() : 0;
	if (pid == 0) {
		close(master);
		close(outside);
		execvp(argv[3], argv + 3);
		_exit(127);
	}
	close(slave);
	close(fd);
	for (int tries = 0; !waiting(pid); tries++) {
		if (tries == 60000) {
			fputs("on_fd: a minute without the program waiting in poll\n", stderr);
			return 2;
		}
		usleep(1000);
	}
	kill(pid, SIGSTOP);
	waitpid(pid, &status, WUNTRACED);
	kill(pid, SIGCONT);
	char buf[4096];
	for (ssize_t n; (n = read(master, buf, sizeof buf)) > 0;)
		if (write(outside, buf, (size_t)n) != n)
			return 2;
	waitpid(pid, &status, 0);
	return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}
