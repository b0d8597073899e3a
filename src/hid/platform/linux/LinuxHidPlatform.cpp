#include "hid/platform/linux/LinuxHidPlatform.h"

#include <fcntl.h>
#include <libudev.h>
#include <linux/hidraw.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "hid/platform/linux/LinuxErrors.h"
#include "hid/platform/linux/ReportDescriptor.h"
#include "hid/platform/linux/SysfsHidNode.h"
#include "hid/platform/linux/Utf16Strings.h"

namespace {

constexpr std::int32_t HidpStatusInvalidPreparsedData = static_cast<std::int32_t>(0xC0110001u);

// Report ioctls carry their length in a 14-bit field.
constexpr std::uint32_t MaxIoctlReportLength = 0x3FFF;

// More than the kernel's queue holds, yet a bound if reports keep coming.
constexpr std::size_t MaxReportsFlushed = 4 * HIDRAW_BUFFER_SIZE;

int openFlags(HidAccess access) {
    constexpr int common = O_NONBLOCK | O_CLOEXEC;
    switch (access) {
        case HidAccess::ReadWrite:
            return O_RDWR | common;
        case HidAccess::QueryOnly:
        case HidAccess::OverlappedRead:
            return O_RDONLY | common;
        case HidAccess::OverlappedWrite:
            return O_WRONLY | common;
    }
    return O_RDONLY | common;
}

bool descriptorFromNode(int fd, std::vector<std::uint8_t>& bytes) {
    int size = 0;
    if (ioctl(fd, HIDIOCGRDESCSIZE, &size) < 0) {
        return false;
    }
    auto descriptor = std::make_unique<hidraw_report_descriptor>();
    descriptor->size = static_cast<std::uint32_t>(std::clamp(size, 0, HID_MAX_DESCRIPTOR_SIZE));
    if (ioctl(fd, HIDIOCGRDESC, descriptor.get()) < 0) {
        return false;
    }
    const std::size_t length = std::min<std::size_t>(descriptor->size, HID_MAX_DESCRIPTOR_SIZE);
    bytes.assign(descriptor->value, descriptor->value + length);
    return true;
}

struct Language {
    std::uint16_t id;
    const char16_t* name;
};

constexpr Language languages[] = {
    {0x0401, u"Arabic (Saudi Arabia)"},
    {0x0405, u"Czech (Czech Republic)"},
    {0x0406, u"Danish (Denmark)"},
    {0x0407, u"German (Germany)"},
    {0x0408, u"Greek (Greece)"},
    {0x0409, u"English (United States)"},
    {0x040A, u"Spanish (Spain, Traditional Sort)"},
    {0x040B, u"Finnish (Finland)"},
    {0x040C, u"French (France)"},
    {0x040E, u"Hungarian (Hungary)"},
    {0x0410, u"Italian (Italy)"},
    {0x0411, u"Japanese (Japan)"},
    {0x0412, u"Korean (Korea)"},
    {0x0413, u"Dutch (Netherlands)"},
    {0x0414, u"Norwegian, Bokm\u00E5l (Norway)"},
    {0x0415, u"Polish (Poland)"},
    {0x0416, u"Portuguese (Brazil)"},
    {0x0418, u"Romanian (Romania)"},
    {0x0419, u"Russian (Russia)"},
    {0x041A, u"Croatian (Croatia)"},
    {0x041B, u"Slovak (Slovakia)"},
    {0x041D, u"Swedish (Sweden)"},
    {0x041F, u"Turkish (Turkey)"},
    {0x0422, u"Ukrainian (Ukraine)"},
    {0x0424, u"Slovenian (Slovenia)"},
    {0x0804, u"Chinese (Simplified, China)"},
    {0x0809, u"English (United Kingdom)"},
    {0x0816, u"Portuguese (Portugal)"},
    {0x081A, u"Serbian (Latin, Serbia and Montenegro (Former))"},
    {0x0C0A, u"Spanish (Spain, International Sort)"},
    {0x0C1A, u"Serbian (Cyrillic, Serbia and Montenegro (Former))"},
    {0x141A, u"Bosnian (Latin, Bosnia and Herzegovina)"},
    {0x241A, u"Serbian (Latin, Serbia)"},
    {0x281A, u"Serbian (Cyrillic, Serbia)"},
};

}  // namespace

void LinuxHidPlatform::UdevDeleter::operator()(udev* context) const {
    udev_unref(context);
}

