// SPDX-License-Identifier: ISC
#include <gtest/gtest.h>

#include <poll.h>
#include <fcntl.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>
#include <utmp.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <regex>

#include "run.h"

namespace {

const std::string echoback = ECHOBACK_PATH;
const std::string prompt = "Enter text. Press 'Ctrl-D' when done: ";

// echoback with the given file readable on descriptor 1; descriptor 2 is collected.
Outcome echoback_reading(const std::string &contents, const std::vector<std::string> &wrap = {})
{
	std::string path = temp_file(contents, "input");
	std::vector<std::string> argv = wrap;
	argv.push_back(echoback);
	Outcome o = run(argv, {}, {{1, path, O_RDONLY}});
	std::remove(path.c_str());
	return o;
}

TEST(Echoback, CopiesWhatDescriptorOneHolds)
{
	std::string bytes;
	std::mt19937 gen(35);
	for (int i = 0; i < 3 * 1024 * 1024 + 17; i++)
		bytes += static_cast<char>(gen() & 0xff);
	ASSERT_NE(bytes.size() % 35, 0U);
	for (const std::string &in : {std::string(), std::string("abc\n"), std::string("no newline"),
				      std::string(70, 'x'), bytes}) {
		Outcome o = echoback_reading(in);
		EXPECT_TRUE(o.err == prompt + in) << "input of " << in.size() << " bytes";
		EXPECT_EQ(o.out, "");
		EXPECT_EQ(o.status, 0);
	}
}

TEST(Echoback, LeavesStandardInputAlone)
{
	std::string path = temp_file("", "input");
	Outcome o = run({echoback}, "on descriptor 0\n", {{1, path, O_RDONLY}});
	EXPECT_EQ(o.err, prompt);
	EXPECT_EQ(o.status, 0);
	std::remove(path.c_str());
}

TEST(Echoback, FailsWhenDescriptorOneCannotBeRead)
{
	std::string path = temp_file("", "stdout");
	const std::pair<Redirect, std::string> not_readable[] = {
		{{1, path, O_WRONLY}, "not open for reading"},
		{{1, ""}, "not open for reading"},
		{{1, "/", O_RDONLY}, "is a directory"},
	};
	for (const auto &[r, reason] : not_readable) {
		Outcome o = run({echoback}, "typed\n", {r}, 10);
		EXPECT_FALSE(o.timed_out);
		EXPECT_EQ(o.err, prompt + "\nechoback: cannot read descriptor 1: " + reason + "\n");
		EXPECT_EQ(o.status, 1);
	}
	EXPECT_EQ(read_file(path), "");
	std::remove(path.c_str());
	// Standard output a pipe: descriptor 1 is its write end.
	Outcome piped = run({echoback}, {}, {}, 10);
	EXPECT_EQ(piped.err, prompt + "\nechoback: cannot read descriptor 1: not open for reading\n");
	EXPECT_EQ(piped.status, 1);
}

// Every end is the whole process's, even with a thread that another library started.
TEST(Echoback, EndsWithEveryThread)
{
	std::string in = temp_file("abc\n", "input");
	const struct {
		std::vector<Redirect> redirects;
		int status;
		std::string err;
	} ends[] = {
		{{{1, in, O_RDONLY}}, 0, prompt + "abc\n"},
		{{{1, in, O_WRONLY}}, 1, prompt + "\nechoback: cannot read descriptor 1: not open for reading\n"},
		{{{1, in, O_RDONLY}, {2, "/dev/full", O_WRONLY}}, 1, ""},
	};
	// Through the emulator, for the program it runs and not for itself.
	const char *preload = emulated ? "QEMU_SET_ENV" : "LD_PRELOAD";
	setenv(preload, emulated ? "LD_PRELOAD=" THREAD_PRELOAD_PATH : THREAD_PRELOAD_PATH, 1);
	setenv("ASAN_OPTIONS", "verify_asan_link_order=0", 1); // the library comes before its runtime
	for (const auto &e : ends) {
		Outcome o = run({echoback}, {}, e.redirects, 10);
		EXPECT_FALSE(o.timed_out);
		EXPECT_EQ(o.status, e.status);
		EXPECT_EQ(o.err, e.err);
	}
	unsetenv(preload);
	unsetenv("ASAN_OPTIONS");
	std::remove(in.c_str());
}

// echoback with descriptor fd the non-blocking end of a pipe, and the other of descriptors 1
// and 2 on path. Gives the test's end of the pipe.
int start_on_nonblocking_pipe(pid_t *pid, int fd, const std::string &path)
{
	return start_on_pipe(pid, {echoback}, fd, {{3 - fd, path, fd == 1 ? O_WRONLY | O_TRUNC : O_RDONLY}});
}

// The filter holds for every thread, a preloaded library's too; a thread that cannot be
// brought under it stops the program before the prompt.
TEST(Echoback, ConfinesEveryThread)
{
	if (emulated)
		GTEST_SKIP() << "the emulator refuses seccomp, and echoback runs unconfined there";
	std::string out = temp_file("", "output");
	setenv("LD_PRELOAD", THREAD_PRELOAD_PATH, 1);
	setenv("ASAN_OPTIONS", "verify_asan_link_order=0", 1);
	setenv("CONBITS_THREAD", "forbidden", 1);
	pid_t pid = -1;
	int feed = start_on_nonblocking_pipe(&pid, 1, out);
	ASSERT_GE(feed, 0);
	usleep(300000);
	close(feed);
	int status = 0;
	waitpid(pid, &status, 0);
	EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGSYS) << "status " << status;

