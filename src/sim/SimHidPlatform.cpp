#include "sim/SimHidPlatform.h"

#include "sim/PreciseWaits.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <utility>

namespace {

thread_local std::uint32_t threadLastError = 0;

void setError(std::uint32_t code) {
    threadLastError = code;
}

// Before a thread first waits for a delayed report.
void waitPrecisely() {
    thread_local bool precise = false;
    if (!precise) {
        preciseTimedWaits();
        precise = true;
    }
}

constexpr std::uint32_t defaultInputBuffers = 32;
constexpr std::uint32_t minInputBuffers = 2;
constexpr std::uint32_t maxInputBuffers = 512;
constexpr std::size_t maxTranscriptLines = 1'000'000;

// Copies UTF-16 units into a byte buffer, zero-terminated when room is left.
void copyUnits(const char16_t* units, std::size_t count, void* buffer, std::uint32_t bufferBytes) {
    const std::size_t room = bufferBytes / sizeof(char16_t);
    const std::size_t n = std::min(count, room);
    if (n > 0) {
        std::memcpy(buffer, units, n * sizeof(char16_t));
    }
    if (n < room) {
        const char16_t zero = 0;
        std::memcpy(static_cast<char*>(buffer) + n * sizeof(char16_t), &zero, sizeof zero);
    }
}

bool canRead(HidAccess access) {
    return access == HidAccess::ReadWrite || access == HidAccess::OverlappedRead;
}

}  // namespace

struct SimHidPlatform::Device {
    SimDeviceDescription desc;
    std::uint32_t id = 0;
    bool plugged = true;
    int failWrites = 0;
    std::uint32_t failCode = 0;
    HidConfiguration configuration;
    std::map<std::uint8_t, std::vector<std::uint8_t>> features;
};

struct SimHidPlatform::Channel {
    struct Queued {
        Clock::time_point due;
        std::vector<std::uint8_t> bytes;
    };

    std::shared_ptr<Device> device;
    HidAccess access = HidAccess::QueryOnly;
    bool closed = false;
    std::condition_variable changed;
    std::deque<Queued> queue;  // ordered by due time
    std::uint32_t capacity = defaultInputBuffers;
    // The asynchronous transfer of this channel.
    bool outstanding = false;
    bool completed = false;
    std::uint32_t result = 0;
    void* buffer = nullptr;
    std::uint32_t toRead = 0;
    bool interrupted = false;

    // Feature reports need a report ID byte and a device that has them.
    bool hasFeatureReports(std::uint32_t size) const {
        if (size == 0 || device->desc.caps.FeatureReportByteLength == 0) {
            setError(SimErrorInvalidFunction);
            return false;
        }
        return true;
    }

    void complete(std::uint32_t bytes) {
        outstanding = false;
        completed = true;
        result = bytes;
    }
};

std::string SimTranscriptLine::text() const {
    return traceLine(std::chrono::duration_cast<std::chrono::milliseconds>(at).count(), direction,
                     bytes);
}

SimHidPlatform::SimHidPlatform() = default;

SimHidPlatform::~SimHidPlatform() {
    {
        std::lock_guard lock(schedulerMutex_);
        stopScheduler_ = true;
    }
    schedulerWake_.notify_all();
    if (scheduler_.joinable()) {
        scheduler_.join();
    }
}

// --- what tests do -----------------------------------------------------------

void SimHidPlatform::setBound(bool bound) {
    std::lock_guard lock(mutex_);
    bound_ = bound;
}

void SimHidPlatform::setHidVersion(std::string version) {
    std::lock_guard lock(mutex_);
    hidVersion_ = std::move(version);
}

std::uint32_t SimHidPlatform::plug(SimDeviceDescription desc) {
    std::uint32_t id;
    {
        std::lock_guard lock(mutex_);
        auto dev = std::make_shared<Device>();
        dev->desc = std::move(desc);
        dev->desc.textProperties.try_emplace(HidPropClass, "HIDClass");
        dev->id = id = nextDeviceId_++;
        devices_.push_back(std::move(dev));
    }
    raiseChange();
    return id;
}

