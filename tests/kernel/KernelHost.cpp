#include "KernelHost.h"

#include <sched.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "RoundTrips.h"
#include "hid/platform/SystemHidPlatform.h"

namespace {

using namespace std::chrono_literals;

constexpr auto CommandTimeout = 5s;
// The kernel makes a uhid device's node some tenths of a second after its
// creation under emulation; this leaves ample room.
constexpr auto NodeTimeout = 10s;
constexpr auto ReplyTimeout = 2s;

std::string narrow(const std::u16string& text) {
    std::string out;
    for (const char16_t c : text) {
        out += c < 0x80 ? static_cast<char>(c) : '?';
    }
    return out;
}

// `length` bytes of `data` from `from`, as text.
std::string text(const std::vector<std::uint8_t>& data, std::size_t from, std::size_t length) {
    if (from + length > data.size()) {
        return {};
    }
    return std::string(data.begin() + static_cast<std::ptrdiff_t>(from),
                       data.begin() + static_cast<std::ptrdiff_t>(from + length));
}

bool hasTag(const std::vector<std::uint8_t>& data, const char* tag) {
    return text(data, 0, 2) == tag;
}

// A 16-byte number field: the number, then zeros.
std::string numberField(const std::string& number) {
    std::string field = number;
    field.resize(16, '\0');
    return field;
}

std::vector<std::uint8_t> fromHex(const std::string& hex) {
    std::vector<std::uint8_t> bytes;
    const auto digit = [](char c) { return c <= '9' ? c - '0' : c - 'A' + 10; };
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
        bytes.push_back(static_cast<std::uint8_t>(digit(hex[i]) << 4 | digit(hex[i + 1])));
    }
    return bytes;
}

std::string capsText(const HidCaps& caps) {
    char out[96];
    std::snprintf(out, sizeof out, "usage %04X:%04X, report lengths %u/%u/%u", caps.UsagePage,
                  caps.Usage, caps.InputReportByteLength, caps.OutputReportByteLength,
                  caps.FeatureReportByteLength);
    return out;
}

std::string idsText(const HidAttributes& attributes) {
    char out[32];
    std::snprintf(out, sizeof out, "%04X:%04X", attributes.VendorID, attributes.ProductID);
    return out;
}

const std::vector<std::u16string> usEnglish = {u"English (United States)"};

}  // namespace

KernelHost::KernelHost(const std::string& unitProgram) : unit_(unitProgram) {}

KernelHost::~KernelHost() {
    checkInCurrent();
    controller_.reset();
}

bool KernelHost::run() {
    // Without the devices listed and the unit matched, nothing else can run.
    bool passed = scenario("start-devices", 30s, &KernelHost::startDevices) &&
                  scenario("list-devices", 30s, &KernelHost::listDevices) &&
                  scenario("match-unit", 30s, &KernelHost::matchUnit);
    if (passed) {
        passed = scenario("exchange-reports", 60s, &KernelHost::exchangeReports) & passed;
        passed = scenario("gsm-numbers", 60s, &KernelHost::writeAndReadGsmNumbers) & passed;
        passed = scenario("memory-read", 60s, &KernelHost::readMemory) & passed;
        passed = scenario("numbered-reports", 30s, &KernelHost::exchangeNumberedReports) & passed;
        passed = scenario("round-trip-timing", 90s, &KernelHost::timeRoundTrips) & passed;
        passed = scenario("memory-read-timing", 60s, &KernelHost::timeMemoryReads) & passed;
        passed = scenario("unplug-checked-out", 60s, &KernelHost::unplugCheckedOutUnit) & passed;
    }
    log_.arm("shutdown", 30s);
    checkInCurrent();
    controller_.reset();
    const int unitStatus = unit_.finish();
    expect(unitStatus == 0, "the unit's process ends with 0: " + std::to_string(unitStatus));
    log_.summary("scenarios");
    return passed && unitStatus == 0;
}

