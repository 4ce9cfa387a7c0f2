// SPDX-License-Identifier: ISC
// powlog: a power, computed by a single shift when the base is 2, and its integer logarithm
// to the same base, each computed 80000 times over.

#include <err.h>
#include <errno.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "divide.h"

static constexpr char usage_text[] = "Usage: ./powlog <base> <exp>";
static constexpr char announcement[] = "---> Optimization is set on.";
static constexpr char power_format[] = "%llu^%llu is %llu\n";
static constexpr char log_format[] = "%llu log %llu is %i\n";

static char progname[] = "powlog";

static constexpr int repetitions = 80000;

// An empty asm that claims to read and change v: the optimiser can no longer see that a
// repetition computes what the one before it did, so it cannot hoist or merge the loops.
template <typename T>
static inline void opaque(T &v)
{
	asm volatile("" : "+r"(v));
}

// The number that strtoll read from s up to end, for a message: its sign and digits, never any
// other byte, so that the message stays one line whatever the argument holds; cut short when
// it is long.
static const char *number_text(const char *s, const char *end)
{
	static constexpr size_t most_digits = 20;
	static char text[1 + most_digits + sizeof "..."];
	char *t = text;
	s += strspn(s, " \t\n\v\f\r");
	if (*s == '-' || *s == '+')
		*t++ = *s++;
	while (*s == '0' && end - s > 1) // leading zeros say nothing; the last digit stays
		s++;
	const auto digits = static_cast<size_t>(end - s);
	const size_t shown = digits < most_digits ? digits : most_digits;
	memcpy(t, s, shown);
	const char *const rest = digits > most_digits ? "..." : "";
	memcpy(t + shown, rest, strlen(rest) + 1);
	return text;
}

// Reads an argument as atoi does (leading white space, a sign, decimal digits up to the first
// other character, 0 when there are none), but refuses one outside int32_t, where atoi's result
// is undefined. *has_digits, when given, tells whether there were any.
static int64_t number_arg(const char *arg, bool *has_digits)
{
	char *end = nullptr;
	errno = 0;
	const long long v = strtoll(arg, &end, 10);
	if (errno == ERANGE || v < INT32_MIN || v > INT32_MAX)
		errx(1, "number out of range: %s", number_text(arg, end));
	if (has_digits != nullptr)
		*has_digits = end != arg;
	return v;
}

// Finds the cases with no answer before anything is written.
static void check(uint64_t base, int64_t exp)
{
	if (base < 2)
		errx(1, "base %llu has no logarithm", static_cast<unsigned long long>(base));
	if (exp < 0)
		errx(1, "exponent %lld is negative", static_cast<long long>(exp));
	uint64_t power = 1;
	for (int64_t i = 0; i < exp; i++)
		if (__builtin_mul_overflow(power, base, &power))
			errx(1, "%llu^%lld does not fit in 64 bits",
			     static_cast<unsigned long long>(base), static_cast<long long>(exp));
}

// base^exp by squaring; check() has made sure it fits.
static inline uint64_t raise(uint64_t base, uint64_t exp)
{
	uint64_t power = 1;
	while (exp != 0) {
		if ((exp & 1) != 0)
			power *= base;
		exp >>= 1;
		if (exp != 0)
			base *= base;
	}
	return power;
}

static uint64_t power_kernel(uint64_t base, uint64_t exp)
{
	uint64_t power = 1;
	for (int i = 0; i < repetitions; i++) {
		uint64_t e = exp;
		opaque(e);
		power = base == 2 ? uint64_t{1} << e : raise(base, e);
		opaque(power);
	}
	return power;
}

// One run of the logarithm kernel. The barrier on the quotient keeps each step a step: the
// loop may not be folded into a count of leading zeros.
template <typename Step>
[[gnu::always_inline]] static inline int log_steps(uint64_t power, uint64_t base, Step step)
{
	int log = 0;
	uint64_t quotient = power;
	while (quotient >= base) {
		quotient = step(quotient);
		opaque(quotient);
		log++;
	}
	return log;
}

template <typename Step>
static int log_repeated(uint64_t power, uint64_t base, Step step)
{
	int log = 0;
	for (int i = 0; i < repetitions; i++) {
		uint64_t p = power;
		opaque(p);
		log = log_steps(p, base, step);
		opaque(log);
	}
	return log;
}

// Each form of the division gets a loop of its own: the form is chosen once, not per step.
static int log_kernel(uint64_t power, uint64_t base)
{
	if (base == 2) // a constant divisor: the division is a shift by one
		return log_repeated(power, base, [](uint64_t q) { return q / 2; });
	const divisor d = divisor_for(base);
	const reciprocal r = d.r;
	switch (d.form) {
	case division_form::shift:
		return log_repeated(power, base,
				    [r](uint64_t q) { return divide<division_form::shift>(q, r); });
	case division_form::multiply:
		return log_repeated(power, base,
				    [r](uint64_t q) { return divide<division_form::multiply>(q, r); });
	case division_form::multiply_add:
		break;
	}
	return log_repeated(power, base,
			    [r](uint64_t q) { return divide<division_form::multiply_add>(q, r); });
}

// Output that could not be written is a failure, not a success.
static int finish()
{
	if (fflush(stdout) != 0 || ferror(stdout) != 0)
		err(1, "write error");
	return 0;
}

int main(int argc, char *argv[])
{
	// Messages begin with the program's own name, whatever name it was started under.
	program_invocation_short_name = progname;
	if (argc <= 2) {
		puts(usage_text);
		return finish();
	}
	bool base_has_digits = false;
	auto base = static_cast<uint64_t>(number_arg(argv[1], &base_has_digits));
	if (!base_has_digits)
		errx(1, "base is not a number");
	int64_t exp = number_arg(argv[2], nullptr);
	check(base, exp);

	puts(announcement);
	uint64_t power = power_kernel(base, static_cast<uint64_t>(exp));
	printf(power_format, static_cast<unsigned long long>(base),
	       static_cast<unsigned long long>(exp), static_cast<unsigned long long>(power));
	int log = log_kernel(power, base);
	printf(log_format, static_cast<unsigned long long>(power),
	       static_cast<unsigned long long>(base), log);
	return finish();
}