bool SimHidPlatform::unplug(const std::string& path) {
    {
        std::lock_guard lock(mutex_);
        auto it = std::find_if(devices_.begin(), devices_.end(),
                               [&](const auto& dev) { return dev->desc.path == path; });
        if (it == devices_.end()) {
            return false;
        }
        (*it)->plugged = false;
        for (auto& [handle, ch] : channels_) {
            if (ch->device == *it) {
                // An outstanding read ends without data, as on a real removal.
                if (ch->outstanding) {
                    ch->complete(0);
                }
                ch->queue.clear();
                ch->changed.notify_all();
            }
        }
        devices_.erase(it);
    }
    raiseChange();
    return true;
}

bool SimHidPlatform::replugAfter(const std::string& path, std::chrono::milliseconds delay) {
    auto dev = device(path);
    if (!dev) {
        return false;
    }
    SimDeviceDescription desc = dev->desc;
    unplug(path);
    schedulePlug(std::move(desc), delay);
    return true;
}

void SimHidPlatform::schedulePlug(SimDeviceDescription desc, std::chrono::milliseconds delay) {
    schedule(Clock::now() + delay, [this, desc = std::move(desc)] { plug(desc); });
}

void SimHidPlatform::scheduleUnplug(const std::string& path, std::chrono::milliseconds delay) {
    schedule(Clock::now() + delay, [this, path] { unplug(path); });
}

void SimHidPlatform::notifyChange() {
    raiseChange();
}

void SimHidPlatform::failWrites(const std::string& path, std::uint32_t code, int count) {
    std::lock_guard lock(mutex_);
    for (auto& dev : devices_) {
        if (dev->desc.path == path) {
            dev->failWrites = count;
            dev->failCode = code;
        }
    }
}

void SimHidPlatform::setErrorMessage(std::uint32_t code, std::string text) {
    std::lock_guard lock(mutex_);
    errorMessages_[code] = std::move(text);
}

bool SimHidPlatform::sendInput(const std::string& path, std::vector<std::uint8_t> report,
                               std::chrono::milliseconds delay) {
    std::lock_guard lock(mutex_);
    for (auto& dev : devices_) {
        if (dev->desc.path == path) {
            queueInput(*dev, report, Clock::now() + delay);
            return true;
        }
    }
    return false;
}

bool SimHidPlatform::isPlugged(const std::string& path) const {
    return device(path) != nullptr;
}

int SimHidPlatform::openChannels(const std::string& path) const {
    std::lock_guard lock(mutex_);
    return static_cast<int>(
        std::count_if(channels_.begin(), channels_.end(),
                      [&](const auto& entry) { return entry.second->device->desc.path == path; }));
}

std::vector<SimTranscriptLine> SimHidPlatform::transcript() const {
    std::lock_guard lock(mutex_);
    return {transcript_.begin(), transcript_.end()};
}

void SimHidPlatform::clearTranscript() {
    std::lock_guard lock(mutex_);
    transcript_.clear();
}

void SimHidPlatform::setTranscriptObserver(std::function<void(const SimTranscriptLine&)> observer) {
    std::lock_guard lock(mutex_);
    observer_ = observer ? std::make_shared<const std::function<void(const SimTranscriptLine&)>>(
                               std::move(observer))
                         : nullptr;
}

// --- internals ---------------------------------------------------------------

std::shared_ptr<SimHidPlatform::Channel> SimHidPlatform::channel(HidHandle handle) const {
    auto it = channels_.find(handle);
    if (it == channels_.end()) {
        setError(HidErrorInvalidHandle);
        return nullptr;
    }
    return it->second;
}

std::shared_ptr<SimHidPlatform::Channel> SimHidPlatform::liveChannel(HidHandle handle,
                                                                     bool needReadWrite) const {
    auto ch = channel(handle);
    if (!ch) {
        return nullptr;
    }
    if (!ch->device->plugged) {
        setError(SimErrorDeviceNotConnected);
        return nullptr;
    }
    if (needReadWrite && ch->access == HidAccess::QueryOnly) {
        setError(SimErrorAccessDenied);
        return nullptr;
    }
    return ch;
}

std::shared_ptr<SimHidPlatform::Channel> SimHidPlatform::queryChannel(HidHandle handle) const {
    std::lock_guard lock(mutex_);
    return liveChannel(handle, false);
}

