/* SPDX-License-Identifier: ISC */
/* on_fd FD KIND COMMAND...: runs COMMAND with descriptor FD as KIND says, and exits with its
 * status. nonblock: FD as it is, made non-blocking. socket: a stream socket, not connected.
 * pty: the non-blocking side of a new raw terminal, which COMMAND writes and no one reads for
 * a while: COMMAND fills it, waits, and is stopped and continued; then what comes out of the
 * terminal is copied to what FD was. */
#include <fcntl.h>
#include <pty.h>
#include <signal.h>
#include <stdlib.h>
#include <string.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

int main(int argc, char *argv[])
{
	if (argc < 4)
		return 2;
	const int fd = atoi(argv[1]);
	int master = -1, other = -1, status = 0, outside = -1;
	struct termios raw;
	if (strcmp(argv[2], "socket") == 0 && dup2(socket(AF_INET, SOCK_STREAM, 0), fd) < 0)
		return 2;
	if (strcmp(argv[2], "pty") == 0 && (openpty(&master, &other, NULL, NULL, NULL) != 0 ||
					    tcgetattr(other, &raw) != 0 || (outside = dup(fd)) < 0 ||
					    dup2(other, fd) < 0))
		return 2;
	if (master >= 0) {
		cfmakeraw(&raw);
		tcsetattr(fd, TCSANOW, &raw);
	}
	if (strcmp(argv[2], "socket") != 0)
		fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
	const pid_t pid = master < 0 ? 0 : fork();
	if (pid == 0) {
		if (master >= 0) {
			close(master);
			close(outside);
		}
		execvp(argv[3], argv + 3);
		_exit(127);
	}
	close(other);
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
