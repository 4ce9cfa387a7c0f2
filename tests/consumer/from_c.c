#include <conbits/io.h>

int main(void)
{
	int32_t n = 0;
	while (read_int(&n) == 1) {
		print_int(n * 2);
		print_nl();
	}
	return 0;
}