std::shared_ptr<SimHidPlatform::Device> SimHidPlatform::device(const std::string& path) const {
    std::lock_guard lock(mutex_);
    for (const auto& dev : devices_) {
        if (dev->desc.path == path) {
            return dev;
        }
    }
    return nullptr;
}

void SimHidPlatform::queueInput(const Device& dev, const std::vector<std::uint8_t>& report,
                                Clock::time_point due) {
    if (!dev.plugged) {
        return;
    }
    for (auto& [handle, ch] : channels_) {
        if (ch->device.get() != &dev || !canRead(ch->access)) {
            continue;
        }
        if (ch->queue.size() >= ch->capacity) {
            ch->queue.pop_front();  // the oldest report is lost, as in a full ring buffer
        }
        auto at = std::upper_bound(
            ch->queue.begin(), ch->queue.end(), due,
            [](Clock::time_point t, const Channel::Queued& q) { return t < q.due; });
        ch->queue.insert(at, Channel::Queued{due, report});
        ch->changed.notify_all();
    }
}

bool SimHidPlatform::takeDueReport(Channel& ch, std::vector<std::uint8_t>& report) {
    if (ch.queue.empty() || ch.queue.front().due > Clock::now() + wakeLead_) {
        return false;
    }
    report = std::move(ch.queue.front().bytes);
    ch.queue.pop_front();
    return true;
}

void SimHidPlatform::waitForInput(Channel& ch, std::unique_lock<std::mutex>& lock,
                                  Clock::time_point until) {
    if (ch.queue.empty()) {
        if (until == Clock::time_point::max()) {
            ch.changed.wait(lock);
        } else {
            ch.changed.wait_until(lock, until);
        }
        return;
    }
    const Clock::time_point due = ch.queue.front().due;
    if (until < due) {
        ch.changed.wait_until(lock, until);
        return;
    }
    waitPrecisely();
    if (ch.changed.wait_until(lock, due - wakeLead_) == std::cv_status::no_timeout) {
        return;
    }
    // Woken by the clock for this report: move the lead an eighth of the way
    // towards making this wake-up land on time. Bounded, so that a stall of
    // the whole machine cannot make reports come noticeably early.
    constexpr Clock::duration maxLead = std::chrono::microseconds(100);
    const Clock::duration late = Clock::now() - due;
    wakeLead_ = std::clamp(wakeLead_ + late / 8, Clock::duration::zero(), maxLead);
}

SimTranscriptLine SimHidPlatform::record(char direction, const std::string& path,
                                         const std::vector<std::uint8_t>& bytes) {
    SimTranscriptLine line{Clock::now() - start_, direction, path, bytes};
    if (transcript_.size() >= maxTranscriptLines) {
        transcript_.pop_front();
    }
    transcript_.push_back(line);
    return line;
}

void SimHidPlatform::observe(const SimTranscriptLine& line) {
    std::shared_ptr<const std::function<void(const SimTranscriptLine&)>> observer;
    {
        std::lock_guard lock(mutex_);
        observer = observer_;
    }
    if (observer) {
        (*observer)(line);
    }
}

void SimHidPlatform::raiseChange() {
    std::lock_guard lock(watchMutex_);
    if (changed_) {
        changed_();
    }
}

void SimHidPlatform::schedule(Clock::time_point at, std::function<void()> action) {
    {
        std::lock_guard lock(schedulerMutex_);
        events_.emplace(at, std::move(action));
        if (!scheduler_.joinable()) {
            scheduler_ = std::thread([this] { runScheduler(); });
        }
    }
    schedulerWake_.notify_all();
}

void SimHidPlatform::runScheduler() {
    std::unique_lock lock(schedulerMutex_);
    while (!stopScheduler_) {
        if (events_.empty()) {
            schedulerWake_.wait(lock);
            continue;
        }
        auto first = events_.begin();
        if (first->first > Clock::now()) {
            schedulerWake_.wait_until(lock, first->first);
            continue;
        }
        auto action = std::move(first->second);
        events_.erase(first);
        lock.unlock();
        action();
        lock.lock();
    }
}

// --- HidPlatform: controller services ----------------------------------------

bool SimHidPlatform::bound() const {
    std::lock_guard lock(mutex_);
    return bound_;
}

HidGuid SimHidPlatform::hidGuid() const {
    return StandardHidGuid;
}