	setenv("CONBITS_THREAD", "filtered", 1);
	Outcome o = run({echoback}, {}, {{1, out, O_RDONLY}}, 10);
	EXPECT_EQ(o.status, 1);
	EXPECT_TRUE(std::regex_match(o.err, std::regex("echoback: cannot confine thread [0-9]+: "
						       "it has a seccomp filter of its own\n")))
		<< o.err;
	// No room left for one more filter: refused otherwise, and said with the error's number.
	setenv("CONBITS_THREAD", "crowded", 1);
	o = run({echoback}, {}, {{1, out, O_RDONLY}}, 10);
	EXPECT_EQ(o.status, 1);
	EXPECT_EQ(o.err, "echoback: cannot confine itself: error 12\n");
	for (const char *name : {"LD_PRELOAD", "ASAN_OPTIONS", "CONBITS_THREAD"})
		unsetenv(name);
	std::remove(out.c_str());
}

// Stopped and continued while it waits, it goes on: the kernel resumes the wait with a call
// of its own.
void stop_and_continue(pid_t pid)
{
	int status = 0;
	kill(pid, SIGSTOP);
	waitpid(pid, &status, WUNTRACED);
	kill(pid, SIGCONT);
}

// Not ready is not a failure: a non-blocking descriptor is waited for, and nothing is lost,
// whether or not the wait is stopped and continued.
TEST(Echoback, WaitsForANonBlockingDescriptorOneFedSlowly)
{
	signal(SIGPIPE, SIG_IGN); // a reader that is gone shows as a failed write
	std::string out = temp_file("", "output");
	pid_t pid = -1;
	int feed = start_on_nonblocking_pipe(&pid, 1, out);
	ASSERT_GE(feed, 0);
	for (const char *piece : {"slow", "ly fed\n", "to the end"}) {
		usleep(100000);
		stop_and_continue(pid);
		EXPECT_EQ(write(feed, piece, strlen(piece)), static_cast<ssize_t>(strlen(piece)));
	}
	close(feed);
	EXPECT_EQ(child_status(pid), 0);
	EXPECT_EQ(read_file(out), prompt + "slowly fed\nto the end");
	std::remove(out.c_str());
}

