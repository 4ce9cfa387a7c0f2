// SPDX-License-Identifier: ISC
// proctime RUNS -- OURS... -- REFERENCE... [-- OURS... -- REFERENCE...]: runs the commands in
// turn, RUNS rounds, and prints a line for each pair: the median wall-clock time of each whole
// process in milliseconds, then the first quartile, median and third quartile of the ratio
// OURS / REFERENCE taken round by round.
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

static double run_once(char **argv)
{
	timespec start{}, end{};
	clock_gettime(CLOCK_MONOTONIC, &start);
	// posix_spawn, not fork: copying this process's page tables is not the command's time.
	posix_spawn_file_actions_t actions;
	posix_spawn_file_actions_init(&actions);
	posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
	pid_t pid = 0;
	int status = 0;
	if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv, environ) != 0 ||
	    waitpid(pid, &status, 0) != pid)
		status = -1;
	posix_spawn_file_actions_destroy(&actions);
	clock_gettime(CLOCK_MONOTONIC, &end);
	if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
		fprintf(stderr, "proctime: %s failed\n", argv[0]);
		exit(1);
	}
	return static_cast<double>(end.tv_sec - start.tv_sec) * 1e3 +
	       static_cast<double>(end.tv_nsec - start.tv_nsec) / 1e6;
}

// The value a fraction q of the way through the sorted samples.
static double quantile(std::vector<double> v, double q)
{
	std::sort(v.begin(), v.end());
	return v[static_cast<size_t>(q * static_cast<double>(v.size() - 1) + 0.5)];
}

int main(int argc, char *argv[])
{
	if (argc < 4 || strcmp(argv[2], "--") != 0) {
		fputs("usage: proctime RUNS -- OURS... -- REFERENCE... [-- OURS... -- REFERENCE...]\n",
		      stderr);
		return 1;
	}
	const int runs = atoi(argv[1]);
	std::vector<char **> commands;
	for (int i = 2; i < argc; i++)
		if (strcmp(argv[i], "--") == 0) {
			argv[i] = nullptr; // ends the command before it
			commands.push_back(argv + i + 1);
		}
	if (runs < 1 || commands.size() % 2 != 0) {
		fputs("proctime: RUNS must be positive, and the commands come in pairs\n", stderr);
		return 1;
	}
	std::vector<std::vector<double>> times(commands.size());
	for (int r = 0; r < runs; r++)
		for (size_t c = 0; c < commands.size(); c++)
			times[c].push_back(run_once(commands[c]));
	for (size_t c = 0; c < commands.size(); c += 2) {
		std::vector<double> ratios;
		for (int r = 0; r < runs; r++)
			ratios.push_back(times[c][static_cast<size_t>(r)] / times[c + 1][static_cast<size_t>(r)]);
		printf("%.3f %.3f %.3f %.3f %.3f\n", quantile(times[c], 0.5), quantile(times[c + 1], 0.5),
		       quantile(ratios, 0.25), quantile(ratios, 0.5), quantile(ratios, 0.75));
	}
	return 0;
}