bool SimHidPlatform::listInterfaces(std::vector<HidInterfaceRecord>& out) {
    std::lock_guard lock(mutex_);
    out.clear();
    for (const auto& dev : devices_) {
        HidInterfaceRecord rec;
        rec.DeviceID = dev->id;
        rec.DevicePath = dev->desc.path;
        rec.TextProperties = dev->desc.textProperties;
        rec.MultiTextProperties = dev->desc.multiTextProperties;
        rec.NumberProperties = dev->desc.numberProperties;
        out.push_back(std::move(rec));
    }
    return true;
}

std::string SimHidPlatform::hidVersion() const {
    std::lock_guard lock(mutex_);
    return hidVersion_;
}

void SimHidPlatform::startWatching(std::function<void()> changed) {
    std::lock_guard lock(watchMutex_);
    changed_ = std::move(changed);
}

void SimHidPlatform::stopWatching() {
    std::lock_guard lock(watchMutex_);
    changed_ = nullptr;
}

// --- channels ----------------------------------------------------------------

HidHandle SimHidPlatform::open(const std::string& devicePath, HidAccess access) {
    std::lock_guard lock(mutex_);
    auto it = std::find_if(devices_.begin(), devices_.end(),
                           [&](const auto& dev) { return dev->desc.path == devicePath; });
    if (it == devices_.end()) {
        setError(SimErrorFileNotFound);
        return InvalidHandle;
    }
    const auto& desc = (*it)->desc;
    if (desc.cannotOpen || (desc.queryOnly && access != HidAccess::QueryOnly)) {
        setError(SimErrorAccessDenied);
        return InvalidHandle;
    }
    auto ch = std::make_shared<Channel>();
    ch->device = *it;
    ch->access = access;
    const HidHandle handle = nextHandle_++;
    channels_.emplace(handle, std::move(ch));
    return handle;
}

void SimHidPlatform::close(HidHandle handle) {
    std::lock_guard lock(mutex_);
    auto it = channels_.find(handle);
    if (it == channels_.end()) {
        return;
    }
    auto& ch = *it->second;
    ch.closed = true;
    if (ch.outstanding) {
        ch.complete(0);
    }
    ch.changed.notify_all();
    channels_.erase(it);
}

// --- queries -----------------------------------------------------------------

bool SimHidPlatform::getAttributes(HidHandle handle, HidAttributes& attributes) {
    auto ch = queryChannel(handle);
    if (!ch) {
        return false;
    }
    if (ch->device->desc.attributesFail) {
        setError(SimErrorGenFailure);
        return false;
    }
    attributes = ch->device->desc.attributes;
    attributes.Size = sizeof(HidAttributes);
    return true;
}

void* SimHidPlatform::getPreparsedData(HidHandle handle) {
    auto ch = queryChannel(handle);
    return ch ? new HidCaps(ch->device->desc.caps) : nullptr;
}

void SimHidPlatform::freePreparsedData(void* preparsed) {
    delete static_cast<HidCaps*>(preparsed);
}

std::int32_t SimHidPlatform::getCaps(void* preparsed, HidCaps& caps) {
    if (preparsed == nullptr) {
        return HidpStatusNull;
    }
    caps = *static_cast<const HidCaps*>(preparsed);
    return HidpStatusSuccess;
}

bool SimHidPlatform::copyString(HidHandle handle,
                                std::optional<std::u16string> SimDeviceDescription::*field,
                                void* buffer, std::uint32_t bufferBytes) {
    auto ch = queryChannel(handle);
    if (!ch) {
        return false;
    }
    const auto& text = ch->device->desc.*field;
    if (!text) {
        setError(SimErrorGenFailure);
        return false;
    }
    copyUnits(text->data(), text->size(), buffer, bufferBytes);
    return true;
}

bool SimHidPlatform::getManufacturerString(HidHandle handle, void* buffer,
                                           std::uint32_t bufferBytes) {
    return copyString(handle, &SimDeviceDescription::manufacturer, buffer, bufferBytes);
}

bool SimHidPlatform::getProductString(HidHandle handle, void* buffer, std::uint32_t bufferBytes) {
    return copyString(handle, &SimDeviceDescription::product, buffer, bufferBytes);
}

