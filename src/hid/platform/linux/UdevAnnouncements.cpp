#include "hid/platform/linux/UdevAnnouncements.h"

void UdevAnnouncements::restart(std::set<std::string> known) {
    std::lock_guard lock(mutex_);
    done_ = std::move(known);
}

void UdevAnnouncements::heard(const std::string& syspath, const std::string& action) {
    std::lock_guard lock(mutex_);
    if (action == "remove") {
        done_.erase(syspath);
    } else {
        done_.insert(syspath);
    }
}

bool UdevAnnouncements::done(const std::string& syspath) const {
    std::lock_guard lock(mutex_);
    return done_.count(syspath) != 0;
}