// A wait that fails is named as such, not as the read that would block.
TEST(Echoback, SaysWhyTheWaitFailed)
{
	std::string out = temp_file("", "output");
	pid_t pid = -1;
	int feed = start_on_nonblocking_pipe(&pid, 1, out);
	ASSERT_GE(feed, 0);
	for (int waited = 0; read_file(out) != prompt && waited < 100; waited++)
		usleep(50000);
	// poll refuses more descriptors than the process may hold.
	Outcome limited = run({"/usr/bin/prlimit", "--pid", std::to_string(pid), "--nofile=0"});
	EXPECT_EQ(limited.status, 0) << limited.err;
	EXPECT_EQ(write(feed, "x\n", 2), 2);
	EXPECT_EQ(child_status(pid), 1);
	close(feed);
	EXPECT_EQ(read_file(out), prompt + "x\nechoback: cannot wait for descriptor 1: invalid argument\n");
	std::remove(out.c_str());
}

TEST(Echoback, WaitsForANonBlockingDescriptorTwoReadSlowly)
{
	std::string bytes(size_t{1} << 20, 'm');
	std::string in = temp_file(bytes, "input");
	pid_t pid = -1;
	int drain = start_on_nonblocking_pipe(&pid, 2, in);
	ASSERT_GE(drain, 0);
	usleep(200000); // long enough to fill the pipe
	stop_and_continue(pid);
	std::string got;
	char buf[4096];
	for (ssize_t n = read(drain, buf, sizeof buf); n > 0; n = read(drain, buf, sizeof buf)) {
		got.append(buf, static_cast<size_t>(n));
		if (got.size() % 65536 < sizeof buf)
			usleep(10000);
	}
	close(drain);
	EXPECT_EQ(child_status(pid), 0);
	EXPECT_TRUE(got == prompt + bytes) << got.size() << " bytes of " << prompt.size() + bytes.size();
	std::remove(in.c_str());
}

TEST(Echoback, FailsWhenTheEchoCannotBeWritten)
{
	std::string path = temp_file("abc\n", "input");
	const Redirect lost[] = {{2, "/dev/full", O_WRONLY}, {2, ""}};
	for (const Redirect &r : lost) {
		Outcome o = run({echoback}, {}, {{1, path, O_RDONLY}, r}, 10);
		EXPECT_EQ(o.status, 1) << "descriptor 2 on [" << r.path << "]";
	}
	std::remove(path.c_str());
}

// A file-size limit cuts a write short; the rest goes out in another call, which then fails.
TEST(Echoback, CompletesAShortWriteOrFails)
{
	std::string in = temp_file(std::string(2000, 'w'), "input");
	std::string out = temp_file("", "output");
	Outcome o = run({"/bin/bash", "-c", "trap '' XFSZ; ulimit -f 1; " + shell_exec("echoback") +
			 "\"$0\" 1<\"$1\" 2>\"$2\"",
			 echoback, in, out});
	EXPECT_EQ(o.status, 1);
	EXPECT_EQ(read_file(out), (prompt + std::string(2000, 'w')).substr(0, 1024));
	std::remove(in.c_str());
	std::remove(out.c_str());
}

