// SPDX-License-Identifier: ISC
#include "run.h"

#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <sstream>

namespace {

void redirect(const std::vector<Redirect> &redirects)
{
	for (const Redirect &r : redirects) {
		if (r.path.empty()) {
			close(r.fd);
			continue;
		}
		int fd = open(r.path.c_str(), r.flags, 0644);
		if (fd < 0 || dup2(fd, r.fd) < 0)
			_exit(126);
		if (fd != r.fd)
			close(fd);
	}
}

[[noreturn]] void exec_child(const std::vector<std::string> &argv, const int in[2],
			     const int out[2], const int err[2],
			     const std::vector<Redirect> &redirects)
{
	dup2(in[0], 0);
	dup2(out[1], 1);
	dup2(err[1], 2);
	redirect(redirects);
	exec_program(argv);
}

double now()
{
	timespec ts{};
	clock_gettime(CLOCK_MONOTONIC, &ts);
	return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

} // namespace

#ifdef CONBITS_EMULATOR
static const char *const emulator[] = {CONBITS_EMULATOR};
const bool emulated = true;
#else
static const char *const emulator[] = {nullptr};
const bool emulated = false;
#endif

std::string shell_exec(const std::string &argv0)
{
	if (!emulated)
		return "exec -a " + argv0 + " ";
	std::string words = "exec";
	for (const char *word : emulator)
		words += std::string(" ") + word;
	return words + " -0 " + argv0 + " ";
}

void exec_program(const std::vector<std::string> &argv)
{
	signal(SIGPIPE, SIG_DFL); // the tests ignore it; the program must not inherit that
	// Other programs' messages in English, whatever the language of whoever runs the tests.
	setenv("LC_ALL", "C", 1);
	setenv("LANGUAGE", "", 1);
	std::vector<char *> args;
	// A program built here runs through the emulator, if there is one.
	if (emulated && argv[0].rfind(CONBITS_BINARY_DIR "/", 0) == 0)
		for (const char *word : emulator)
			args.push_back(const_cast<char *>(word));
	for (const std::string &a : argv)
		args.push_back(const_cast<char *>(a.c_str()));
	args.push_back(nullptr);
	execvp(args[0], args.data());
	_exit(127);
}

Outcome run(const std::vector<std::string> &argv, const std::string &input,
	    const std::vector<Redirect> &redirects, int timeout_s)
{
	signal(SIGPIPE, SIG_IGN);
	int in[2], out[2], err[2];
	if (pipe2(in, O_CLOEXEC) != 0 || pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0)
		abort();
	pid_t pid = fork();
	if (pid == 0)
		exec_child(argv, in, out, err, redirects);
	close(in[0]);
	close(out[1]);
	close(err[1]);
	fcntl(in[1], F_SETFL, O_NONBLOCK);

	Outcome o;
	size_t sent = 0;
	if (input.empty())
		close(in[1]);
	bool out_open = true, err_open = true, in_open = !input.empty();
	const double deadline = now() + timeout_s;
	// Both are cleared through open[] below, which cppcheck 2.17 does not follow.
	// cppcheck-suppress knownConditionTrueFalse
	while (out_open || err_open) {
		pollfd fds[3] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}, {in[1], POLLOUT, 0}};
		if (now() > deadline) {
			kill(pid, SIGKILL);
			o.timed_out = true;
			break;
		}
		if (poll(fds, in_open ? 3 : 2, 100) < 0)
			continue;
		char buf[65536];
		int *readers[2] = {&out[0], &err[0]};
		std::string *sinks[2] = {&o.out, &o.err};
		bool *open[2] = {&out_open, &err_open};
		for (int i = 0; i < 2; i++) {
			if (!*open[i] || fds[i].revents == 0)
				continue;
			ssize_t n = read(*readers[i], buf, sizeof buf);
			if (n > 0)
				sinks[i]->append(buf, static_cast<size_t>(n));
			else if (n == 0 || errno != EINTR)
				*open[i] = false;
		}
		if (in_open && fds[2].revents != 0) {
			ssize_t n = write(in[1], input.data() + sent, input.size() - sent);
			if (n > 0)
				sent += static_cast<size_t>(n);
			if ((n < 0 && errno != EAGAIN && errno != EINTR) || sent == input.size()) {
				close(in[1]);
				in_open = false;
			}
		}
	}
	if (in_open)
		close(in[1]);
	close(out[0]);
	close(err[0]);
	// A child may hold no pipe and still not end.
	int wstatus = 0;
	while (waitpid(pid, &wstatus, WNOHANG) == 0) {
		if (now() > deadline) {
			kill(pid, SIGKILL);
			o.timed_out = true;
			waitpid(pid, &wstatus, 0);
			break;
		}
		usleep(1000);
	}
	o.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : 128 + WTERMSIG(wstatus);
	return o;
}

int start_on_pipe(pid_t *pid, const std::vector<std::string> &argv, int fd,
		  const std::vector<Redirect> &redirects, const std::string &waiting)
{
	int p[2];
	if (pipe2(p, O_CLOEXEC) != 0)
		return -1;
	const bool reads = fd == 0 || fd == 1; // the child's end: the reading one for 0 and 1
	const int theirs = reads ? p[0] : p[1], ours = reads ? p[1] : p[0];
	if (reads && write(ours, waiting.data(), waiting.size()) != static_cast<ssize_t>(waiting.size()))
		return -1;
	fcntl(theirs, F_SETFL, O_NONBLOCK);
	*pid = fork();
	if (*pid == 0) {
		if (dup2(theirs, fd) < 0)
			_exit(126);
		redirect(redirects);
		exec_program(argv);
	}
	close(theirs);
	return ours;
}

int child_status(pid_t pid)
{
	int status = 0;
	waitpid(pid, &status, 0);
	return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string temp_file(const std::string &contents, const std::string &name)
{
	static int serial = 0;
	const char *tmp = getenv("TMPDIR");
	std::string path = std::string(tmp ? tmp : "/tmp") + "/conbits-" +
			   std::to_string(getpid()) + "-" + std::to_string(serial++) + "-" + name;
	std::ofstream(path, std::ios::binary) << contents;
	return path;
}

std::string read_file(const std::string &path)
{
	std::ifstream f(path, std::ios::binary);
	std::ostringstream s;
	s << f.rdbuf();
	return s.str();
}

bool have_program(const char *name)
{
	const char *path = getenv("PATH");
	std::istringstream dirs(path != nullptr ? path : "/usr/bin:/bin");
	for (std::string dir; std::getline(dirs, dir, ':');)
		if (access((dir + "/" + name).c_str(), X_OK) == 0)
			return true;
	return false;
}

std::vector<std::string> needed_libraries(const std::string &path)
{
	Outcome o = run({"/usr/bin/readelf", "-d", path});
	std::vector<std::string> names;
	const std::string mark = "Shared library: [";
	for (size_t at = o.out.find(mark); at != std::string::npos; at = o.out.find(mark, at)) {
		at += mark.size();
		std::string name = o.out.substr(at, o.out.find(']', at) - at);
		// The dynamic loader is the C library's own; aarch64's holds the stack guard.
		if (name.rfind("ld-linux-", 0) != 0)
			names.push_back(name);
	}
	return names;
}
