// SPDX-License-Identifier: ISC
// Division by a divisor fixed for the whole run, as a multiplication by its reciprocal, the way
// a compiler divides by a constant. libdivide works out the reciprocal; the step takes one of
// three forms, and which one is settled once, so that a loop can be built for each.
#pragma once

#include <stdint.h>

#include <libdivide.h>

enum class division_form { shift, multiply, multiply_add };

struct divisor {
	libdivide::libdivide_u64_t reciprocal;
	division_form form;
};

// d must not be 0.
static inline divisor divisor_for(uint64_t d)
{
	divisor r{libdivide::libdivide_u64_gen(d), division_form::multiply};
	if (r.reciprocal.magic == 0)
		r.form = division_form::shift; // a power of two
	else if ((r.reciprocal.more & libdivide::LIBDIVIDE_ADD_MARKER) != 0)
		r.form = division_form::multiply_add; // the reciprocal needs 65 bits, as for 7
	return r;
}

template <division_form form>
[[gnu::always_inline]] static inline uint64_t divide(uint64_t n, const libdivide::libdivide_u64_t &r)
{
	const unsigned shift = r.more & libdivide::LIBDIVIDE_64_SHIFT_MASK;
	if constexpr (form == division_form::shift) {
		return n >> shift;
	} else {
		const uint64_t high = libdivide::libdivide_mullhi_u64(r.magic, n);
		if constexpr (form == division_form::multiply)
			return high >> shift;
		else // the 65th bit of the reciprocal, added back without overflow
			return (((n - high) >> 1) + high) >> shift;
	}
}

// n / d, for a form known only at run time.
static inline uint64_t divide(uint64_t n, const divisor &d)
{
	switch (d.form) {
	case division_form::shift:
		return divide<division_form::shift>(n, d.reciprocal);
	case division_form::multiply:
		return divide<division_form::multiply>(n, d.reciprocal);
	case division_form::multiply_add:
		break;
	}
	return divide<division_form::multiply_add>(n, d.reciprocal);
}
