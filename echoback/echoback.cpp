// SPDX-License-Identifier: ISC
// echoback: writes a prompt, then echoes each piece read until a read returns nothing. Each
// read, write and the exit is one system call: nothing is buffered. It reads descriptor 1 and
// writes 2: on a terminal both are the terminal, open for reading and writing; redirected,
// descriptor 1 must be opened for reading (1<file).

#include <errno.h>
#include <linux/audit.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <poll.h>
#include <stddef.h>
#include <string.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <unistd.h>

static constexpr int in_fd = 1, out_fd = 2;
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
// The C library's "Bad file descriptor" would not tell that 1 is open, for writing.
static constexpr char not_readable[] = "not open for reading";

static char message[256]; // a newline, a lead, a reason or a number, a newline

// Whether the last bytes written left a line open, as the prompt does: a message starts anew.
static bool mid_line = false;

// The architecture whose system call numbers the filter names. Calls through another ABI of
// the same kernel (i386 or x32 on x86-64, 32-bit ARM on arm64) carry another, and are refused.
#if defined(__x86_64__) && defined(__LP64__)
#define CONFINED_ARCH AUDIT_ARCH_X86_64
#elif defined(__i386__)
#define CONFINED_ARCH AUDIT_ARCH_I386
#elif defined(__aarch64__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
#define CONFINED_ARCH AUDIT_ARCH_AARCH64
#elif defined(__arm__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
#define CONFINED_ARCH AUDIT_ARCH_ARM
#elif defined(__powerpc64__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
#define CONFINED_ARCH AUDIT_ARCH_PPC64LE
#elif defined(__riscv) && __riscv_xlen == 64
#define CONFINED_ARCH AUDIT_ARCH_RISCV64
#elif defined(__s390x__)
#define CONFINED_ARCH AUDIT_ARCH_S390X
#elif defined(__mips__) && defined(__LP64__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
#define CONFINED_ARCH AUDIT_ARCH_MIPSEL64
#endif

#ifdef CONFINED_ARCH
// Once confined, the process may make only the calls below; any other kills it.
#define ALLOW(number) BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, number, 0, 1), \
		      BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW)
static constexpr sock_filter filter[] = {
	BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, arch)),
	BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, CONFINED_ARCH, 1, 0),
	BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_KILL_PROCESS),
	BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
#ifdef __x86_64__
	// The x32 ABI's numbers (bit 30 set) reach the same calls by other numbers.
	BPF_JUMP(BPF_JMP | BPF_JGE | BPF_K, 0x40000000, 0, 1),
	BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_KILL_PROCESS),
#endif
	ALLOW(SYS_read),
	ALLOW(SYS_write),
#ifdef SYS_poll // the C library's poll, or its ppoll where the kernel has no poll
	ALLOW(SYS_poll),
#else
	ALLOW(SYS_ppoll),
#endif
	ALLOW(SYS_exit_group),
	ALLOW(SYS_rt_sigreturn),
#ifdef SYS_sigreturn
	ALLOW(SYS_sigreturn),
#endif
	// What the kernel issues itself to resume a call that a stop interrupted: Ctrl-Z and fg,
	// a tracer attaching, a cgroup freeze.
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
#endif

// A non-blocking descriptor that is not ready is waited for, not taken as a failure. Gives
// poll's result: positive once ready, -1 with errno set on failure.
static int wait_for(int fd, short events)
{
	// Static, as every buffer here, and filled field by field: a braced value would be built on
	// the stack first in an unoptimised build.
	static pollfd waiting;
	waiting.fd = fd;
	waiting.events = events;
	waiting.revents = 0;
	int n = 0;
	do
		n = poll(&waiting, 1, -1);
	while (n < 0 && errno == EINTR);
	return n;
}

