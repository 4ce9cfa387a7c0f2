/* SPDX-License-Identifier: ISC */
/* The reciprocal of a 64-bit divisor, as libdivide works it out. */
#ifndef CONBITS_RECIPROCAL_H
#define CONBITS_RECIPROCAL_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* n / d is (mulhi(magic, n) >> shift), with one more bit of the reciprocal added back where
 * add is set; a magic of 0 stands for a power of two, where n / d is n >> shift. */
struct reciprocal {
	uint64_t magic;
	uint8_t shift;
	uint8_t add;
};

/* d must not be 0. */
struct reciprocal reciprocal_of(uint64_t d);

#ifdef __cplusplus
}
#endif

#endif
