/* SPDX-License-Identifier: ISC */
/* on_fd FD KIND COMMAND...: runs COMMAND with descriptor FD as KIND says; exits with its
 * status. nonblock: FD as it is, made non-blocking. socket: a stream socket, not connected.
 * pty: the non-blocking side of a new raw terminal that no one reads for a while, so that
 * COMMAND fills it and waits, and is stopped and continued; what comes out then goes where FD
 * went. */
#include <fcntl.h>
#include <pty.h>
#include <signal.h>
#include <stdlib.h>
#include <string.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

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
	usleep(300000);
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