// Confinement, the prompt, then only reads of descriptor 1, writes of descriptor 2 and the
// exit of the whole process.
TEST(Echoback, MakesOneReadAndOneWriteAPiece)
{
	if (emulated)
		GTEST_SKIP() << "strace would see the emulator's system calls, not echoback's";
	if (!have_program("strace"))
		GTEST_SKIP() << "strace is not installed";
	std::string trace = temp_file("", "trace");
	Outcome o = echoback_reading(std::string(100, 'z'), {"/usr/bin/strace", "-o", trace});
	ASSERT_EQ(o.status, 0) << o.err;
	std::string calls = read_file(trace);
	size_t start = calls.rfind("\nprctl(PR_SET_NO_NEW_PRIVS");
	ASSERT_NE(start, std::string::npos) << calls;
	calls = calls.substr(start + 1);
#ifdef CONBITS_SANITIZED
	// AddressSanitizer looks up the signal stack before a call that does not return.
	calls = std::regex_replace(calls, std::regex("sigaltstack\\(.*\n"), "");
#endif
	// strace shows the first 32 bytes of a longer run, then "...".
	const std::string piece = "read\\(1, \"z{32}\"\\.\\.\\., 35\\) += 35\n"
				  "write\\(2, \"z{32}\"\\.\\.\\., 35\\) += 35\n";
	EXPECT_TRUE(std::regex_match(
		calls, std::regex("prctl\\(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0\\) += 0\n"
				  "seccomp\\(SECCOMP_SET_MODE_FILTER, SECCOMP_FILTER_FLAG_TSYNC, \\{len=[0-9]+, filter=0x[0-9a-f]+\\}\\) += 0\n"
				  "write\\(2, \"Enter text\\. Press 'Ctrl-D' when \"\\.\\.\\., 38\\) += 38\n" +
				  piece + piece + "read\\(1, \"z{30}\", 35\\) += 30\n"
			"write\\(2, \"z{30}\", 30\\) += 30\n"
			"read\\(1, \"\", 35\\) += 0\n"
			"exit_group\\(0\\) += \\?\n"
			"\\+\\+\\+ exited with 0 \\+\\+\\+\n")))
		<< calls;
	std::remove(trace.c_str());
}

// A program on a real terminal in line mode, with the terminal's own echo off so that what
// comes back is the program's output alone.
struct Tty {
	int master = -1;
	pid_t pid = -1;
	std::string seen;
};

Tty start_on_tty(const std::vector<std::string> &argv)
{
	Tty t;
	int slave = -1;
	if (openpty(&t.master, &slave, nullptr, nullptr, nullptr) != 0)
		return t;
	termios mode{};
	tcgetattr(slave, &mode);
	mode.c_lflag &= ~static_cast<tcflag_t>(ECHO);
	mode.c_oflag &= ~static_cast<tcflag_t>(OPOST);
	tcsetattr(slave, TCSANOW, &mode);
	t.pid = fork();
	if (t.pid == 0) {
		close(t.master);
		login_tty(slave);
		exec_program(argv);
	}
	close(slave);
	return t;
}

// Types keys, then collects output until all that came back is want; false on a timeout, or
// when the terminal closes first.
bool type_and_see(Tty &t, const std::string &keys, const std::string &want)
{
	if (!keys.empty() && write(t.master, keys.data(), keys.size()) != static_cast<ssize_t>(keys.size()))
		return false;
	for (int waited = 0; t.seen.size() < want.size() && waited < 100; waited++) {
		pollfd p = {t.master, POLLIN, 0};
		if (poll(&p, 1, 100) <= 0)
			continue;
		char buf[256];
		ssize_t n = read(t.master, buf, sizeof buf);
		if (n <= 0)
			break;
		t.seen.append(buf, static_cast<size_t>(n));
	}
	return t.seen == want;
}

// Waits for the program to end: its status, or -1 if it did not end within ten seconds.
int end_status(Tty &t)
{
	int status = 0;
	for (int waited = 0; waited < 100; waited++) {
		if (waitpid(t.pid, &status, WNOHANG) == t.pid) {
			close(t.master);
			return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
		}
		usleep(100000);
	}
	kill(t.pid, SIGKILL);
	waitpid(t.pid, &status, 0);
	close(t.master);
	return -1;
}

TEST(EchobackOnATerminal, EchoesLineByLine)
{
	Tty t = start_on_tty({echoback});
	ASSERT_GT(t.pid, 0);
	EXPECT_TRUE(type_and_see(t, "", prompt));
	EXPECT_TRUE(type_and_see(t, "first line\n", prompt + "first line\n"));
	EXPECT_TRUE(type_and_see(t, "second\n", prompt + "first line\nsecond\n"));
	EXPECT_TRUE(type_and_see(t, "\x04", t.seen));
	EXPECT_EQ(end_status(t), 0);
	EXPECT_EQ(t.seen, prompt + "first line\nsecond\n");
}

