// The tool's process in the kernel test guest; its argument is the unit's
// program, which it starts itself.

#include <cstdio>

#include "KernelHost.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s UNIT-PROGRAM\n", argv[0]);
        return 2;
    }
    KernelHost host(argv[1]);
    return host.run() ? 0 : 1;
}