bool SimHidPlatform::getSerialNumberString(HidHandle handle, void* buffer,
                                           std::uint32_t bufferBytes) {
    return copyString(handle, &SimDeviceDescription::serial, buffer, bufferBytes);
}

bool SimHidPlatform::getIndexedString(HidHandle handle, std::uint32_t index, void* buffer,
                                      std::uint32_t bufferBytes) {
    auto ch = queryChannel(handle);
    if (!ch) {
        return false;
    }
    const auto& desc = ch->device->desc;
    if (index == 0) {
        if (desc.languageIds.empty()) {
            setError(SimErrorGenFailure);
            return false;
        }
        std::u16string ids(desc.languageIds.begin(), desc.languageIds.end());
        copyUnits(ids.data(), ids.size(), buffer, bufferBytes);
        return true;
    }
    auto it = index <= 255 ? desc.indexedStrings.find(static_cast<std::uint8_t>(index))
                           : desc.indexedStrings.end();
    if (it == desc.indexedStrings.end()) {
        setError(SimErrorInvalidParameter);
        return false;
    }
    copyUnits(it->second.data(), it->second.size(), buffer, bufferBytes);
    return true;
}

template <typename Action>
bool SimHidPlatform::onLiveChannel(HidHandle handle, bool needReadWrite, const Action& action) {
    std::lock_guard lock(mutex_);
    auto ch = liveChannel(handle, needReadWrite);
    return ch && action(*ch);
}

bool SimHidPlatform::getNumInputBuffers(HidHandle handle, std::uint32_t& count) {
    return onLiveChannel(handle, false, [&](Channel& ch) {
        count = ch.capacity;
        return true;
    });
}

bool SimHidPlatform::setNumInputBuffers(HidHandle handle, std::uint32_t count) {
    return onLiveChannel(handle, false, [&](Channel& ch) {
        if (count < minInputBuffers || count > maxInputBuffers) {
            setError(SimErrorInvalidParameter);
            return false;
        }
        ch.capacity = count;
        while (ch.queue.size() > count) {
            ch.queue.pop_front();
        }
        return true;
    });
}

bool SimHidPlatform::getPhysicalDescriptor(HidHandle handle, void* buffer,
                                           std::uint32_t bufferBytes) {
    auto ch = queryChannel(handle);
    if (!ch) {
        return false;
    }
    const auto& descriptor = ch->device->desc.physicalDescriptor;
    if (!descriptor) {
        setError(SimErrorInvalidFunction);
        return false;
    }
    const std::size_t bytes = descriptor->size() * sizeof(std::uint16_t);
    if (bufferBytes < bytes) {
        setError(HidErrorInsufficientBuffer);
        return false;
    }
    std::memcpy(buffer, descriptor->data(), bytes);
    return true;
}

bool SimHidPlatform::getConfiguration(HidHandle handle, HidConfiguration& configuration) {
    return onLiveChannel(handle, false, [&](Channel& ch) {
        configuration = ch.device->configuration;
        return true;
    });
}

bool SimHidPlatform::setConfiguration(HidHandle handle, const HidConfiguration& configuration) {
    return onLiveChannel(handle, false, [&](Channel& ch) {
        ch.device->configuration = configuration;
        return true;
    });
}

bool SimHidPlatform::flushQueue(HidHandle handle) {
    return onLiveChannel(handle, false, [&](Channel& ch) {
        ch.queue.clear();
        return true;
    });
}

bool SimHidPlatform::getFeature(HidHandle handle, void* report, std::uint32_t size) {
    return onLiveChannel(handle, true, [&](Channel& ch) {
        if (!ch.hasFeatureReports(size)) {
            return false;
        }
        auto* bytes = static_cast<std::uint8_t*>(report);
        const auto& stored = ch.device->features[bytes[0]];
        std::memset(bytes + 1, 0, size - 1);
        if (stored.size() > 1) {
            std::memcpy(bytes + 1, stored.data() + 1,
                        std::min<std::size_t>(size, stored.size()) - 1);
        }
        return true;
    });
}

bool SimHidPlatform::setFeature(HidHandle handle, const void* report, std::uint32_t size) {
    return onLiveChannel(handle, true, [&](Channel& ch) {
        if (!ch.hasFeatureReports(size)) {
            return false;
        }
        const auto* bytes = static_cast<const std::uint8_t*>(report);
        ch.device->features[bytes[0]].assign(bytes, bytes + size);
        return true;
    });
}

