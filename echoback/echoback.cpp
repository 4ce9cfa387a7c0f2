// SPDX-License-Identifier: ISC
// echoback: writes a prompt, then echoes each piece read until a read returns nothing.
// Every read, write and the exit are single system calls, made here with the system call
// instruction itself: nothing is buffered in the process.
//
// It reads descriptor 1 and writes descriptor 2. On a terminal both are the terminal, opened
// for reading and writing; redirected, descriptor 1 must be opened for reading (1<file).

#include <errno.h>
#include <linux/audit.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <poll.h>
#include <stddef.h>
#include <stdint.h>
#include <sys/prctl.h>
#include <sys/syscall.h>

static constexpr int in_fd = 1;
static constexpr int out_fd = 2;

static constexpr size_t buflen = 35;
static char buffer[buflen];

static constexpr char prompt[] = "Enter text. Press 'Ctrl-D' when done: ";
static constexpr size_t prlen = sizeof prompt - 1;
static_assert(prlen == 38);

static constexpr char read_failed[] = "echoback: cannot read descriptor 1: ";
static constexpr char wait_failed[] = "echoback: cannot wait for descriptor 1: ";
static constexpr char confine_failed[] = "echoback: cannot confine itself: ";
static constexpr char thread_failed[] = "echoback: cannot confine thread ";
static constexpr char thread_reason[] = ": it has a seccomp filter of its own";

struct reason {
	int error;
	const char *text;
};

static constexpr reason reasons[] = {
	{EBADF, "not open for reading"},
	{EISDIR, "is a directory"},
	{EIO, "input/output error"},
	{EINVAL, "invalid argument"},
};

// Room for a newline, the longest lead, the longest reason or "error " and a number, a newline.
static char message[1 + sizeof thread_failed + 10 + sizeof thread_reason + 1];
static_assert(sizeof message >= 1 + sizeof wait_failed + 24);

// Whether the last bytes written leave a line open, as the prompt does: a message then needs
// a newline of its own first.
static bool mid_line = false;

// The system call instruction, and what differs between the architectures it is written for.
// aarch64 has no poll, only ppoll, whose third argument is a timeout: none, to wait for ever.
#if defined(__x86_64__)
static constexpr uint32_t audit_arch = AUDIT_ARCH_X86_64;
static constexpr long sys_wait = SYS_poll;
static constexpr uintptr_t wait_forever = static_cast<uintptr_t>(-1);

// Gives the kernel's result: a count, or minus an errno value. Arguments not given are 0, as
// some calls insist.
static long syscall5(long number, uintptr_t a, uintptr_t b, uintptr_t c, uintptr_t d = 0,
		     uintptr_t e = 0)
{
	long result = 0;
	register uintptr_t r10 asm("r10") = d;
	register uintptr_t r8 asm("r8") = e;
	asm volatile("syscall"
		     : "=a"(result)
		     : "a"(number), "D"(a), "S"(b), "d"(c), "r"(r10), "r"(r8)
		     : "rcx", "r11", "memory");
	return result;
}
#elif defined(__aarch64__)
static constexpr uint32_t audit_arch = AUDIT_ARCH_AARCH64;
static constexpr long sys_wait = SYS_ppoll;
static constexpr uintptr_t wait_forever = 0;

static long syscall5(long number, uintptr_t a, uintptr_t b, uintptr_t c, uintptr_t d = 0,
		     uintptr_t e = 0)
{
	register long x8 asm("x8") = number;
	register uintptr_t x0 asm("x0") = a;
	register uintptr_t x1 asm("x1") = b;
	register uintptr_t x2 asm("x2") = c;
	register uintptr_t x3 asm("x3") = d;
	register uintptr_t x4 asm("x4") = e;
	asm volatile("svc #0" : "+r"(x0) : "r"(x8), "r"(x1), "r"(x2), "r"(x3), "r"(x4) : "memory");
	return static_cast<long>(x0);
}
#else
// cppcheck-suppress preprocessorErrorDirective
#error "echoback makes its system calls itself, on x86-64 and aarch64 only"
#endif

// Once confined, the process may make only the calls below; any other kills it, as does a
// call through another architecture's numbers.
#define ALLOW(number) BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, number, 0, 1), \
		      BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW)
static constexpr sock_filter filter[] = {
	BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, arch)),
	BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, audit_arch, 1, 0),
	BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_KILL_PROCESS),
	BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
#if defined(__x86_64__)
	// The x32 ABI's numbers (bit 30 set) reach the same calls by other numbers.
	BPF_JUMP(BPF_JMP | BPF_JGE | BPF_K, 0x40000000, 0, 1),
	BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_KILL_PROCESS),
