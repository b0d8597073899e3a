#pragma once

// As root, runs the calling thread as the unprivileged user "nobody" while it
// lives, so that file and folder permissions apply to it as to any user;
// other threads keep their user. Does nothing for other users and on systems
// without per-thread users.
class UnprivilegedThread {
public:
    UnprivilegedThread();
    ~UnprivilegedThread();
    UnprivilegedThread(const UnprivilegedThread&) = delete;
    UnprivilegedThread& operator=(const UnprivilegedThread&) = delete;

private:
    bool switched_ = false;
};
