// Peekster: point at a window, run it, and read which executable owns that window.
#include "pointer_report.h"

int main(void)
{
    print_pointer_report();
    return 0;
}