bool SimHidPlatform::getInputReport(HidHandle, void*, std::uint32_t) {
    setError(HidErrorNotSupported);
    return false;
}

bool SimHidPlatform::setOutputReport(HidHandle, const void*, std::uint32_t) {
    setError(HidErrorNotSupported);
    return false;
}

bool SimHidPlatform::deviceIoControl(HidHandle, std::uint32_t, const void*, std::uint32_t, void*,
                                     std::uint32_t, std::uint32_t& bytesReturned) {
    bytesReturned = 0;
    setError(SimErrorInvalidFunction);
    return false;
}

// --- transfers ---------------------------------------------------------------

bool SimHidPlatform::sendReport(HidHandle handle, HidAccess access, const void* report,
                                std::uint32_t size) {
    std::shared_ptr<Device> dev;
    std::vector<std::uint8_t> bytes;
    SimTranscriptLine line;
    {
        std::lock_guard lock(mutex_);
        auto ch = liveChannel(handle, true);
        if (!ch) {
            return false;
        }
        if (ch->access != access) {
            setError(SimErrorAccessDenied);
            return false;
        }
        dev = ch->device;
        if (dev->failWrites > 0) {
            --dev->failWrites;
            setError(dev->failCode);
            return false;
        }
        const std::uint16_t length = dev->desc.caps.OutputReportByteLength;
        if (size == 0 || (length != 0 && size != length)) {
            setError(SimErrorInvalidParameter);
            return false;
        }
        const auto* p = static_cast<const std::uint8_t*>(report);
        bytes.assign(p, p + size);
        line = record('>', dev->desc.path, bytes);
    }
    observe(line);
    if (dev->desc.responder) {
        auto replies = dev->desc.responder(bytes);
        std::lock_guard lock(mutex_);
        const auto now = Clock::now();
        for (auto& reply : replies) {
            queueInput(*dev, reply.bytes, now + reply.delay);
        }
    }
    return true;
}

bool SimHidPlatform::write(HidHandle handle, const void* report, std::uint32_t toWrite,
                           std::uint32_t& written) {
    written = 0;
    if (!sendReport(handle, HidAccess::ReadWrite, report, toWrite)) {
        return false;
    }
    written = toWrite;
    return true;
}

bool SimHidPlatform::read(HidHandle handle, void* report, std::uint32_t toRead,
                          std::uint32_t& bytesRead) {
    bytesRead = 0;
    std::vector<std::uint8_t> bytes;
    SimTranscriptLine line;
    {
        std::unique_lock lock(mutex_);
        auto ch = liveChannel(handle, true);
        if (!ch) {
            return false;
        }
        if (ch->access != HidAccess::ReadWrite) {
            setError(SimErrorAccessDenied);
            return false;
        }
        for (;;) {
            if (ch->closed) {
                setError(HidErrorInvalidHandle);
                return false;
            }
            if (!ch->device->plugged) {
                setError(SimErrorDeviceNotConnected);
                return false;
            }
            if (takeDueReport(*ch, bytes)) {
                break;
            }
            waitForInput(*ch, lock, Clock::time_point::max());
        }
        bytesRead = static_cast<std::uint32_t>(std::min<std::size_t>(toRead, bytes.size()));
        bytes.resize(bytesRead);
        line = record('<', ch->device->desc.path, bytes);
    }
    if (bytesRead > 0) {
        std::memcpy(report, bytes.data(), bytesRead);
    }
    observe(line);
    return true;
}

bool SimHidPlatform::startRead(HidHandle handle, void* buffer, std::uint32_t toRead) {
    std::lock_guard lock(mutex_);
    auto ch = liveChannel(handle, true);
    if (!ch) {
        return false;
    }
    if (ch->access != HidAccess::OverlappedRead || ch->outstanding) {
        setError(SimErrorInvalidFunction);
        return false;
    }
    ch->outstanding = true;
    ch->completed = false;
    ch->result = 0;
    ch->buffer = buffer;
    ch->toRead = toRead;
    return true;
}

