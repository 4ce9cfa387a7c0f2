/* SPDX-License-Identifier: ISC */
#include <conbits/io.h>

int main(void)
{
	int32_t n = 0;
	int result;
	while ((result = read_int(&n)) == 1) { /* %i: 0x1A is 26, 010 is 8 */
		print_int(n);
		print_nl();
	}
	return result == EOF ? 0 : 1; /* 1: not a number, or out of range */
}