const KernelHost::Reply* KernelHost::exchange(const Report& report) {
    return exchange(current_, report);
}

const KernelHost::Reply* KernelHost::exchange(THidDevice* device, const Report& report) {
    if (device == nullptr) {
        return nullptr;
    }
    const std::size_t before = replies_.size();
    std::uint32_t written = 0;
    if (!device->WriteFile(report.data(), device->Caps().OutputReportByteLength, written)) {
        std::printf("kernel-test:   write failed: %s\n",
                    platform_->errorMessage(platform_->lastError()).c_str());
        return nullptr;
    }
    if (!ui_.pumpUntil([&] { return replies_.size() > before; }, ReplyTimeout)) {
        return nullptr;
    }
    return &replies_[before];
}

std::size_t KernelHost::count(Event::Kind kind, const THidDevice* device) const {
    return static_cast<std::size_t>(
        std::count_if(events_.begin(), events_.end(), [&](const Event& e) {
            return e.kind == kind && (device == nullptr || e.device == device);
        }));
}

const KernelHost::Event* KernelHost::lastArrival() const {
    for (auto it = events_.rbegin(); it != events_.rend(); ++it) {
        if (it->kind == Event::Arrival) {
            return &*it;
        }
    }
    return nullptr;
}

std::int32_t KernelHost::indexOf(const std::string& path) const {
    const auto& devices = controller_->Devices();
    for (std::size_t i = 0; i < devices.size(); ++i) {
        if (devices[i]->IsPluggedIn() && devices[i]->PnPInfo().DevicePath() == path) {
            return static_cast<std::int32_t>(i);
        }
    }
    return -1;
}

bool KernelHost::checkOutUnit(const std::string& path) {
    return checkOut(indexOf(path));
}

bool KernelHost::checkOut(std::int32_t Idx) {
    THidDevice* dev = nullptr;
    if (!controller_->CheckOutByIndex(dev, Idx)) {
        return false;
    }
    // The error handler first: the data handler starts the reader.
    dev->setOnDataError(THidDataErrorEvent::bind(this, &KernelHost::HidCtlDeviceDataError));
    dev->setOnData(THidDataEvent::bind(this, &KernelHost::ShowRead));
    current_ = dev;
    return true;
}

void KernelHost::checkInCurrent() {
    if (controller_ && current_ != nullptr) {
        controller_->CheckIn(current_);
    }
    current_ = nullptr;
}

// --- scenarios -----------------------------------------------------------------

bool KernelHost::startDevices() {
    expect(unit_.running(), "the unit's process starts");
    if (!unit_.running()) {
        return false;
    }
    // One at a time, so that the kernel numbers them in this order.
    const std::string created = unit_.command("create unit", CommandTimeout);
    expect(created == "ok", "the unit is created through /dev/uhid: " + created);
    unitPath_ = nodes_.nextNode(NodeTimeout);
    expect(!unitPath_.empty(), "the unit's hidraw node appears");
    const std::string otherCreated = unit_.command("create other", CommandTimeout);
    expect(otherCreated == "ok", "the other device is created: " + otherCreated);
    otherPath_ = nodes_.nextNode(NodeTimeout);
    expect(!otherPath_.empty(), "the other device's hidraw node appears");
    std::printf("kernel-test:   the unit is %s, the other device %s\n", unitPath_.c_str(),
                otherPath_.c_str());
    return !unitPath_.empty() && !otherPath_.empty();
}

