/* SPDX-License-Identifier: ISC */
/* Preloaded, it starts a thread that never ends, as a profiler's or tracer's library may: a
 * program that ends only its own thread then never ends. */
#include <pthread.h>
#include <unistd.h>

static void *idle(void *unused)
{
	(void)unused;
	for (;;)
		pause();
	return NULL;
}

__attribute__((constructor)) static void start_thread(void)
{
	pthread_t thread;
	pthread_create(&thread, NULL, idle, NULL);
}
