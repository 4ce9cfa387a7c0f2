/* SPDX-License-Identifier: ISC */
/* Preloaded, it starts a thread that never ends, as a profiler's or tracer's library may: a
 * program that ends only its own thread then never ends. CONBITS_THREAD says what the thread
 * does meanwhile: nothing (unset), "forbidden" (a system call no confined program needs, again
 * and again), or "filtered" (it puts a seccomp filter of its own on itself, before main). */
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <pthread.h>
#include <semaphore.h>
#include <stdlib.h>
#include <string.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

static sem_t ready;

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
	sem_post(&ready);
	const struct timespec tick = {0, 10000000};
	for (;;)
		if (mode != NULL && strcmp(mode, "forbidden") == 0) {
			syscall(SYS_getpid);
			nanosleep(&tick, NULL);
		} else {
			pause();
		}
	return NULL;
}

__attribute__((constructor)) static void start_thread(void)
{
	pthread_t thread;
	sem_init(&ready, 0, 0);
	if (pthread_create(&thread, NULL, idle, NULL) == 0)
		sem_wait(&ready);
}
