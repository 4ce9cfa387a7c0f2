// echoback: writes a prompt, then echoes each piece read until a read returns nothing.
// Every read, write and the exit are single system calls, made here with the syscall
// instruction: nothing is buffered in the process.
//
// It reads descriptor 1 and writes descriptor 2. On a terminal both are the terminal, opened
// for reading and writing; redirected, descriptor 1 must be opened for reading (1<file).

#include <errno.h>
#include <stddef.h>

static constexpr long sys_read = 0;
static constexpr long sys_write = 1;
static constexpr long sys_exit = 60;

static constexpr int in_fd = 1;
static constexpr int out_fd = 2;

static constexpr size_t buflen = 35;
static char buffer[buflen];

static constexpr char prompt[] = "Enter text. Press 'Ctrl-D' when done: ";
static constexpr size_t prlen = sizeof prompt - 1;
static_assert(prlen == 38);

static constexpr char read_failed[] = "echoback: cannot read descriptor 1\n";

// Gives the kernel's result: a count, or minus an errno value.
static long syscall3(long number, long a, const void *b, size_t c)
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

// Writes all len bytes, however many calls it takes; false if a write failed.
static bool wrtproc(const char *data, size_t len)
{
	while (len > 0) {
		long n = syscall3(sys_write, out_fd, data, len);
		if (n == -EINTR)
			continue;
		if (n <= 0)
			return false;
		data += n;
		len -= static_cast<size_t>(n);
	}
	return true;
}

// One read of at most cap bytes; 0 at the end of input. A failed read ends the program:
// its error code is not a length.
static size_t rdproc(char *data, size_t cap)
{
	long n = 0;
	do
		n = syscall3(sys_read, in_fd, data, cap);
	while (n == -EINTR);
	if (n < 0) {
		wrtproc(read_failed, sizeof read_failed - 1);
		exit_now(1);
	}
	return static_cast<size_t>(n);
}

int main()
{
	if (!wrtproc(prompt, prlen))
		exit_now(1);
	for (size_t n = rdproc(buffer, buflen); n != 0; n = rdproc(buffer, buflen))
		if (!wrtproc(buffer, n))
			exit_now(1);
	exit_now(0);
}
