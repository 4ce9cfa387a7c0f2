/* SPDX-License-Identifier: ISC */
/* Preloaded, it starts a thread that never ends, as a profiler's library may: a program that
 * ends only its own thread then never ends. Before main, the thread does what CONBITS_THREAD
 * says: "filtered", put a seccomp filter of its own on itself; then it waits in read, which a
 * confined program may call too, or calls again and again what none may: getpid ("forbidden"),
 * write by its x32 number ("x32"), or i386's call 0 ("i386"). It makes that call once before
 * main starts, so that a kernel that ends the caller for it ends it there. "crowded" first
 * fills the process's room for seccomp filters, so that the kernel has none left for main's.
 * With CONBITS_THREAD_ID=FILE, the thread writes its id there first. */
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <pthread.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <unistd.h>

static int ready[2], never[2];
static struct sock_filter code[BPF_MAXINSNS];

static int is(const char *mode)
{
	const char *what = getenv("CONBITS_THREAD");
	return what != NULL && strcmp(what, mode) == 0;
}

// As many filters of len instructions as the kernel takes, or one of one; each allows all.
static void filters(unsigned short len)
{
	const struct sock_fprog fill = {len, code};
	code[len - 1] = (struct sock_filter)BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW);
	prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0);
	while (syscall(SYS_seccomp, SECCOMP_SET_MODE_FILTER, 0, &fill) == 0 && len > 1)
		;
}

// Whether CONBITS_THREAD names a call that this architecture's thread makes.
static int calls(void)
{
#ifdef __x86_64__
	if (is("x32") || is("i386"))
		return 1;
#endif
	return is("forbidden");
}

// One call of what CONBITS_THREAD names, or a read that never ends; false once that fails.
static int call(void)
{
	char c = 0;
	if (is("forbidden"))
		syscall(SYS_getpid);
#ifdef __x86_64__
	else if (is("x32"))
		syscall(0x40000000 | SYS_write, 2, "", 0);
	else if (is("i386")) { // 0 is read here and restart_syscall there
		long number = 0;
		__asm__ volatile("int $0x80" : "+a"(number) : : "memory");
	}
#endif
	else if (read(never[0], &c, 1) < 0)
		return 0;
	return 1;
}

// Its id, in decimal, into the file that CONBITS_THREAD_ID names, if any.
static void write_id(void)
{
	const char *name = getenv("CONBITS_THREAD_ID");
	FILE *file = name != NULL ? fopen(name, "w") : NULL;
	if (file != NULL && fprintf(file, "%ld\n", (long)syscall(SYS_gettid)) < 0)
		abort();
	if (file != NULL && fclose(file) != 0)
		abort();
}

static void *idle(void *unused)
{
	char c = 0;
	(void)unused;
	write_id();
	if (is("filtered"))
		filters(1);
	if (calls())
		call(); // once before main
	if (write(ready[1], &c, 1) != 1)
		return NULL;
	while (call())
		;
	return NULL;
}

__attribute__((constructor)) static void start_thread(void)
{
	pthread_t thread;
	char c;
	for (unsigned short len = BPF_MAXINSNS; is("crowded") && len > 0; len /= 2)
		filters(len);
	if (pipe(ready) == 0 && pipe(never) == 0 &&
	    pthread_create(&thread, NULL, idle, NULL) == 0 && read(ready[0], &c, 1) != 1)
		abort();
}
