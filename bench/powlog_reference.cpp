// SPDX-License-Identifier: ISC
// powlog as one would first write it, for comparison only: no specialised division.
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>

template <typename T>
static inline void opaque(T &v)
{
	asm volatile("" : "+r"(v));
}

int main(int argc, char *argv[])
{
	if (argc <= 2) {
		puts("Usage: ./powlog <base> <exp>");
		return 0;
	}
	const auto base = static_cast<uint64_t>(static_cast<int64_t>(atoi(argv[1])));
	const auto exp = static_cast<uint64_t>(static_cast<int64_t>(atoi(argv[2])));
	puts("---> Optimization is set on.");
	uint64_t power = 1;
	for (int i = 0; i < 80000; i++) {
		uint64_t e = exp;
		opaque(e);
		power = 1;
		if (base == 2)
			power = uint64_t{1} << e;
		else
			for (uint64_t k = 0; k < e; k++)
				power *= base;
		opaque(power);
	}
	printf("%llu^%llu is %llu\n", static_cast<unsigned long long>(base),
	       static_cast<unsigned long long>(exp), static_cast<unsigned long long>(power));
	int log = 0;
	for (int i = 0; i < 80000; i++) {
		uint64_t quotient = power;
		opaque(quotient);
		log = 0;
		while (quotient >= base) {
			quotient /= base;
			log++;
		}
		opaque(log);
	}
	printf("%llu log %llu is %i\n", static_cast<unsigned long long>(power),
	       static_cast<unsigned long long>(base), log);
	return 0;
}
