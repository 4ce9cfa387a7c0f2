/* SPDX-License-Identifier: ISC */
// Runs a program as a subprocess and collects what it wrote, for end-to-end tests.
#ifndef CONBITS_TESTS_RUN_H
#define CONBITS_TESTS_RUN_H

#include <fcntl.h>
#include <sys/types.h>

#include <string>
#include <vector>

// A descriptor of the child set up otherwise than as a pipe: opened on path with flags, or
// closed when path is empty.
struct Redirect {
	int fd;
	std::string path;
	int flags = O_RDONLY;
};

struct Outcome {
	int status = -1; // the exit status; 128 + the signal for a killed child
	std::string out; // what the child wrote to descriptors 1 and 2 where they were pipes
	std::string err;
	bool timed_out = false;
};

// Descriptors 0, 1 and 2 are pipes (input is written to 0) unless redirected. A child still
// running after timeout_s seconds is killed.
Outcome run(const std::vector<std::string> &argv, const std::string &input = {},
	    const std::vector<Redirect> &redirects = {}, int timeout_s = 60);

// Starts argv with descriptor fd the non-blocking end of a new pipe, and the descriptors in
// redirects set up as run() sets them; 0, 1 and 2 are otherwise inherited. A pipe the child
// reads holds waiting before the child starts. Gives the other end of the pipe, or -1.
int start_on_pipe(pid_t *pid, const std::vector<std::string> &argv, int fd,
		  const std::vector<Redirect> &redirects = {}, const std::string &waiting = {});
// Waits for the child to end: its exit status, or -1 when a signal ended it.
int child_status(pid_t pid);

// Whether the programs built here run under an emulator, as in a cross build: tests that
// measure the machine they run on (instruction counts, system calls) do not apply then.
extern const bool emulated;
// The start of a shell command that replaces the shell with a program built here, whose path
// follows, started under the name argv0: `exec -a NAME `, through the emulator if there is one.
std::string shell_exec(const std::string &argv0);

// In a child process: replaces it with the program argv names.
[[noreturn]] void exec_program(const std::vector<std::string> &argv);

// A new file in the test's temporary folder, holding contents.
std::string temp_file(const std::string &contents, const std::string &name = "file");
std::string read_file(const std::string &path);
bool have_program(const char *name);

// The shared libraries an executable names as NEEDED, but for the C library's loader.
std::vector<std::string> needed_libraries(const std::string &path);

#endif
