// SPDX-License-Identifier: ISC
// Division by a divisor fixed for the whole run, as a multiplication by its reciprocal, the way
// a compiler divides by a constant. libdivide works out the reciprocal; the step takes one of
// three forms, and which one is settled once, so that a loop can be built for each.
#ifndef CONBITS_DIVIDE_H
#define CONBITS_DIVIDE_H

#include <stdint.h>

#include "reciprocal.h"

enum class division_form : uint8_t { shift, multiply, multiply_add };

struct divisor {
	reciprocal r;
	division_form form;
};

// d must not be 0.
static inline divisor divisor_for(uint64_t d)
{
	divisor out{reciprocal_of(d), division_form::multiply};
	if (out.r.magic == 0)
		out.form = division_form::shift; // a power of two
	else if (out.r.add != 0)
		out.form = division_form::multiply_add; // the reciprocal needs 65 bits, as for 7
	return out;
}

// The high 64 bits of the 128-bit product: one instruction (mul, umulh).
static inline uint64_t mulhi(uint64_t a, uint64_t b)
{
	__extension__ using wide = unsigned __int128;
	return static_cast<uint64_t>((static_cast<wide>(a) * b) >> 64);
}

template <division_form form>
[[gnu::always_inline]] static inline uint64_t divide(uint64_t n, const reciprocal &r)
{
	if constexpr (form == division_form::shift) {
		return n >> r.shift;
	} else {
		const uint64_t high = mulhi(r.magic, n);
		if constexpr (form == division_form::multiply)
			return high >> r.shift;
		else // the 65th bit of the reciprocal, added back without overflow
			return (((n - high) >> 1) + high) >> r.shift;
	}
}

#endif