bool KernelHost::listDevices() {
    platform_ = createSystemHidPlatform();
    controller_ = std::make_unique<THidDeviceController>(*platform_, ui_);
    controller_->setOnArrival(THidPlugEvent::bind(this, &KernelHost::HidCtlArrival));
    controller_->setOnRemoval(THidPlugEvent::bind(this, &KernelHost::HidCtlRemoval));
    controller_->setOnDeviceUnplug(THidPlugEvent::bind(this, &KernelHost::HidCtlDeviceUnplug));
    controller_->setOnEnumerate(THidEnumerateEvent::bind(this, &KernelHost::HidCtlEnumerate));
    // The first change pass runs now; the initial notification's when the
    // user-interface thread's queue is run.
    controller_->setOnDeviceChange(THidNotifyEvent::bind(this, &KernelHost::HidCtlDeviceChange));
    ui_.pump();

    std::string kinds;
    for (const Event& e : events_) {
        kinds += e.kind == Event::Arrival ? "A" : e.kind == Event::Change ? "C" : "?";
    }
    expect(kinds == "AACC", "two arrivals, then a change from each pass: " + kinds);
    expect(controller_->Devices().size() == 2 && controller_->NumCheckedInDevices() == 2,
           "both devices are listed and checked in");
    if (events_.size() < 2) {
        return false;
    }
    const Event& unit = events_[0];
    const Event& other = events_[1];
    expect(unit.path == unitPath_, "the unit arrives first: " + unit.path);
    expect(unit.product == u"Kelmarion Brevalon 8", "the unit's name: " + narrow(unit.product));
    expect(unit.vendor.empty(), "the unit has no maker's string: " + narrow(unit.vendor));
    expect(unit.serial == u"BRV8-20417", "the unit's serial number: " + narrow(unit.serial));
    expect(unit.languages == usEnglish, "the unit's strings are in US English");
    expect(idsText(unit.attributes) == "B8E0:0008",
           "the unit's vendor and product IDs: " + idsText(unit.attributes));
    expect(capsText(unit.caps) == "usage FF00:0001, report lengths 65/65/0",
           "the unit's capabilities: " + capsText(unit.caps));

    expect(other.path == otherPath_, "the other device arrives second: " + other.path);
    expect(other.product == u"Other Device", "the other name: " + narrow(other.product));
    expect(other.vendor.empty(), "the other has no maker's string: " + narrow(other.vendor));
    expect(other.serial.empty(), "the other has no serial number: " + narrow(other.serial));
    expect(other.languages == usEnglish, "the other's strings are in US English");
    expect(idsText(other.attributes) == "1234:5678",
           "the other's vendor and product IDs: " + idsText(other.attributes));
    expect(capsText(other.caps) == "usage FF01:0002, report lengths 9/17/5",
           "the other's capabilities: " + capsText(other.caps));
    expect(unit.deviceId != other.deviceId, "the two have distinct device IDs");
    return true;
}

bool KernelHost::matchUnit() {
    matched_.clear();
    const std::int32_t reached = controller_->Enumerate();
    expect(reached == 2, "Enumerate reaches both devices: " + std::to_string(reached));
    expect(matched_.size() == 1 && matched_[0] == unitPath_,
           "only the unit's name contains \"Brevalon 8\"");
    expect(current_ != nullptr && current_->IsCheckedOut() && current_->HasReader(),
           "the unit is checked out with a running reader");
    expect(controller_->NumCheckedOutDevices() == 1 && controller_->NumCheckedInDevices() == 1,
           "one device checked out, one checked in");
    return current_ != nullptr;
}

bool KernelHost::exchangeReports() {
    Report firmware{0, 'G', 'F'};
    const Reply* reply = exchange(firmware);
    expect(reply != nullptr, "the unit answers \"GF\"");
    if (reply != nullptr) {
        expect(reply->reportId == 0 && reply->size == 64 && reply->data.size() >= 64,
               "a reply is report ID 0 and 64 bytes");
        expect(hasTag(reply->data, "GF"), "the reply to \"GF\" is tagged \"GF\"");
        expect(text(reply->data, 2, 23) == "BRV8 FW 3.02 02.12.2016" &&
                   std::all_of(reply->data.begin() + 25, reply->data.begin() + 64,
                               [](std::uint8_t b) { return b == 0; }),
               "the firmware text, then zeros: " + text(reply->data, 2, 23));
    }

    int statusReplies = 0;
    for (int i = 0; i < 50; ++i) {
        const Reply* status = exchange(Report{0, 'G', 'S'});
        // Signal level 4, RSSI 21 and "registered" are the unit's defaults.
        if (status != nullptr && status->data.size() >= 64 && hasTag(status->data, "GS") &&
            status->data[2] == 4 && status->data[3] == 21 && status->data[61] == 1) {
            ++statusReplies;
        }
    }
    expect(statusReplies == 50,
           "50 \"GS\" requests get 50 status replies: " + std::to_string(statusReplies));
    return true;
}