TEST(EchobackOnATerminal, CtrlDSendsAPartLineAndThenEnds)
{
	Tty t = start_on_tty({echoback});
	ASSERT_GT(t.pid, 0);
	EXPECT_TRUE(type_and_see(t, "abc\x04", prompt + "abc"));
	EXPECT_EQ(waitpid(t.pid, nullptr, WNOHANG), 0) << "ended on a part line";
	EXPECT_TRUE(type_and_see(t, "\x04", prompt + "abc"));
	EXPECT_EQ(end_status(t), 0);
}

std::string proc_status_line(pid_t pid, const std::string &field)
{
	std::string status = read_file("/proc/" + std::to_string(pid) + "/status");
	size_t at = status.find("\n" + field + ":");
	return at == std::string::npos ? "" : status.substr(at + 1, status.find('\n', at + 1) - at - 1);
}

TEST(EchobackOnATerminal, CtrlDAtTheStartEnds)
{
	Tty t = start_on_tty({echoback});
	ASSERT_GT(t.pid, 0);
	EXPECT_TRUE(type_and_see(t, "", prompt));
	// Confined before the prompt: no new privileges, and a filter on its system calls. The
	// emulator keeps the filter from the kernel, which would apply it to the emulator's calls.
	EXPECT_EQ(proc_status_line(t.pid, "NoNewPrivs"), "NoNewPrivs:\t1");
	if (!emulated) {
		EXPECT_EQ(proc_status_line(t.pid, "Seccomp"), "Seccomp:\t2");
	}
	EXPECT_TRUE(type_and_see(t, "\x04", prompt));
	EXPECT_EQ(end_status(t), 0);
	EXPECT_EQ(t.seen, prompt);
}

TEST(EchobackOnATerminal, LongLineComesBackInPiecesOf35)
{
	if (emulated)
		GTEST_SKIP() << "strace would see the emulator's system calls, not echoback's";
	if (!have_program("strace"))
		GTEST_SKIP() << "strace is not installed";
	std::string trace = temp_file("", "trace");
	Tty t = start_on_tty({"/usr/bin/strace", "-o", trace, "-e", "trace=write", echoback});
	ASSERT_GT(t.pid, 0);
	const std::string line = std::string(39, 'q') + "\n";
	EXPECT_TRUE(type_and_see(t, line + "\x04", prompt + line));
	EXPECT_EQ(end_status(t), 0);
	std::string calls = read_file(trace);
	EXPECT_TRUE(std::regex_search(calls, std::regex("\nwrite\\(2, \"q{32}\"\\.\\.\\., 35\\) += 35\n"
							"write\\(2, \"qqqq\\\\n\", 5\\) += 5\n")))
		<< calls;
	std::remove(trace.c_str());
}

#ifndef CONBITS_SANITIZED
TEST(Echoback, DependsOnLibcAlone)
{
	EXPECT_EQ(needed_libraries(echoback), std::vector<std::string>{"libc.so.6"});
	// And of libc only the start-up: hardening must not bring in a stack-guard call. On aarch64
	// the start-up calls abort should __libc_start_main ever return.
#ifdef __aarch64__
	const std::string startup = " +U __libc_start_main@[^\n]+\n +U abort@[^\n]+\n";
#else
	const std::string startup = " +U __libc_start_main@[^\n]+\n";
#endif
	Outcome o = run({"/usr/bin/nm", "-D", "--undefined-only", echoback});
	EXPECT_TRUE(std::regex_match(o.out, std::regex("( +w [^\n]+\n)*" + startup + "( +w [^\n]+\n)*")))
		<< o.out;
}
#endif

} // namespace
