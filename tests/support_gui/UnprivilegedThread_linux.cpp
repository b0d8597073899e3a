#include "UnprivilegedThread.h"

#include <gtest/gtest.h>

#include <sys/syscall.h>
#include <unistd.h>

namespace {

constexpr uid_t Nobody = 65534;

}  // namespace

// The system call itself changes the calling thread alone (the C library's
// setresuid would change every thread). The saved user stays root, which lets
// the thread become root again.
UnprivilegedThread::UnprivilegedThread()
    : switched_(geteuid() == 0 && syscall(SYS_setresuid, Nobody, Nobody, 0) == 0) {}

UnprivilegedThread::~UnprivilegedThread() {
    if (switched_) {
        EXPECT_EQ(syscall(SYS_setresuid, 0, 0, 0), 0) << "the thread stays unprivileged";
    }
}