bool KernelHost::writeAndReadGsmNumbers() {
    // The last one fills its 16-byte field and has no terminator.
    const std::string numbers[6] = {"+381641234567", "0641234567",     "+38163987654",
                                    "0113456789",    "+4915112345678", "1234567890123456"};
    int acknowledged = 0;
    for (std::uint8_t i = 0; i < 6; ++i) {
        Report write{0, 'S', 'N', i};
        std::memcpy(&write[4], numbers[i].data(), numbers[i].size());
        const Reply* ack = exchange(write);
        acknowledged += ack != nullptr && hasTag(ack->data, "SN") ? 1 : 0;
    }
    expect(acknowledged == 6, "each \"SN\" is acknowledged: " + std::to_string(acknowledged));
    for (std::uint8_t i = 0; i < 6; ++i) {
        const Reply* read = exchange(Report{0, 'G', 'N', i});
        expect(read != nullptr && hasTag(read->data, "GN") && read->data[2] == i &&
                   text(read->data, 4, 16) == numberField(numbers[i]),
               "\"GN\" " + std::to_string(i) + " reads back " + numbers[i]);
    }
    return true;
}

bool KernelHost::readMemoryPackets(std::vector<std::uint8_t>& image) {
    image.clear();
    for (unsigned packet = 0; packet < 128; ++packet) {
        const auto high = static_cast<std::uint8_t>(packet >> 8);
        const auto low = static_cast<std::uint8_t>(packet & 0xFF);
        const Reply* reply = exchange(Report{0, 'G', 'M', high, low});
        if (reply == nullptr || !hasTag(reply->data, "GM") || reply->data[2] != high ||
            reply->data[3] != low) {
            expect(false, "\"GM\" " + std::to_string(packet) + " gets its packet");
            return false;
        }
        image.insert(image.end(), reply->data.begin() + 4, reply->data.begin() + 36);
    }
    return true;
}

bool KernelHost::readMemory() {
    std::vector<std::uint8_t> image;
    if (!readMemoryPackets(image)) {
        return false;
    }
    const std::string answer = unit_.command("memory", CommandTimeout);
    const std::vector<std::uint8_t> unitImage =
        answer.starts_with("memory ") ? fromHex(answer.substr(7)) : std::vector<std::uint8_t>{};
    expect(unitImage.size() == 4096, "the unit's process tells its memory");
    const auto difference =
        std::mismatch(image.begin(), image.end(), unitImage.begin(), unitImage.end());
    expect(image == unitImage,
           "the 128 packets are the unit's memory byte for byte; first difference at " +
               std::to_string(difference.first - image.begin()));
    // The first GSM number as written before, the default relay pulse time
    // (10 ticks) and the filler at the end.
    expect(text(image, 0, 16) == numberField("+381641234567") && image[0x1D0] == 0x0A &&
               image[0xFFF] == 0xFF,
           "the image holds the first GSM number, pulse time 10 and filler");
    return true;
}

