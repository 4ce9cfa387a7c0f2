/* SPDX-License-Identifier: ISC */
/* Built as C: libdivide's header is read for its C part alone, as its C++ wrapper does not
 * build with every compiler (clang 19 rejects libdivide 3.0's). */
#include "reciprocal.h"

#include <libdivide.h>

struct reciprocal reciprocal_of(uint64_t d)
{
	const struct libdivide_u64_t r = libdivide_u64_gen(d);
	const struct reciprocal out = {r.magic, (uint8_t)(r.more & LIBDIVIDE_64_SHIFT_MASK),
				       (r.more & LIBDIVIDE_ADD_MARKER) != 0};
	return out;
}