LinuxHidPlatform::LinuxHidPlatform(std::string sysfsRoot)
    : sysfsRoot_(std::move(sysfsRoot)), udev_(udev_new()) {}

LinuxHidPlatform::~LinuxHidPlatform() {
    stopWatching();
}

bool LinuxHidPlatform::bound() const {
    return udev_ != nullptr;
}

HidGuid LinuxHidPlatform::hidGuid() const {
    return StandardHidGuid;
}

bool LinuxHidPlatform::listInterfaces(std::vector<HidInterfaceRecord>& out) {
    out.clear();
    if (!udev_) {
        return false;
    }
    udev_enumerate* enumerate = udev_enumerate_new(udev_.get());
    if (enumerate == nullptr) {
        setLastErrorFromErrno(ENOMEM);
        return false;
    }
    if (udev_enumerate_add_match_subsystem(enumerate, "hidraw") < 0 ||
        udev_enumerate_scan_devices(enumerate) < 0) {
        setLastErrorFromErrno(errno);
        udev_enumerate_unref(enumerate);
        return false;
    }

    // While udev still works on a new node, its rules may not yet have given
    // the node its permissions: the node is left out until udev is done, and
    // udev's event then, which the watcher hears, makes the next change.
    // Opening it in the meantime would find it root's. Before the watcher
    // hears udev, its database tells, though without the programs its rules
    // run last.
    const bool udevRuns = DeviceNodeWatcher::systemSource() == DeviceNodeWatcher::Source::Udev;
    const DeviceNodeWatcher* udevWatcher =
        watcher_ && watcher_->source() == DeviceNodeWatcher::Source::Udev ? watcher_.get()
                                                                          : nullptr;
    const auto udevDone = [&](udev_device* node) {
        return udevWatcher != nullptr ? udevWatcher->udevDone(udev_device_get_syspath(node))
                                      : udev_device_get_is_initialized(node) > 0;
    };
    std::vector<std::pair<unsigned long, HidInterfaceRecord>> found;
    udev_list_entry* entry = nullptr;
    udev_list_entry_foreach(entry, udev_enumerate_get_list_entry(enumerate)) {
        udev_device* node =
            udev_device_new_from_syspath(udev_.get(), udev_list_entry_get_name(entry));
        if (node == nullptr) {
            continue;
        }
        const char* devnode = udev_device_get_devnode(node);
        const char* sysnum = udev_device_get_sysnum(node);
        if (devnode == nullptr || (udevRuns && !udevDone(node))) {
            udev_device_unref(node);
            continue;
        }
        struct stat st {};
        const std::uint64_t inode = stat(devnode, &st) == 0 ? st.st_ino : 0;

        HidInterfaceRecord record;
        record.DeviceID = instanceIds_.idFor(udev_device_get_syspath(node), inode);
        record.DevicePath = devnode;
        record.TextProperties[HidPropClass] = "HIDClass";
        record.TextProperties[HidPropEnumeratorName] = "HID";
        // The HID device above the node belongs to `node` and is freed with it.
        if (udev_device* hid =
                udev_device_get_parent_with_subsystem_devtype(node, "hid", nullptr)) {
            if (const char* name = udev_device_get_property_value(hid, "HID_NAME")) {
                record.TextProperties[HidPropDeviceDesc] = name;
            }
            if (const char* phys = udev_device_get_property_value(hid, "HID_PHYS")) {
                record.TextProperties[HidPropLocationInformation] = phys;
            }
            if (const char* driver = udev_device_get_driver(hid)) {
                record.TextProperties[HidPropService] = driver;
            }
            unsigned bus = 0;
            unsigned vendor = 0;
            unsigned product = 0;
            const char* id = udev_device_get_property_value(hid, "HID_ID");
            if (id != nullptr && std::sscanf(id, "%x:%x:%x", &bus, &vendor, &product) == 3) {
                char hardwareId[48];
                std::snprintf(hardwareId, sizeof hardwareId, "HID\\VID_%04X&PID_%04X",
                              vendor & 0xFFFF, product & 0xFFFF);
                record.MultiTextProperties[HidPropHardwareID] = {hardwareId};
            }
        }
        found.emplace_back(sysnum != nullptr ? std::strtoul(sysnum, nullptr, 10) : 0,
                           std::move(record));
        udev_device_unref(node);
    }
    udev_enumerate_unref(enumerate);

    std::stable_sort(found.begin(), found.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    for (auto& [sysnum, record] : found) {
        out.push_back(std::move(record));
    }
    return true;
}

std::string LinuxHidPlatform::hidVersion() const {
    return {};
}

void LinuxHidPlatform::startWatching(std::function<void()> changed) {
    if (!udev_ || watcher_) {
        return;
    }
    auto watcher = std::make_unique<DeviceNodeWatcher>(DeviceNodeWatcher::systemSource());
    if (watcher->start(std::move(changed))) {
        watcher_ = std::move(watcher);
    }
}

void LinuxHidPlatform::stopWatching() {
    watcher_.reset();
}

HidHandle LinuxHidPlatform::open(const std::string& devicePath, HidAccess access) {
    int fd = ::open(devicePath.c_str(), openFlags(access));
    struct stat st {};
    bool numbered = false;
    if (fd < 0) {
        // Like a zero-access handle on Windows, a query-only channel to a node
        // we may not open answers from sysfs.
        const int error = errno;
        if (access != HidAccess::QueryOnly || (error != EACCES && error != EPERM) ||
            stat(devicePath.c_str(), &st) != 0 || !S_ISCHR(st.st_mode) ||
            !SysfsHidNode::read(sysfsRoot_, major(st.st_rdev), minor(st.st_rdev)).found()) {
            setLastErrorFromErrno(error);
            return InvalidHandle;
        }
    } else {
        std::vector<std::uint8_t> descriptor;
        int error = 0;
        if (fstat(fd, &st) != 0) {
            error = errno;
        } else if (!S_ISCHR(st.st_mode)) {
            error = ENOTTY;
        } else if (!descriptorFromNode(fd, descriptor)) {
            error = errno;
        }
        if (error != 0) {
            ::close(fd);
            setLastErrorFromErrno(error);
            return InvalidHandle;
        }
        numbered = ReportDescriptor::parse(descriptor.data(), descriptor.size()).numberedReports();
    }
    auto channel = std::make_shared<HidrawChannel>(fd, access, numbered, st.st_rdev);
    if (!channel->valid()) {
        setLastErrorFromErrno(errno);
        return InvalidHandle;
    }
    return channels_.add(std::move(channel));
}

void LinuxHidPlatform::close(HidHandle handle) {
    channels_.close(handle);
}

SysfsHidNode LinuxHidPlatform::sysfsNode(const HidrawChannel& channel) const {
    return SysfsHidNode::read(sysfsRoot_, major(channel.device()), minor(channel.device()));
}

bool LinuxHidPlatform::reportDescriptor(const HidrawChannel& channel,
                                        std::vector<std::uint8_t>& bytes) const {
    if (channel.fd() >= 0) {
        if (descriptorFromNode(channel.fd(), bytes)) {
            return true;
        }
        setLastErrorFromErrno(errno);
        return false;
    }
    bytes = sysfsNode(channel).reportDescriptor();
    if (bytes.empty()) {
        setLastErrorFromErrno(ENODEV);
        return false;
    }
    return true;
}

bool LinuxHidPlatform::getAttributes(HidHandle handle, HidAttributes& attributes) {
    const auto channel = channels_.find(handle);
    if (!channel) {
        return false;
    }
    const SysfsHidNode node = sysfsNode(*channel);
    if (channel->fd() >= 0) {
        hidraw_devinfo info{};
        if (ioctl(channel->fd(), HIDIOCGRAWINFO, &info) < 0) {
            setLastErrorFromErrno(errno);
            return false;
        }
        attributes.VendorID = static_cast<std::uint16_t>(info.vendor);
        attributes.ProductID = static_cast<std::uint16_t>(info.product);
    } else if (node.hasHidId()) {
        attributes.VendorID = node.vendorId();
        attributes.ProductID = node.productId();
    } else {
        setLastErrorFromErrno(ENODEV);
        return false;
    }
    attributes.VersionNumber = node.version();
    return true;
}

void* LinuxHidPlatform::getPreparsedData(HidHandle handle) {
    const auto channel = channels_.find(handle);
    std::vector<std::uint8_t> bytes;
    if (!channel || !reportDescriptor(*channel, bytes)) {
        return nullptr;
    }
    const ReportDescriptor descriptor = ReportDescriptor::parse(bytes.data(), bytes.size());
    auto caps = std::make_unique<HidCaps>();
    caps->UsagePage = descriptor.usagePage();
    caps->Usage = descriptor.usage();
    caps->InputReportByteLength = descriptor.inputLength();
    caps->OutputReportByteLength = descriptor.outputLength();
    caps->FeatureReportByteLength = descriptor.featureLength();
    void* preparsed = caps.get();
    std::lock_guard lock(preparsedMutex_);
    preparsed_.emplace(preparsed, std::move(caps));
    return preparsed;
}

void LinuxHidPlatform::freePreparsedData(void* preparsed) {
    std::lock_guard lock(preparsedMutex_);
    preparsed_.erase(preparsed);
}

std::int32_t LinuxHidPlatform::getCaps(void* preparsed, HidCaps& caps) {
    std::lock_guard lock(preparsedMutex_);
    const auto it = preparsed_.find(preparsed);
    if (it == preparsed_.end()) {
        return HidpStatusInvalidPreparsedData;
    }
    caps = *it->second;
    return HidpStatusSuccess;
}

bool LinuxHidPlatform::copyString(HidHandle handle, std::string (SysfsHidNode::*string)() const,
                                  void* buffer, std::uint32_t bufferBytes) {
    const auto channel = channels_.find(handle);
    if (!channel) {
        return false;
    }
    const std::string text = (sysfsNode(*channel).*string)();
    if (text.empty()) {
        setLastErrorFromErrno(ENODATA);
        return false;
    }
    return copyUtf16(utf8ToUtf16(text), buffer, bufferBytes);
}

bool LinuxHidPlatform::getManufacturerString(HidHandle handle, void* buffer,
                                             std::uint32_t bufferBytes) {
    return copyString(handle, &SysfsHidNode::manufacturer, buffer, bufferBytes);
}

bool LinuxHidPlatform::getProductString(HidHandle handle, void* buffer, std::uint32_t bufferBytes) {
    return copyString(handle, &SysfsHidNode::product, buffer, bufferBytes);
}

bool LinuxHidPlatform::getSerialNumberString(HidHandle handle, void* buffer,
                                             std::uint32_t bufferBytes) {
    return copyString(handle, &SysfsHidNode::serialNumber, buffer, bufferBytes);
}

bool LinuxHidPlatform::getIndexedString(HidHandle handle, std::uint32_t index, void* buffer,
                                        std::uint32_t bufferBytes) {
    const auto channel = channels_.find(handle);
    if (!channel) {
        return false;
    }
    if (index > 255) {
        setLastErrorFromErrno(EINVAL);
        return false;
    }
    const SysfsHidNode node = sysfsNode(*channel);
    if (index == 0) {
        // sysfs does not expose the language table; the kernel reads the
        // strings in US English, so that is what the device has.
        if (!node.hasAnyString()) {
            setLastErrorFromErrno(ENODATA);
            return false;
        }
        return copyUtf16(u"\u0409", buffer, bufferBytes);
    }
    const std::string text = node.indexedString(index);
    if (text.empty()) {
        setLastErrorFromErrno(ENODATA);
        return false;
    }
    return copyUtf16(utf8ToUtf16(text), buffer, bufferBytes);
}

bool LinuxHidPlatform::getNumInputBuffers(HidHandle handle, std::uint32_t& count) {
    if (!channels_.find(handle)) {
        return false;
    }
    count = HIDRAW_BUFFER_SIZE;
    return true;
}

bool LinuxHidPlatform::setNumInputBuffers(HidHandle handle, std::uint32_t count) {
    // hidraw queues a fixed number of reports per open file.
    if (count == HIDRAW_BUFFER_SIZE) {
        return static_cast<bool>(channels_.find(handle));
    }
    return notSupported(handle);
}

bool LinuxHidPlatform::notSupported(HidHandle handle) {
    if (channels_.find(handle)) {
        setLastErrorCode(HidErrorNotSupported);
    }
    return false;
}

bool LinuxHidPlatform::getPhysicalDescriptor(HidHandle handle, void*, std::uint32_t) {
    return notSupported(handle);
}

bool LinuxHidPlatform::getConfiguration(HidHandle handle, HidConfiguration&) {
    return notSupported(handle);
}

bool LinuxHidPlatform::setConfiguration(HidHandle handle, const HidConfiguration&) {
    return notSupported(handle);
}

bool LinuxHidPlatform::deviceIoControl(HidHandle handle, std::uint32_t, const void*, std::uint32_t,
                                       void*, std::uint32_t, std::uint32_t& bytesReturned) {
    bytesReturned = 0;
    return notSupported(handle);
}

bool LinuxHidPlatform::flushQueue(HidHandle handle) {
    const auto channel = channels_.find(handle);
    if (!channel) {
        return false;
    }
    if (channel->fd() < 0) {
        setLastErrorFromErrno(EACCES);
        return false;
    }
    // The kernel keeps a bounded queue per open file; read it empty. A read
    // takes a whole report off the queue whatever the buffer holds of it.
    unsigned char scratch[64];
    for (std::size_t i = 0; i < MaxReportsFlushed; ++i) {
        if (::read(channel->fd(), scratch, sizeof scratch) < 0) {
            if (errno == EAGAIN) {
                return true;
            }
            setLastErrorFromErrno(errno);
            return false;
        }
    }
    return true;
}

bool LinuxHidPlatform::reportIoctl(HidHandle handle, unsigned long request, void* report,
                                   std::uint32_t size) {
    const auto channel = channels_.find(handle);
    if (!channel) {
        return false;
    }
    if (channel->fd() < 0) {
        setLastErrorFromErrno(EACCES);
        return false;
    }
    if (report == nullptr || size == 0 || size > MaxIoctlReportLength) {
        setLastErrorFromErrno(EINVAL);
        return false;
    }
    if (ioctl(channel->fd(), request, report) < 0) {
        setLastErrorFromErrno(errno);
        return false;
    }
    return true;
}

bool LinuxHidPlatform::getFeature(HidHandle handle, void* report, std::uint32_t size) {
    return reportIoctl(handle, HIDIOCGFEATURE(size), report, size);
}

// The kernel only reads the buffer of a set request.
bool LinuxHidPlatform::setFeature(HidHandle handle, const void* report, std::uint32_t size) {
    return reportIoctl(handle, HIDIOCSFEATURE(size), const_cast<void*>(report), size);
}

bool LinuxHidPlatform::getInputReport(HidHandle handle, void* report, std::uint32_t size) {
    return reportIoctl(handle, HIDIOCGINPUT(size), report, size);
}

bool LinuxHidPlatform::setOutputReport(HidHandle handle, const void* report, std::uint32_t size) {
    return reportIoctl(handle, HIDIOCSOUTPUT(size), const_cast<void*>(report), size);
}

bool LinuxHidPlatform::write(HidHandle handle, const void* report, std::uint32_t toWrite,
                             std::uint32_t& written) {
    written = 0;
    const auto channel = channels_.find(handle);
    return channel && channel->write(report, toWrite, written);
}

bool LinuxHidPlatform::read(HidHandle handle, void* report, std::uint32_t toRead,
                            std::uint32_t& bytesRead) {
    bytesRead = 0;
    const auto channel = channels_.find(handle);
    return channel && channel->read(report, toRead, bytesRead);
}

bool LinuxHidPlatform::startRead(HidHandle handle, void* buffer, std::uint32_t toRead) {
    const auto channel = channels_.find(handle);
    return channel && channel->startRead(buffer, toRead);
}

bool LinuxHidPlatform::startWrite(HidHandle handle, const void* buffer, std::uint32_t toWrite) {
    const auto channel = channels_.find(handle);
    return channel && channel->startWrite(buffer, toWrite);
}

HidWaitResult LinuxHidPlatform::wait(HidHandle handle, std::uint32_t milliseconds) {
    const auto channel = channels_.find(handle);
    // A closed channel has nothing outstanding: its read has ended.
    return channel ? channel->wait(milliseconds) : HidWaitResult::IoCompletion;
}

std::uint32_t LinuxHidPlatform::transferResult(HidHandle handle) {
    const auto channel = channels_.find(handle);
    return channel ? channel->transferResult() : 0;
}

bool LinuxHidPlatform::cancel(HidHandle handle) {
    const auto channel = channels_.find(handle);
    return channel && channel->cancel();
}

void LinuxHidPlatform::interruptWait(HidHandle handle) {
    if (const auto channel = channels_.find(handle)) {
        channel->interrupt();
    }
}

std::uint32_t LinuxHidPlatform::lastError() const {
    return lastErrorCode();
}

std::string LinuxHidPlatform::errorMessage(std::uint32_t code) const {
    return errorCodeMessage(code);
}

bool LinuxHidPlatform::languageName(std::uint16_t languageId, std::u16string& name) const {
    for (const auto& language : languages) {
        if (language.id == languageId) {
            name = language.name;
            return true;
        }
    }
    return false;
}