bool KernelHost::exchangeNumberedReports() {
    THidDevice* other = nullptr;
    if (!controller_->CheckOutByIndex(other, indexOf(otherPath_))) {
        expect(false, "the other device is checked out");
        return false;
    }
    other->setOnData(THidDataEvent::bind(this, &KernelHost::ShowRead));
    // The other device answers its output report 2 with input report 1
    // carrying the first eight bytes after the ID.
    const Reply* reply = exchange(other, Report{2, 'E', 'C', 'H', 'O', 5, 6, 7, 8, 9});
    expect(reply != nullptr && reply->device == other, "the other device answers");
    if (reply != nullptr) {
        expect(reply->reportId == 1 && reply->size == 8, "the reply is report 1 of 8 bytes");
        expect(text(reply->data, 0, 8) == "ECHO\x05\x06\x07\x08",
               "the reply carries the bytes written");
    }

    // Feature report 3 through the report ioctls: read, written, read back;
    // report 4, which the device refuses, fails with its error.
    using Bytes = std::vector<std::uint8_t>;
    Bytes feature{3, 0, 0, 0, 0};
    expect(other->GetFeature(feature.data(), 5) && feature == Bytes{3, 'F', 'E', 'A', 'T'},
           "feature report 3 reads 03 46 45 41 54");
    const Bytes written{3, 1, 2, 3, 4};
    expect(other->SetFeature(written.data(), 5), "feature report 3 is written");
    Bytes readBack{3, 0, 0, 0, 0};
    expect(other->GetFeature(readBack.data(), 5) && readBack == Bytes{3, 1, 2, 3, 4},
           "feature report 3 reads back 03 01 02 03 04");
    std::uint8_t refused[5] = {4};
    const bool refusedRead = other->GetFeature(refused, sizeof refused);
    expect(!refusedRead && platform_->lastError() == EIO,
           "feature report 4 fails with EIO: " + platform_->errorMessage(platform_->lastError()));
    controller_->CheckIn(other);
    return true;
}

bool KernelHost::timeRoundTrips() {
    // On one virtual CPU, both processes and the reader thread (started by
    // the check-outs below, so it inherits the affinity) share a processor
    // that never idles during a round trip: the figures then measure the work
    // done instead of how soon the emulator wakes an idle processor.
    const OneProcessor pinned(*this);

    // Interleaved rounds, so that a slow stretch of the emulation weighs on
    // all three alike.
    constexpr int Rounds = 10;
    constexpr int PerRound = 30;
    const std::string path = current_->PnPInfo().DevicePath();
    std::vector<double> raw;
    std::vector<double> hidapi;
    std::vector<double> ours;
    for (int round = 0; round < Rounds; ++round) {
        // While the others measure, the HID layer has no channel open.
        checkInCurrent();
        const RoundTripTimes rawTimes = rawRoundTrips(path, PerRound);
        expect(rawTimes.error.empty(), "raw round trips: " + rawTimes.error);
        raw.insert(raw.end(), rawTimes.micros.begin(), rawTimes.micros.end());
        const RoundTripTimes hidapiTimes = hidapiRoundTrips(path, PerRound);
        expect(hidapiTimes.error.empty(), "hidapi round trips: " + hidapiTimes.error);
        hidapi.insert(hidapi.end(), hidapiTimes.micros.begin(), hidapiTimes.micros.end());

        if (!checkOutUnit(path)) {
            expect(false, "the unit is checked out again");
            return false;
        }
        for (int i = 0; i < PerRound; ++i) {
            const auto start = std::chrono::steady_clock::now();
            const Reply* reply = exchange(Report{0, 'G', 'S'});
            const auto end = std::chrono::steady_clock::now();
            if (reply == nullptr || !hasTag(reply->data, "GS")) {
                expect(false, "HID layer round trip " + std::to_string(i) + " of round " +
                                  std::to_string(round));
                return false;
            }
            ours.push_back(std::chrono::duration<double, std::micro>(end - start).count());
        }
    }
    const double rawMedian = median(raw);
    const double hidapiMedian = median(hidapi);
    const double oursMedian = median(ours);
    std::printf(
        "kernel-test: figure round-trip median (%zu each): raw %.0f us, hidapi %.0f us, "
        "HID layer %.0f us; HID layer / raw %.2f, HID layer / hidapi %.2f\n",
        ours.size(), rawMedian, hidapiMedian, oursMedian,
        rawMedian > 0 ? oursMedian / rawMedian : 0.0,
        hidapiMedian > 0 ? oursMedian / hidapiMedian : 0.0);
    return true;
}

