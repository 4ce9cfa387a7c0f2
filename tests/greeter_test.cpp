// SPDX-License-Identifier: ISC
#include <gtest/gtest.h>

#include <gnu/libc-version.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <regex>

#include "run.h"

namespace {

const std::string greeter = GREETER_PATH;
const std::string probe = IO_PROBE_PATH;

struct Case {
	std::vector<std::string> args;
	std::string input;
	std::string out;
	std::string result; // the routine's return value, as the probe reports it
};

TEST(Io, RoutinesWriteExactlyTheirBytes)
{
	const Case cases[] = {
		{{"string", ""}, "", "", "0"},
		{{"string", "100%"}, "", "100%", "4"},
		{{"string", "%s%d%n"}, "", "%s%d%n", "6"},
		{{"int", "-5"}, "", "-5", "2"},
		{{"int", "0"}, "", "0", "1"},
		{{"int", "-2147483648"}, "", "-2147483648", "11"},
		{{"nl"}, "", "\n", "10"},
		{{"mixed"}, "", "a\nb3c\n", ""},
	};
	for (const Case &c : cases) {
		std::vector<std::string> argv = {probe};
		argv.insert(argv.end(), c.args.begin(), c.args.end());
		Outcome o = run(argv, c.input);
		EXPECT_EQ(o.out, c.out) << c.args[0];
		EXPECT_EQ(o.err, c.result) << c.args[0];
		EXPECT_EQ(o.status, 0);
	}
}

// 0x and then no hex digit: the number 0 for glibc before 2.43, no number from 2.43 on, as the
// C standard has it. Either way the 0x is gone.
std::string zero_x_then_g()
{
	char *minor = nullptr;
	const unsigned long major = std::strtoul(gnu_get_libc_version(), &minor, 10);
	const bool before_2_43 = major < 2 || (major == 2 && std::strtoul(minor + 1, nullptr, 10) < 43);
	return before_2_43 ? "1:0 0:99 g" : "0:99 g";
}

TEST(Io, ReadIntTakesStrtolBaseZeroSyntax)
{
	// Each read shows as result:cell; a cell a failed read leaves alone stays 99.
	const Case cases[] = {
		{{}, "0x1A", "1:26 -1:99 ", ""},
		{{}, "010", "1:8 -1:99 ", ""},
		{{}, "  \n\t -7\n", "1:-7 -1:99 ", ""},
		{{}, "12abc", "1:12 0:99 abc", ""},
		{{}, "abc", "0:99 abc", ""},
		{{}, "", "-1:99 ", ""},
		{{}, "1 -2 0X10 077 z", "1:1 1:-2 1:16 1:63 0:99 z", ""},
		// Outside int32_t: refused, the cell untouched, the digits consumed.
		{{}, "2147483647 -2147483648 0x7fffffff", "1:2147483647 1:-2147483648 1:2147483647 -1:99 ", ""},
		{{}, "2147483648 -2147483649 0x80000000 7", "0:99! 0:99! 0:99! 1:7 -1:99 ", ""},
		{{}, "99999999999999999999999 -0xffffffffffffffffff 5;", "0:99! 0:99! 1:5 0:99 ;", ""},
		{{}, "0xg", zero_x_then_g(), ""},
	};
	for (const Case &c : cases) {
		Outcome o = run({probe, "read"}, c.input);
		EXPECT_EQ(o.out, c.out) << "input [" << c.input << "]";
		EXPECT_EQ(o.status, 0);
	}
}

// A read that fails in the middle of a number gives no number: the digits before it are not one.
TEST(Io, ReadIntTakesAFailedReadForTheEnd)
{
	std::string out = temp_file("", "output");
	pid_t pid = -1;
	// The digits are there before the probe starts, and the writer stays open, so the read
	// after them finds nothing yet: EAGAIN.
	int feed = start_on_pipe(&pid, {probe, "read"}, 0, {{1, out, O_WRONLY | O_TRUNC}}, "12");
	ASSERT_GE(feed, 0);
	EXPECT_EQ(child_status(pid), 0);
	close(feed);
	EXPECT_EQ(read_file(out), "-1:99EAGAIN ");
	std::remove(out.c_str());
}

TEST(Io, CallableFromC)
{
	Outcome o = run({IO_C_CALLER_PATH}, "0x15\n");
	EXPECT_EQ(o.out, "twice 21 is 42\n");
	EXPECT_EQ(o.status, 0);
}

// C linkage and nothing else visible: any module, C or C++, links the routines by name.
TEST(Io, ExportsExactlyTheFourRoutines)
{
	Outcome o = run({"/usr/bin/nm", "-g", "--defined-only", "--format=just-symbols",
			 IO_LIBRARY_PATH});
	ASSERT_EQ(o.status, 0) << o.err;
	EXPECT_EQ(o.out, "print_int\nprint_nl\nprint_string\nread_int\n");
}

TEST(Greeter, WritesHelloWhateverTheArguments)
{
	for (const auto &args : {std::vector<std::string>{greeter},
				 {greeter, "a"},
				 {greeter, "-h", "--", "x y", ""}}) {
		Outcome o = run(args);
		EXPECT_EQ(o.out, "hello\n");
		EXPECT_EQ(o.err, "");
		EXPECT_EQ(o.status, 0);
	}
}

// The greeting lives in a writable, external 15-byte array: "hello\n" and nine zero bytes.
// Its module's object says so; in the program, link-time optimisation may make it local.
TEST(Greeter, KeepsItsGreetingInA15ByteArray)
{
	Outcome kind = run({"/usr/bin/nm", "--defined-only", DRIVER_OBJECT_PATH});
	EXPECT_TRUE(std::regex_search(kind.out, std::regex("(^|\n)[0-9a-f]+ D mystr\n"))) << kind.out;
	Outcome size = run({"/usr/bin/readelf", "-sW", DRIVER_OBJECT_PATH});
	EXPECT_TRUE(std::regex_search(size.out, std::regex(" 15 OBJECT +GLOBAL +DEFAULT +[0-9]+ mystr\n")))
		<< size.out;
}

TEST(Greeter, RedirectedToAFileWritesSixBytes)
{
	std::string path = temp_file("old contents, longer than the greeting");
	Outcome o = run({greeter}, {}, {{1, path, O_WRONLY | O_TRUNC}});
	EXPECT_EQ(read_file(path), "hello\n");
	EXPECT_EQ(o.status, 0);
	std::remove(path.c_str());
}

TEST(Greeter, OutputThatCannotBeWrittenIsAnError)
{
	const std::pair<Redirect, std::string> sinks[] = {
		{{1, "/dev/full", O_WRONLY}, "No space left on device"},
		{{1, ""}, "Bad file descriptor"},
	};
	// Started under another name, it still names itself.
	const std::vector<std::string> starts[] = {
		{greeter}, {"/bin/bash", "-c", shell_exec("renamed") + "\"$0\"", greeter}};
	for (const auto &argv : starts)
		for (const auto &[redirect, reason] : sinks) {
			Outcome o = run(argv, {}, {redirect});
			EXPECT_EQ(o.err, "greeter: write error: " + reason + "\n");
			EXPECT_EQ(o.status, 1);
		}
}

#ifndef CONBITS_SANITIZED
TEST(Greeter, DependsOnLibcAlone)
{
	EXPECT_EQ(needed_libraries(greeter), std::vector<std::string>{"libc.so.6"});
}
#endif

} // namespace
