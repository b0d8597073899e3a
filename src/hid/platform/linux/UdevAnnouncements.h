#pragma once

#include <mutex>
#include <set>
#include <string>

// The hidraw nodes udev is done with, as its events tell. udev sends a node's
// event only once its rules and the programs they run have finished (the
// seat's access list is set by one of them), whereas its database marks the
// node as known before those programs run. Written by the watcher's thread,
// read by the listing.
class UdevAnnouncements {
public:
    // From now on the nodes udev is done with are `known` and those whose
    // events follow; what was heard before counts no more.
    void restart(std::set<std::string> known);
    // udev's event `action` ("add", "change", "remove" ...) for the node at `syspath`.
    void heard(const std::string& syspath, const std::string& action);
    bool done(const std::string& syspath) const;

private:
    mutable std::mutex mutex_;
    std::set<std::string> done_;
};