KernelHost::OneProcessor::OneProcessor(KernelHost& host) : unit_(host.unit_.pid()) {
    CPU_ZERO(&all_);
    sched_getaffinity(0, sizeof all_, &all_);
    cpu_set_t first;
    CPU_ZERO(&first);
    CPU_SET(0, &first);
    host.expect(sched_setaffinity(0, sizeof first, &first) == 0 &&
                    sched_setaffinity(unit_, sizeof first, &first) == 0,
                "both processes are held on the first processor");
}

KernelHost::OneProcessor::~OneProcessor() {
    sched_setaffinity(0, sizeof all_, &all_);
    sched_setaffinity(unit_, sizeof all_, &all_);
}

bool KernelHost::timeMemoryReads() {
    const std::string delayed = unit_.command("delay 1000", CommandTimeout);
    expect(delayed == "ok", "the unit answers 1 ms after each request: " + delayed);
    // One processor for both ways, which otherwise differ in how often the
    // emulator has to wake the other processor from idle.
    const OneProcessor pinned(*this);
    // Alternating, so that a slow stretch of the emulation weighs on both alike.
    constexpr int Rounds = 5;
    const std::string path = current_->PnPInfo().DevicePath();
    std::vector<double> raw;
    std::vector<double> ours;
    std::vector<std::uint8_t> image;
    for (int round = 0; round < Rounds; ++round) {
        checkInCurrent();
        const RoundTripTimes rawTimes = rawMemoryReads(path, 1);
        expect(rawTimes.error.empty(), "raw memory read: " + rawTimes.error);
        raw.insert(raw.end(), rawTimes.micros.begin(), rawTimes.micros.end());
        if (!checkOutUnit(path)) {
            expect(false, "the unit is checked out again");
            return false;
        }
        const auto start = std::chrono::steady_clock::now();
        if (!readMemoryPackets(image)) {
            return false;
        }
        ours.push_back(
            std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start)
                .count());
    }
    const std::string undelayed = unit_.command("delay 0", CommandTimeout);
    expect(undelayed == "ok", "the unit answers at once again: " + undelayed);
    const double rawMedian = median(raw);
    const double oursMedian = median(ours);
    std::printf(
        "kernel-test: figure memory read of 128 packets from a unit answering after 1 ms "
        "(median of %d each): raw %.1f ms, HID layer %.1f ms; HID layer / raw %.3f\n",
        Rounds, rawMedian / 1000, oursMedian / 1000, rawMedian > 0 ? oursMedian / rawMedian : 0.0);
    return true;
}