#endif
	ALLOW(SYS_read),
	ALLOW(SYS_write),
	ALLOW(sys_wait),
	ALLOW(SYS_exit_group),
	ALLOW(SYS_rt_sigreturn),
	// What the kernel issues itself to resume a call that a stop interrupted (poll on x86-64;
	// read, write and aarch64's ppoll restart as themselves): Ctrl-Z and fg, a tracer
	// attaching, a cgroup freeze.
	ALLOW(SYS_restart_syscall),
#ifdef __SANITIZE_ADDRESS__
	// AddressSanitizer looks up the signal stack before each call that does not return.
	ALLOW(SYS_sigaltstack),
#endif
	BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_KILL_PROCESS),
};
#undef ALLOW
// The kernel only reads the filter; the record's pointer is not const in its declaration.
static const sock_fprog confinement = {sizeof filter / sizeof filter[0],
				       const_cast<sock_filter *>(filter)};

// Ends every thread of the process, as _exit does, not just the calling one.
[[noreturn]] static void exit_now(int status)
{
	syscall5(SYS_exit_group, static_cast<uintptr_t>(status), 0, 0);
	__builtin_unreachable();
}

// A non-blocking descriptor that is not ready is waited for, not taken as a failure. Gives
// poll's result: positive once ready, or minus an errno value.
static long wait_for(int fd, short events)
{
	// Static, as every buffer here, and filled in field by field, as a braced value would be
	// built on the stack first in an unoptimised build: nothing on the stack to guard.
	static pollfd waiting;
	waiting.fd = fd;
	waiting.events = events;
	waiting.revents = 0;
	long n = 0;
	do
		n = syscall5(sys_wait, reinterpret_cast<uintptr_t>(&waiting), 1, wait_forever);
	while (n == -EINTR);
	return n;
}

// Writes all len bytes, however many calls it takes; false if a write failed.
static bool wrtproc(const char *data, size_t len)
{
	while (len > 0) {
		long n = syscall5(SYS_write, out_fd, reinterpret_cast<uintptr_t>(data), len);
		if (n == -EINTR || (n == -EAGAIN && wait_for(out_fd, POLLOUT) > 0))
			continue;
		if (n <= 0)
			return false;
		data += n;
		len -= static_cast<size_t>(n);
	}
	return true;
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

// A message starts a line of its own.
static char *start_message()
{
	char *m = message;
	if (mid_line)
		*m++ = '\n';
	return m;
}

// Ends the message that runs up to end with a newline, writes it, and ends the program.
[[noreturn]] static void fail_with(char *end)
{
	*end++ = '\n';
	wrtproc(message, static_cast<size_t>(end - message));
	exit_now(1);
}

// Says what failed and why, and ends the program.
[[noreturn]] static void failure(const char *what, int error)
{
	char *m = append(start_message(), what);
	const char *text = nullptr;
	for (const reason &r : reasons)
		if (r.error == error)
			text = r.text;
	fail_with(text != nullptr ? append(m, text) : append_number(append(m, "error "), error));
}

// No new privileges, then the filter, on every thread: one that a preloaded library started
// would otherwise go on unconfined. A kernel without seccomp (ENOSYS) or without its filters
// or thread sync (EINVAL) leaves the process as it was; any other refusal ends the program
// rather than let it run unconfined. The kernel names the thread it could not synchronise.
static void confine()
{
	syscall5(SYS_prctl, PR_SET_NO_NEW_PRIVS, 1, 0);
	long r = syscall5(SYS_seccomp, SECCOMP_SET_MODE_FILTER, SECCOMP_FILTER_FLAG_TSYNC,
			  reinterpret_cast<uintptr_t>(&confinement));
	if (r > 0)
		fail_with(append(append_number(append(start_message(), thread_failed), static_cast<int>(r)),
				 thread_reason));
	if (r < 0 && r != -ENOSYS && r != -EINVAL)
		failure(confine_failed, static_cast<int>(-r));
}

// One read of at most cap bytes: a count, 0 at the end of input. A read that fails, or a wait
// for input that fails, ends the program; an error code is never taken as a length.
static size_t rdproc(char *data, size_t cap)
{
	for (;;) {
		long n = syscall5(SYS_read, in_fd, reinterpret_cast<uintptr_t>(data), cap);
		if (n >= 0)
			return static_cast<size_t>(n);
		if (n == -EAGAIN) {
			long ready = wait_for(in_fd, POLLIN);
			if (ready < 0)
				failure(wait_failed, static_cast<int>(-ready));
		} else if (n != -EINTR) {
			failure(read_failed, static_cast<int>(-n));
		}
	}
}

int main()
{
	confine();
	if (!wrtproc(prompt, prlen))
		exit_now(1);
	mid_line = true;
	for (;;) {
		size_t n = rdproc(buffer, buflen);
		if (n == 0)
			exit_now(0);
		if (!wrtproc(buffer, n))
			exit_now(1);
		mid_line = buffer[n - 1] != '\n';
	}
}
