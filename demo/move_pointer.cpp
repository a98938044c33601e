// Puts the pointer at a point of the screen, as a user's hand on the mouse would:
//   move_pointer.exe X Y
#include <windows.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char **argv)
{
    if (argc != 3) {
        fprintf(stderr, "usage: move_pointer.exe X Y\n");
        return 2;
    }
    if (!SetCursorPos(atoi(argv[1]), atoi(argv[2]))) {
        fprintf(stderr, "move_pointer.exe: cannot move the pointer (error %lu)\n", GetLastError());
        return 1;
    }
    return 0;
}
