// SPDX-License-Identifier: ISC
#include <conbits/io.h>

int main()
{
	print_string("from C++: ");
	print_int(-7);
	print_nl();
	return 0;
}
