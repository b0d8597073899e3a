#include "UnprivilegedThread.h"

UnprivilegedThread::UnprivilegedThread() = default;

UnprivilegedThread::~UnprivilegedThread() = default;
