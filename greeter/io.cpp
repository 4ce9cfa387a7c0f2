#include "io.h"

#include <stdio.h>

static constexpr char int_format[] = "%i";
static constexpr char str_format[] = "%s";

int print_string(const char *text)
{
	return printf(str_format, text);
}

int print_nl(void)
{
	return putchar('\n');
}

int print_int(int32_t value)
{
	return printf(int_format, value);
}

int read_int(int32_t *cell)
{
	return scanf(int_format, cell);
}
