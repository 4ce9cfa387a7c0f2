/* SPDX-License-Identifier: ISC */
/* Preloaded, it starts a thread that never ends, as a profiler's or tracer's library may: a
 * program that ends only its own thread then never ends. CONBITS_THREAD says what the thread
 * does: wait for ever in read, which a confined program may call too (unset); a system call no
 * confined program needs, again and again ("forbidden"), or an allowed one by its x32 number
 * ("x32"); or put a seccomp filter of its own on itself ("filtered"). Whatever it does first is
 * done before main starts. "crowded" fills the whole process's room for seccomp filters first,
 * so that the kernel has none left for main. */
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <pthread.h>
#include <stdlib.h>
#include <string.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <unistd.h>

static int ready[2], never[2];

static void *idle(void *unused)
{
	(void)unused;
	const char *mode = getenv("CONBITS_THREAD");
	if (mode != NULL && strcmp(mode, "filtered") == 0) {
		static struct sock_filter allow = BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW);
		static const struct sock_fprog own = {1, &allow};
		prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0);
		syscall(SYS_seccomp, SECCOMP_SET_MODE_FILTER, 0, &own);
	}
	char c = 0;
	if (write(ready[1], &c, 1) != 1)
		return NULL;
	for (;;)
		if (mode != NULL && strcmp(mode, "forbidden") == 0)
			syscall(SYS_getpid);
#ifdef __x86_64__
		else if (mode != NULL && strcmp(mode, "x32") == 0)
			syscall(0x40000000 | SYS_write, 2, "", 0);
#endif
		else if (read(never[0], &c, 1) < 0)
			return NULL;
}

// Filters as long as the kernel takes, then ever shorter ones, down to a single instruction,
// until it takes no more.
static void crowd(void)
{
	static struct sock_filter code[BPF_MAXINSNS];
	for (int i = 0; i < BPF_MAXINSNS; i++)
		code[i] = (struct sock_filter)BPF_STMT(BPF_LD | BPF_W | BPF_ABS, 0);
	prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0);
	for (unsigned short len = BPF_MAXINSNS; len > 0; len /= 2) {
		code[len - 1] = (struct sock_filter)BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW);
		const struct sock_fprog fill = {len, code + 0};
		while (syscall(SYS_seccomp, SECCOMP_SET_MODE_FILTER, 0, &fill) == 0)
			;
	}
}

__attribute__((constructor)) static void start_thread(void)
{
	pthread_t thread;
	char c;
	const char *mode = getenv("CONBITS_THREAD");
	if (mode != NULL && strcmp(mode, "crowded") == 0)
		crowd();
	if (pipe(ready) == 0 && pipe(never) == 0 && pthread_create(&thread, NULL, idle, NULL) == 0 &&
	    read(ready[0], &c, 1) != 1)
		abort();
}
