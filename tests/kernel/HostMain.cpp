// The tool's process in the kernel test guest; its last argument is the unit's
// program, which it starts itself. With --desktop UID:GID it runs the desktop
// scenarios as that user and group instead of the others as root.

#include <cstdio>
#include <cstring>

#include "DesktopHost.h"
#include "KernelHost.h"

int main(int argc, char** argv) {
    unsigned uid = 0;
    unsigned gid = 0;
    if (argc == 4 && std::strcmp(argv[1], "--desktop") == 0 &&
        std::sscanf(argv[2], "%u:%u", &uid, &gid) == 2) {
        DesktopHost host(argv[3], uid, gid);
        return host.run() ? 0 : 1;
    }
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s [--desktop UID:GID] UNIT-PROGRAM\n", argv[0]);
        return 2;
    }
    KernelHost host(argv[1]);
    return host.run() ? 0 : 1;
}
