// SPDX-License-Identifier: ISC
// echoback: writes a prompt, then echoes each piece read until a read returns nothing.
// Every read, write and the exit are single system calls, made here with the syscall
// instruction: nothing is buffered in the process.
//
// It reads descriptor 1 and writes descriptor 2. On a terminal both are the terminal, opened
// for reading and writing; redirected, descriptor 1 must be opened for reading (1<file).

#include <errno.h>
#include <poll.h>
#include <stddef.h>
#include <stdint.h>

static constexpr long sys_read = 0;
static constexpr long sys_write = 1;
static constexpr long sys_poll = 7;
static constexpr long sys_exit = 60;

static constexpr int in_fd = 1;
static constexpr int out_fd = 2;

static constexpr size_t buflen = 35;
static char buffer[buflen];

static constexpr char prompt[] = "Enter text. Press 'Ctrl-D' when done: ";
static constexpr size_t prlen = sizeof prompt - 1;
static_assert(prlen == 38);

static constexpr char read_failed[] = "echoback: cannot read descriptor 1: ";

struct reason {
	int error;
	const char *text;
};

static constexpr reason reasons[] = {
	{EBADF, "not open for reading"},
	{EISDIR, "is a directory"},
	{EIO, "input/output error"},
};

// Room for a newline, read_failed, the longest reason or "error " and a number, a newline.
static char message[1 + sizeof read_failed + 24];

// Gives the kernel's result: a count, or minus an errno value.
static long syscall3(long number, uintptr_t a, uintptr_t b, uintptr_t c)
{
	long result = 0;
	asm volatile("syscall"
		     : "=a"(result)
		     : "a"(number), "D"(a), "S"(b), "d"(c)
		     : "rcx", "r11", "memory");
	return result;
}

[[noreturn]] static void exit_now(int status)
{
	asm volatile("syscall" : : "a"(sys_exit), "D"(status) : "rcx", "r11", "memory");
	__builtin_unreachable();
}

// A non-blocking descriptor that is not ready is waited for, not taken as a failure. False
// when even the wait fails.
static bool wait_for(int fd, short events)
{
	static pollfd waiting; // static, as every buffer here: nothing on the stack to guard
	waiting = {fd, events, 0};
	long n = 0;
	do
		n = syscall3(sys_poll, reinterpret_cast<uintptr_t>(&waiting), 1,
			     static_cast<uintptr_t>(-1));
	while (n == -EINTR);
	return n > 0;
}

// Writes all len bytes, however many calls it takes; false if a write failed.
static bool wrtproc(const char *data, size_t len)
{
	while (len > 0) {
		long n = syscall3(sys_write, out_fd, reinterpret_cast<uintptr_t>(data), len);
		if (n == -EINTR || (n == -EAGAIN && wait_for(out_fd, POLLOUT)))
			continue;
		if (n <= 0)
			return false;
		data += n;
		len -= static_cast<size_t>(n);
	}
	return true;
}

// One read of at most cap bytes: a count, 0 at the end of input, or minus an errno value.
static long rdproc(char *data, size_t cap)
{
	long n = 0;
	do
		n = syscall3(sys_read, in_fd, reinterpret_cast<uintptr_t>(data), cap);
	while (n == -EINTR || (n == -EAGAIN && wait_for(in_fd, POLLIN)));
	return n;
}

static char *append(char *to, const char *text)
{
	while (*text != '\0')
		*to++ = *text++;
	return to;
}

// Written in place, from the last digit back.
static char *append_number(char *to, int n)
{
	int digits = 1;
	for (int rest = n; rest >= 10; rest /= 10)
		digits++;
	for (char *d = to + digits; d != to; n /= 10)
		*--d = static_cast<char>('0' + n % 10);
	return to + digits;
}

// Says why on a line of its own, since what was written before may not end one; an error
// code is never taken as a length.
[[noreturn]] static void read_failure(int error, bool at_line_start)
{
	char *m = message;
	if (!at_line_start)
		*m++ = '\n';
	m = append(m, read_failed);
	const char *text = nullptr;
	for (const reason &r : reasons)
		if (r.error == error)
			text = r.text;
	m = text != nullptr ? append(m, text) : append_number(append(m, "error "), error);
	*m++ = '\n';
	wrtproc(message, static_cast<size_t>(m - message));
	exit_now(1);
}

int main()
{
	if (!wrtproc(prompt, prlen))
		exit_now(1);
	bool at_line_start = false;
	for (;;) {
		long n = rdproc(buffer, buflen);
		if (n == 0)
			exit_now(0);
		if (n < 0)
			read_failure(static_cast<int>(-n), at_line_start);
		if (!wrtproc(buffer, static_cast<size_t>(n)))
			exit_now(1);
		at_line_start = buffer[n - 1] == '\n';
	}
}