// One read or write, as the C library's wrappers give it: a count, or -1 and errno. On x86-64
// the system call instruction is written here: timed once by hand against the wrappers, each
// piece took a tenth less, nearly all of its time being these two calls. make bench does not
// repeat that comparison.
static ssize_t transfer(long number, int fd, const char *data, size_t len)
{
#if defined(__x86_64__) && defined(__LP64__)
	long n = 0;
	asm volatile("syscall"
		     : "=a"(n)
		     : "a"(number), "D"(fd), "S"(data), "d"(len)
		     : "rcx", "r11", "memory");
	if (n >= 0)
		return n;
	errno = static_cast<int>(-n);
	return -1;
#else
	return syscall(number, fd, data, len);
#endif
}

// Writes all len bytes, however many calls it takes; false if a write failed. Inlined: a
// call and return around each write slowed the copy measurably.
[[gnu::always_inline]] static inline bool wrtproc(const char *data, size_t len)
{
	while (len > 0) {
		const ssize_t n = transfer(SYS_write, out_fd, data, len);
		if (n < 0 && (errno == EINTR || (errno == EAGAIN && wait_for(out_fd, POLLOUT) > 0)))
			continue;
		if (n <= 0)
			return false;
		data += n;
		len -= static_cast<size_t>(n);
	}
	return true;
}

// Writes the message that runs up to end, and ends the program.
[[noreturn]] static void fail_with(char *end)
{
	*end++ = '\n';
	wrtproc(message, static_cast<size_t>(end - message));
	_exit(1);
}

// The start of a message: a newline first if the line is open, then lead.
static char *start_message(const char *lead)
{
	return stpcpy(mid_line ? stpcpy(message, "\n") : message, lead);
}

// Says what failed and why, in the C library's untranslated words, and ends the program.
[[noreturn]] static void failure(const char *lead, int error)
{
	const char *reason = strerrordesc_np(error);
	fail_with(stpcpy(start_message(lead), reason != nullptr ? reason : "unknown error"));
}

// No new privileges, then the filter, on every thread: one that a preloaded library started
// would otherwise go on unconfined. A kernel without seccomp (ENOSYS) or without its filters
// or thread sync (EINVAL) leaves the process as it was; any other refusal ends the program
// rather than let it run unconfined. The kernel names the thread it could not synchronise.
static void confine()
{
#ifdef CONFINED_ARCH
	prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0);
	const long r = syscall(SYS_seccomp, SECCOMP_SET_MODE_FILTER, SECCOMP_FILTER_FLAG_TSYNC,
			       &confinement);
	if (r > 0) {
		static char digits[24];
		char *d = digits + sizeof digits - 1;
		for (long n = r; n != 0; n /= 10)
			*--d = static_cast<char>('0' + n % 10);
		fail_with(stpcpy(stpcpy(start_message(thread_failed), d), thread_reason));
	}
	if (r < 0 && errno != ENOSYS && errno != EINVAL)
		failure(confine_failed, errno);
#endif
}

// One read of at most cap bytes: a count, 0 at the end of input. A failed read or wait ends the
// program: an error code is never taken as a length.
static size_t rdproc(char *data, size_t cap)
{
	for (;;) {
		const ssize_t n = transfer(SYS_read, in_fd, data, cap);
		if (n >= 0)
			return static_cast<size_t>(n);
		if (errno == EBADF)
			fail_with(stpcpy(start_message(read_failed), not_readable));
		if (errno == EAGAIN && wait_for(in_fd, POLLIN) < 0)
			failure(wait_failed, errno);
		else if (errno != EAGAIN && errno != EINTR)
			failure(read_failed, errno);
	}
}

int main()
{
	confine();
	if (!wrtproc(prompt, prlen))
		_exit(1);
	mid_line = true;
	for (;;) {
		const size_t n = rdproc(buffer, buflen);
		if (n == 0)
			_exit(0);
		if (!wrtproc(buffer, n))
			_exit(1);
		mid_line = buffer[n - 1] != '\n';
	}
}