bool KernelHost::unplugCheckedOutUnit() {
    THidDevice* const old = current_;
    const std::uint32_t oldId = old->PnPInfo().DeviceID();
    events_.clear();
    errors_.clear();

    const std::string destroyed = unit_.command("destroy unit", CommandTimeout);
    expect(destroyed == "ok", "the unit is destroyed: " + destroyed);
    const bool removed = ui_.pumpUntil([&] {
        return count(Event::Removal, old) > 0 && !events_.empty() &&
               events_.back().kind == Event::Change;
    });
    expect(removed, "the removal and a device change are told");
    expect(count(Event::Unplug, old) == 1, "the unit's unplug handler is called once");
    expect(!old->IsPluggedIn() && old->IsCheckedOut() && old->HasReader(),
           "the unit's object stays checked out, unplugged, with its reader");
    expect(controller_->NumUnpluggedDevices() == 1 && controller_->Devices().size() == 2,
           "the unplugged object stays listed");
    const bool errorsDelivered = ui_.pumpUntil([&] { return errors_.size() >= 2; }, 5s);
    expect(errorsDelivered, "the running reader delivers errors");
    std::string codes;
    for (const std::uint32_t code : errors_) {
        codes += (codes.empty() ? "" : ", ") + std::to_string(code) + " (" +
                 platform_->errorMessage(code) + ")";
    }
    std::printf("kernel-test:   errors delivered: %s\n", codes.c_str());

    const std::string created = unit_.command("create unit", CommandTimeout);
    expect(created == "ok", "the unit is created again: " + created);
    const std::string path = nodes_.nextNode(NodeTimeout);
    expect(!path.empty(), "its hidraw node appears again");
    const bool arrived = ui_.pumpUntil([&] {
        const Event* arrival = lastArrival();
        return arrival != nullptr && arrival->path == path;
    });
    expect(arrived, "the unit's arrival is told");
    if (const Event* arrival = lastArrival(); arrived && arrival != nullptr) {
        expect(arrival->device != old && arrival->deviceId != oldId,
               "it arrives as a new object with a new device ID");
        expect(arrival->product == u"Kelmarion Brevalon 8" && arrival->serial == u"BRV8-20417",
               "the new object is the unit");
    }
    // Every pass tells the stale object's removal again; the node's creation
    // may come as more than one notification, each with its pass.
    expect(count(Event::Removal, old) >= 2, "the stale object's removal is told again");
    expect(!old->IsPluggedIn(), "the old object stays unplugged");

    controller_->CheckIn(current_);
    expect(current_ == nullptr && controller_->NumUnpluggedDevices() == 0 &&
               controller_->Devices().size() == 2,
           "checking the old object in ends its reader and takes it off the list");

    expect(checkOutUnit(path), "the new object is checked out");
    const Reply* reply = exchange(Report{0, 'G', 'F'});
    expect(reply != nullptr && hasTag(reply->data, "GF") && reply->device == current_,
           "the new object exchanges reports with the unit");
    return true;
}

// --- handlers ------------------------------------------------------------------

KernelHost::Event KernelHost::describe(Event::Kind kind, THidDevice* HidDev) const {
    Event e;
    e.kind = kind;
    e.device = HidDev;
    if (HidDev != nullptr) {
        e.path = HidDev->PnPInfo().DevicePath();
        e.deviceId = HidDev->PnPInfo().DeviceID();
        e.attributes = HidDev->Attributes();
    }
    return e;
}

void KernelHost::HidCtlArrival(THidDevice* HidDev) {
    Event e = describe(Event::Arrival, HidDev);
    e.product = HidDev->ProductName();
    e.vendor = HidDev->VendorName();
    e.serial = HidDev->SerialNumber();
    e.languages = HidDev->LanguageStrings();
    e.caps = HidDev->Caps();
    events_.push_back(std::move(e));
}

void KernelHost::HidCtlRemoval(THidDevice* HidDev) {
    events_.push_back(describe(Event::Removal, HidDev));
}

void KernelHost::HidCtlDeviceChange(THidDeviceController*) {
    events_.push_back(describe(Event::Change, nullptr));
}

void KernelHost::HidCtlDeviceUnplug(THidDevice* HidDev) {
    events_.push_back(describe(Event::Unplug, HidDev));
}

bool KernelHost::HidCtlEnumerate(THidDevice* HidDev, std::int32_t Idx) {
    if (HidDev->ProductName().find(u"Brevalon 8") == std::u16string::npos) {
        return true;
    }
    matched_.push_back(HidDev->PnPInfo().DevicePath());
    checkOut(Idx);
    return true;
}

void KernelHost::ShowRead(THidDevice* HidDev, std::uint8_t ReportID, const std::uint8_t* Data,
                          std::uint16_t Size) {
    replies_.push_back({HidDev, ReportID, Size, std::vector<std::uint8_t>(Data, Data + Size)});
}

void KernelHost::HidCtlDeviceDataError(THidDevice*, std::uint32_t Error) {
    errors_.push_back(Error);
}
