// SPDX-License-Identifier: ISC
// powlog's division step against the hardware's, for divisors of each of the three forms, at
// the numerators where a reciprocal is most likely to be off by one.
#include <cinttypes>
#include <cstdio>
#include <vector>

#include "divide.h"

static uint64_t divide(uint64_t n, const divisor &d)
{
	using enum division_form;
	return d.form == shift ? divide<shift>(n, d.r)
	       : d.form == multiply ? divide<multiply>(n, d.r) : divide<multiply_add>(n, d.r);
}

int main()
{
	std::vector<uint64_t> bases = {0xffffffff, 0x100000001, 0x7fffffffffffffff, 0x8000000000000000,
				       0x8000000000000001, UINT64_MAX};
	for (uint64_t b = 3; b <= 65536; b++)
		bases.push_back(b);
	for (int k = 17; k < 63; k++)
		bases.push_back(uint64_t{1} << k);
	int failures = 0, seen[3] = {};
	for (uint64_t b : bases) {
		const divisor d = divisor_for(b);
		seen[static_cast<int>(d.form)]++;
		std::vector<uint64_t> numerators = {0, b - 1, b, UINT64_MAX};
		for (uint64_t p = b; p <= UINT64_MAX / b; p *= b)
			numerators.insert(numerators.end(), {p * b - 1, p * b});
		for (uint64_t n : numerators) {
			if (divide(n, d) != n / b && failures++ < 10)
				printf("%" PRIu64 " / %" PRIu64 ": got %" PRIu64 "\n", n, b, divide(n, d));
			// The 32-bit targets' high multiply, here against the 128-bit type where there is one.
			if (mulhi_parts(n, b) != mulhi(n, b) && failures++ < 10)
				printf("mulhi %" PRIu64 " %" PRIu64 ": got %" PRIu64 "\n", n, b, mulhi_parts(n, b));
		}
	}
	printf("%zu divisors: %d shifts, %d multiplies, %d with an add; %d failures\n", bases.size(),
	       seen[0], seen[1], seen[2], failures);
	return failures == 0 && seen[0] > 0 && seen[1] > 0 && seen[2] > 0 ? 0 : 1;
}