bool SimHidPlatform::startWrite(HidHandle handle, const void* buffer, std::uint32_t toWrite) {
    if (!sendReport(handle, HidAccess::OverlappedWrite, buffer, toWrite)) {
        return false;
    }
    std::lock_guard lock(mutex_);
    if (auto ch = channel(handle)) {
        ch->complete(toWrite);
    }
    return true;
}

HidWaitResult SimHidPlatform::wait(HidHandle handle, std::uint32_t milliseconds) {
    std::vector<std::uint8_t> bytes;
    SimTranscriptLine line;
    {
        std::unique_lock lock(mutex_);
        auto ch = channel(handle);
        if (!ch) {
            return HidWaitResult::IoCompletion;  // a closed channel has no transfer left
        }
        const auto deadline = Clock::now() + std::chrono::milliseconds(milliseconds);
        for (;;) {
            if (!ch->outstanding) {
                return HidWaitResult::IoCompletion;
            }
            if (ch->interrupted) {
                ch->interrupted = false;
                return HidWaitResult::Interrupted;
            }
            if (takeDueReport(*ch, bytes)) {
                const auto n =
                    static_cast<std::uint32_t>(std::min<std::size_t>(ch->toRead, bytes.size()));
                if (n > 0) {
                    std::memcpy(ch->buffer, bytes.data(), n);
                }
                bytes.resize(n);
                ch->complete(n);
                line = record('<', ch->device->desc.path, bytes);
                break;
            }
            const auto now = Clock::now();
            if (now >= deadline) {
                return HidWaitResult::Timeout;
            }
            waitForInput(*ch, lock, deadline);
        }
    }
    observe(line);
    return HidWaitResult::IoCompletion;
}

std::uint32_t SimHidPlatform::transferResult(HidHandle handle) {
    std::lock_guard lock(mutex_);
    auto it = channels_.find(handle);
    return it != channels_.end() && it->second->completed ? it->second->result : 0;
}

bool SimHidPlatform::cancel(HidHandle handle) {
    std::lock_guard lock(mutex_);
    auto ch = channel(handle);
    if (!ch) {
        return false;
    }
    ch->outstanding = false;
    ch->completed = false;
    ch->result = 0;
    return true;
}

void SimHidPlatform::interruptWait(HidHandle handle) {
    std::lock_guard lock(mutex_);
    auto it = channels_.find(handle);
    if (it != channels_.end()) {
        it->second->interrupted = true;
        it->second->changed.notify_all();
    }
}

// --- errors and names --------------------------------------------------------

std::uint32_t SimHidPlatform::lastError() const {
    return threadLastError;
}

std::string SimHidPlatform::errorMessage(std::uint32_t code) const {
    {
        std::lock_guard lock(mutex_);
        if (auto it = errorMessages_.find(code); it != errorMessages_.end()) {
            return it->second;
        }
    }
    switch (code) {
        case 0:
            return "The operation completed successfully.";
        case SimErrorInvalidFunction:
            return "Incorrect function.";
        case SimErrorFileNotFound:
            return "The system cannot find the file specified.";
        case SimErrorAccessDenied:
            return "Access is denied.";
        case HidErrorInvalidHandle:
            return "The handle is invalid.";
        case SimErrorGenFailure:
            return "A device attached to the system is not functioning.";
        case HidErrorNotSupported:
            return "The request is not supported.";
        case SimErrorInvalidParameter:
            return "The parameter is incorrect.";
        case HidErrorInsufficientBuffer:
            return "The data area passed to a system call is too small.";
        case SimErrorDeviceNotConnected:
            return "The device is not connected.";
        default:
            break;
    }
    char text[40];
    std::snprintf(text, sizeof text, "Unknown error %u.", code);
    return text;
}

bool SimHidPlatform::languageName(std::uint16_t languageId, std::u16string& name) const {
    static const std::map<std::uint16_t, std::u16string> names{
        {0x0407, u"German (Germany)"},         {0x0409, u"English (United States)"},
        {0x0809, u"English (United Kingdom)"}, {0x040C, u"French (France)"},
        {0x041A, u"Croatian (Croatia)"},       {0x241A, u"Serbian (Latin, Serbia)"},
    };
    auto it = names.find(languageId);
    if (it == names.end()) {
        return false;
    }
    name = it->second;
    return true;
}
