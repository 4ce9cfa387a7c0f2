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

// The high 64 bits of the 128-bit product, from four 32-bit products, for a compiler with no
// 128-bit type (32-bit targets).
static inline uint64_t mulhi_parts(uint64_t a, uint64_t b)
{
	const uint64_t a_lo = a & 0xffffffff, a_hi = a >> 32, b_lo = b & 0xffffffff, b_hi = b >> 32;
	const uint64_t lo_lo = a_lo * b_lo, hi_lo = a_hi * b_lo, lo_hi = a_lo * b_hi;
	const uint64_t middle = (lo_lo >> 32) + (hi_lo & 0xffffffff) + lo_hi; // cannot overflow
	return a_hi * b_hi + (hi_lo >> 32) + (middle >> 32);
}

// The same, in one instruction (mul, umulh) where the compiler has the type.
static inline uint64_t mulhi(uint64_t a, uint64_t b)
{
#ifdef __SIZEOF_INT128__
	__extension__ using wide = unsigned __int128;
	return static_cast<uint64_t>((static_cast<wide>(a) * b) >> 64);
#else
	return mulhi_parts(a, b);
#endif
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
