// SPDX-License-Identifier: ISC
#include <gtest/gtest.h>

#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <random>
#include <regex>

#include "divide.h"
#include "run.h"

namespace {

const std::string powlog = POWLOG_PATH;
const std::string announcement = "---> Optimization is set on.\n";
const std::string usage = "Usage: ./powlog <base> <exp>\n";

Outcome powlog_with(std::vector<std::string> args, const std::vector<Redirect> &r = {})
{
	args.insert(args.begin(), powlog);
	return run(args, {}, r);
}

struct Case {
	std::vector<std::string> args;
	std::string expected;
};

TEST(Powlog, WorkedRunsGiveExactBytes)
{
	const Case cases[] = {
		{{"2", "10"}, "2^10 is 1024\n1024 log 2 is 10\n"},
		{{"2", "0"}, "2^0 is 1\n1 log 2 is 0\n"},
		{{"2", "1"}, "2^1 is 2\n2 log 2 is 1\n"},
		{{"2", "63"}, "2^63 is 9223372036854775808\n9223372036854775808 log 2 is 63\n"},
		{{"3", "4"}, "3^4 is 81\n81 log 3 is 4\n"},
		{{"3", "40"}, "3^40 is 12157665459056928801\n12157665459056928801 log 3 is 40\n"},
		{{"10", "19"},
		 "10^19 is 10000000000000000000\n10000000000000000000 log 10 is 19\n"},
		{{"7", "0"}, "7^0 is 1\n1 log 7 is 0\n"},
		{{"-1", "1"},
		 "18446744073709551615^1 is 18446744073709551615\n"
		 "18446744073709551615 log 18446744073709551615 is 1\n"},
		{{"-1", "0"}, "18446744073709551615^0 is 1\n1 log 18446744073709551615 is 0\n"},
	};
	for (const Case &c : cases) {
		Outcome o = powlog_with(c.args);
		EXPECT_EQ(o.out, announcement + c.expected) << c.args[0] << " " << c.args[1];
		EXPECT_EQ(o.err, "");
		EXPECT_EQ(o.status, 0);
	}
}

TEST(Powlog, FewerThanTwoArgumentsPrintUsageWithStatusZero)
{
	for (const auto &args : {std::vector<std::string>{}, {"2"}, {"abc"}}) {
		Outcome o = powlog_with(args);
		EXPECT_EQ(o.out, usage);
		EXPECT_EQ(o.err, "");
		EXPECT_EQ(o.status, 0);
	}
}

TEST(Powlog, ArgumentsAreReadAsAtoiReadsThem)
{
	const std::string base2exp5 = announcement + "2^5 is 32\n32 log 2 is 5\n";
	const std::vector<std::string> forms[] = {
		{"2", "5", "x", "y"}, {"  2", "5"}, {"\t\n2", "5"}, {"+2", "5"},
		{"02", "5"},          {"2abc", "5"}, {"2", "5.9"},  {"0002", "+05x"},
	};
	for (const auto &args : forms) {
		Outcome o = powlog_with(args);
		EXPECT_EQ(o.out, base2exp5) << "[" << args[0] << "] [" << args[1] << "]";
		EXPECT_EQ(o.status, 0);
	}
	// A leading zero is decimal, not octal.
	EXPECT_EQ(powlog_with({"2", "010"}).out, announcement + "2^10 is 1024\n1024 log 2 is 10\n");
}

TEST(Powlog, CasesWithNoAnswerFailBeforeWritingAnything)
{
	const Case cases[] = {
		{{"0", "5"}, "base 0 has no logarithm"},
		{{"1", "5"}, "base 1 has no logarithm"},
		{{"abc", "3"}, "base is not a number"},
		{{"", "3"}, "base is not a number"},
		{{"x2", "3"}, "base is not a number"},
		{{" -", "3"}, "base is not a number"},
		{{"2", "-1"}, "exponent -1 is negative"},
		{{"3", "-2147483648"}, "exponent -2147483648 is negative"},
		{{"2", "64"}, "2^64 does not fit in 64 bits"},
		{{"2", "2147483647"}, "2^2147483647 does not fit in 64 bits"},
		{{"3", "41"}, "3^41 does not fit in 64 bits"},
		{{"10", "20"}, "10^20 does not fit in 64 bits"},
		{{"-1", "2"}, "18446744073709551615^2 does not fit in 64 bits"},
		{{"99999999999", "1"}, "number out of range: 99999999999"},
		{{"2", "2147483648"}, "number out of range: 2147483648"},
		{{"-2147483649", "1"}, "number out of range: -2147483649"},
		// Only the sign and the digits read, cut short: never a raw byte, never two lines.
		{{"2", "99999999999999999999999x"}, "number out of range: 99999999999999999999..."},
		{{"99999999999\nsecond line", "1"}, "number out of range: 99999999999"},
		{{"2", "-0099999999999\x1b[2J"}, "number out of range: -99999999999"},
		{{"+" + std::string(10000, '7'), "1"}, "number out of range: +77777777777777777777..."},
	};
	for (const Case &c : cases) {
		Outcome o = powlog_with(c.args);
		EXPECT_EQ(o.err, "powlog: " + c.expected + "\n");
		EXPECT_EQ(o.out, "");
		EXPECT_EQ(o.status, 1);
	}
	Outcome renamed = run({"/bin/bash", "-c", shell_exec("renamed") + "\"$0\" 0 1", powlog});
	EXPECT_EQ(renamed.err, "powlog: base 0 has no logarithm\n");
}

TEST(Powlog, OutputThatCannotBeWrittenIsAnError)
{
	const std::vector<std::string> runs[] = {{"2", "10"}, {}};
	const std::pair<Redirect, std::string> sinks[] = {
		{{1, "/dev/full", O_WRONLY}, "No space left on device"},
		{{1, ""}, "Bad file descriptor"},
	};
	for (const auto &args : runs)
		for (const auto &[redirect, reason] : sinks) {
			Outcome o = powlog_with(args, {redirect});
			EXPECT_EQ(o.err, "powlog: write error: " + reason + "\n");
			EXPECT_EQ(o.status, 1);
		}
}

// The kernel's division step against the hardware's, at the numerators where a reciprocal is
// most likely to be off by one.
TEST(PowlogDivision, AgreesWithHardwareDivision)
{
	std::vector<uint64_t> bases;
	for (uint64_t b = 3; b <= 65536; b++)
		bases.push_back(b);
	for (uint64_t b : std::initializer_list<uint64_t>{0xffffffff, 0x100000001, 0x7fffffffffffffff,
			   0x8000000000000000, 0x8000000000000001, UINT64_MAX})
		bases.push_back(b);
	for (int k = 17; k < 63; k++)
		bases.push_back(uint64_t{1} << k);
	int failures = 0, seen[3] = {};
	for (uint64_t b : bases) {
		const divisor d = divisor_for(b);
		seen[static_cast<int>(d.form)]++;
		std::vector<uint64_t> numerators = {0, b - 1, b, UINT64_MAX};
		for (uint64_t p = b; p <= UINT64_MAX / b; p *= b) {
			numerators.push_back(p * b - 1);
			numerators.push_back(p * b);
		}
		for (uint64_t n : numerators)
			if (divide(n, d) != n / b && failures++ < 10)
				ADD_FAILURE() << n << " / " << b << ": got " << divide(n, d);
	}
	EXPECT_EQ(failures, 0);
	for (int form : seen)
		EXPECT_GT(form, 0) << "a form of the division never ran";
}

// An independent model: strtol for the reading, 128-bit arithmetic for the power.
__extension__ typedef unsigned __int128 wide;

Outcome model(const std::string &base_arg, const std::string &exp_arg)
{
	Outcome failed{1, "", "", false};
	long values[2] = {};
	const std::string *args[2] = {&base_arg, &exp_arg};
	for (int i = 0; i < 2; i++) {
		errno = 0;
		values[i] = strtol(args[i]->c_str(), nullptr, 10);
		if (errno == ERANGE || values[i] < INT32_MIN || values[i] > INT32_MAX)
			return failed;
	}
	const wide base = static_cast<uint64_t>(values[0]);
	if (base < 2 || values[1] < 0)
		return failed;
	wide power = 1;
	for (long i = 0; i < values[1]; i++) {
		power *= base;
		if (power > UINT64_MAX)
			return failed;
	}
	int log = 0;
	for (wide q = power; q >= base; q /= base)
		log++;
	auto text = [](wide v) { return std::to_string(static_cast<uint64_t>(v)); };
	return {0,
		announcement + text(base) + "^" + std::to_string(values[1]) + " is " +
			text(power) + "\n" + text(power) + " log " + text(base) + " is " +
			std::to_string(log) + "\n",
		"", false};
}

std::string random_argument(std::mt19937 &gen)
{
	auto pick = [&gen](int n) { return static_cast<int>(gen() % static_cast<unsigned>(n)); };
	static const char *const fixed[] = {"2",  "3",   "10", "-1", "0",  "1", "-2147483648",
					    "2147483647", "2147483648", "-2147483649",
					    "99999999999", "4294967296", "63", "64", "65536"};
	static const char junk[] = " \t+-0123456789xa.";
	switch (pick(4)) {
	case 0:
		return fixed[pick(std::size(fixed))];
	case 1:
		return std::to_string(pick(70) - 3);
	case 2:
		return std::to_string(static_cast<int32_t>(gen()));
	default: {
		std::string s;
		for (int n = pick(8); n > 0; n--)
			s += junk[pick(sizeof junk - 1)];
		return s;
	}
	}
}

TEST(Powlog, AgreesWithAnIndependentModel)
{
	std::mt19937 gen(20261208);
	for (int i = 0; i < 300; i++) {
		// Bases mostly small, so that many pairs have a power that fits.
		std::string b = i % 2 != 0 ? std::to_string(2 + gen() % 20) : random_argument(gen);
		std::string e = random_argument(gen);
		Outcome want = model(b, e);
		Outcome got = powlog_with({b, e});
		SCOPED_TRACE("[" + b + "] [" + e + "]");
		EXPECT_EQ(got.status, want.status);
		EXPECT_EQ(got.out, want.out);
		if (want.status == 0)
			EXPECT_EQ(got.err, "");
		else
			EXPECT_TRUE(std::regex_match(got.err, std::regex("powlog: [^\n]+\n"))) << got.err;
	}
}

#ifndef CONBITS_SANITIZED
TEST(Powlog, DependsOnLibcAlone)
{
	EXPECT_EQ(needed_libraries(powlog), std::vector<std::string>{"libc.so.6"});
}

unsigned long long instructions(const std::vector<std::string> &args)
{
	std::string counts = temp_file("", "callgrind.out");
	std::vector<std::string> argv = {"/usr/bin/valgrind", "--tool=callgrind",
					 "--callgrind-out-file=" + counts, powlog};
	argv.insert(argv.end(), args.begin(), args.end());
	Outcome o = run(argv);
	EXPECT_EQ(o.status, 0) << o.err;
	std::smatch m;
	std::string text = read_file(counts);
	if (!std::regex_search(text, m, std::regex("\n(summary|totals): ([0-9]+)")))
		ADD_FAILURE() << "no total in callgrind's output";
	return m.empty() ? 0 : std::stoull(m[2]);
}

// Counts, not times: every one of the 80000 repetitions of each kernel really runs.
TEST(Powlog, EveryRepetitionRuns)
{
	if (emulated)
		GTEST_SKIP() << "valgrind would count the emulator's instructions, not powlog's";
	if (!have_program("valgrind"))
		GTEST_SKIP() << "valgrind is not installed";
	const unsigned long long usage_run = instructions({});
	const unsigned long long none = instructions({"2", "0"});
	const unsigned long long most = instructions({"2", "63"});
	EXPECT_GE(most, none + 80000ULL * 63);
	EXPECT_GE(none, usage_run + 80000ULL * 4);
	// At least three instructions a step (multiply, compare, count) for the divisors that
	// take a reciprocal, with and without its 65th bit.
	for (const auto &[base, exp] : {std::pair<const char *, int>{"3", 40}, {"7", 22}}) {
		const unsigned long long base_none = instructions({base, "0"});
		EXPECT_GE(instructions({base, std::to_string(exp)}),
			  base_none + 80000ULL * static_cast<unsigned>(exp) * 3)
			<< "base " << base;
	}
}
#endif

} // namespace
