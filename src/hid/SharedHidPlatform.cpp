#include "hid/SharedHidPlatform.h"

#include <algorithm>
#include <utility>

class SharedHidPlatform::View final : public HidPlatform {
public:
    explicit View(SharedHidPlatform& share) : share_(share), base_(share.base_) {}
    ~View() override { View::stopWatching(); }

    // The calls that touch the backend's one system context, one at a time.
    template <typename Call>
    auto inTurn(const Call& call) {
        const std::lock_guard lock(share_.callMutex_);
        return call();
    }

    bool bound() const override { return base_.bound(); }
    HidGuid hidGuid() const override { return base_.hidGuid(); }
    bool listInterfaces(std::vector<HidInterfaceRecord>& out) override {
        return inTurn([&] { return base_.listInterfaces(out); });
    }
    std::string hidVersion() const override { return base_.hidVersion(); }

    void startWatching(std::function<void()> changed) override {
        const std::lock_guard lock(share_.watchMutex_);
        share_.watchers_.emplace_back(this, std::move(changed));
    }
    void stopWatching() override {
        const std::lock_guard lock(share_.watchMutex_);
        std::erase_if(share_.watchers_, [this](const auto& w) { return w.first == this; });
    }

    HidHandle open(const std::string& devicePath, HidAccess access) override {
        return inTurn([&] { return base_.open(devicePath, access); });
    }
    void close(HidHandle handle) override {
        inTurn([&] { base_.close(handle); });
    }

    bool getAttributes(HidHandle handle, HidAttributes& attributes) override {
        return inTurn([&] { return base_.getAttributes(handle, attributes); });
    }
    void* getPreparsedData(HidHandle handle) override {
        return inTurn([&] { return base_.getPreparsedData(handle); });
    }
    void freePreparsedData(void* preparsed) override {
        inTurn([&] { base_.freePreparsedData(preparsed); });
    }
    std::int32_t getCaps(void* preparsed, HidCaps& caps) override {
        return inTurn([&] { return base_.getCaps(preparsed, caps); });
    }
    bool getManufacturerString(HidHandle handle, void* buffer, std::uint32_t bytes) override {
        return inTurn([&] { return base_.getManufacturerString(handle, buffer, bytes); });
    }
    bool getProductString(HidHandle handle, void* buffer, std::uint32_t bytes) override {
        return inTurn([&] { return base_.getProductString(handle, buffer, bytes); });
    }
    bool getSerialNumberString(HidHandle handle, void* buffer, std::uint32_t bytes) override {
        return inTurn([&] { return base_.getSerialNumberString(handle, buffer, bytes); });
    }
    bool getIndexedString(HidHandle handle, std::uint32_t index, void* buffer,
                          std::uint32_t bytes) override {
        return inTurn([&] { return base_.getIndexedString(handle, index, buffer, bytes); });
    }
    bool getNumInputBuffers(HidHandle handle, std::uint32_t& count) override {
        return inTurn([&] { return base_.getNumInputBuffers(handle, count); });
    }
    bool setNumInputBuffers(HidHandle handle, std::uint32_t count) override {
        return inTurn([&] { return base_.setNumInputBuffers(handle, count); });
    }
    bool getPhysicalDescriptor(HidHandle handle, void* buffer, std::uint32_t bytes) override {
        return inTurn([&] { return base_.getPhysicalDescriptor(handle, buffer, bytes); });
    }
    bool getConfiguration(HidHandle handle, HidConfiguration& configuration) override {
        return inTurn([&] { return base_.getConfiguration(handle, configuration); });
    }
    bool setConfiguration(HidHandle handle, const HidConfiguration& configuration) override {
        return inTurn([&] { return base_.setConfiguration(handle, configuration); });
    }
    bool flushQueue(HidHandle handle) override {
        return inTurn([&] { return base_.flushQueue(handle); });
    }
    bool getFeature(HidHandle handle, void* report, std::uint32_t size) override {
        return inTurn([&] { return base_.getFeature(handle, report, size); });
    }
    bool setFeature(HidHandle handle, const void* report, std::uint32_t size) override {
        return inTurn([&] { return base_.setFeature(handle, report, size); });
    }
    bool getInputReport(HidHandle handle, void* report, std::uint32_t size) override {
        return inTurn([&] { return base_.getInputReport(handle, report, size); });
    }
    bool setOutputReport(HidHandle handle, const void* report, std::uint32_t size) override {
        return inTurn([&] { return base_.setOutputReport(handle, report, size); });
    }
    bool deviceIoControl(HidHandle handle, std::uint32_t code, const void* inBuffer,
                         std::uint32_t inSize, void* outBuffer, std::uint32_t outSize,
                         std::uint32_t& bytesReturned) override {
        return inTurn([&] {
            return base_.deviceIoControl(handle, code, inBuffer, inSize, outBuffer, outSize,
                                         bytesReturned);
        });
    }

    std::int32_t getButtonCaps(void* preparsed, std::uint32_t reportType, std::uint16_t usagePage,
                               std::uint16_t linkCollection, std::uint16_t usage, void* caps,
                               std::uint16_t& count) override {
        return base_.getButtonCaps(preparsed, reportType, usagePage, linkCollection, usage, caps,
                                   count);
    }
    std::int32_t getValueCaps(void* preparsed, std::uint32_t reportType, std::uint16_t usagePage,
                              std::uint16_t linkCollection, std::uint16_t usage, void* caps,
                              std::uint16_t& count) override {
        return base_.getValueCaps(preparsed, reportType, usagePage, linkCollection, usage, caps,
                                  count);
    }
    std::int32_t getData(void* preparsed, std::uint32_t reportType, void* dataList,
                         std::uint32_t& dataLength, void* report,
                         std::uint32_t reportLength) override {
        return base_.getData(preparsed, reportType, dataList, dataLength, report, reportLength);
    }
    std::int32_t setData(void* preparsed, std::uint32_t reportType, void* dataList,
                         std::uint32_t& dataLength, void* report,
                         std::uint32_t reportLength) override {
        return base_.setData(preparsed, reportType, dataList, dataLength, report, reportLength);
    }
    std::int32_t usages(UsageOp op, void* preparsed, std::uint32_t reportType,
                        std::uint16_t usagePage, std::uint16_t linkCollection,
                        std::uint16_t* usageList, std::uint32_t& usageLength, void* report,
                        std::uint32_t reportLength) override {
        return base_.usages(op, preparsed, reportType, usagePage, linkCollection, usageList,
                            usageLength, report, reportLength);
    }
    std::int32_t getUsagesEx(void* preparsed, std::uint32_t reportType,
                             std::uint16_t linkCollection, void* buttonList,
                             std::uint32_t& usageLength, void* report,
                             std::uint32_t reportLength) override {
        return base_.getUsagesEx(preparsed, reportType, linkCollection, buttonList, usageLength,
                                 report, reportLength);
    }
    std::int32_t getUsageValue(bool scaled, void* preparsed, std::uint32_t reportType,
                               std::uint16_t usagePage, std::uint16_t linkCollection,
                               std::uint16_t usage, std::int64_t& value, void* report,
                               std::uint32_t reportLength) override {
        return base_.getUsageValue(scaled, preparsed, reportType, usagePage, linkCollection, usage,
                                   value, report, reportLength);
    }
    std::int32_t setUsageValue(bool scaled, void* preparsed, std::uint32_t reportType,
                               std::uint16_t usagePage, std::uint16_t linkCollection,
                               std::uint16_t usage, std::int64_t value, void* report,
                               std::uint32_t reportLength) override {
        return base_.setUsageValue(scaled, preparsed, reportType, usagePage, linkCollection, usage,
                                   value, report, reportLength);
    }
    std::int32_t usageValueArray(bool set, void* preparsed, std::uint32_t reportType,
                                 std::uint16_t usagePage, std::uint16_t linkCollection,
                                 std::uint16_t usage, char* buffer, std::uint16_t bufferLength,
                                 void* report, std::uint32_t reportLength) override {
        return base_.usageValueArray(set, preparsed, reportType, usagePage, linkCollection, usage,
                                     buffer, bufferLength, report, reportLength);
    }
    std::int32_t getExtendedAttributes(void* preparsed, std::uint32_t reportType,
                                       std::uint16_t dataIndex, void* attributes,
                                       std::uint32_t& length) override {
        return base_.getExtendedAttributes(preparsed, reportType, dataIndex, attributes, length);
    }
    std::int32_t initializeReportForID(void* preparsed, std::uint32_t reportType,
                                       std::uint8_t reportId, void* report,
                                       std::uint32_t reportLength) override {
        return base_.initializeReportForID(preparsed, reportType, reportId, report, reportLength);
    }
    std::uint32_t maxDataListLength(void* preparsed, std::uint32_t reportType) override {
        return base_.maxDataListLength(preparsed, reportType);
    }
    std::uint32_t maxUsageListLength(void* preparsed, std::uint32_t reportType,
                                     std::uint16_t usagePage) override {
        return base_.maxUsageListLength(preparsed, reportType, usagePage);
    }

    bool write(HidHandle handle, const void* report, std::uint32_t toWrite,
               std::uint32_t& written) override {
        return base_.write(handle, report, toWrite, written);
    }
    bool read(HidHandle handle, void* report, std::uint32_t toRead,
              std::uint32_t& bytesRead) override {
        return base_.read(handle, report, toRead, bytesRead);
    }
    bool startRead(HidHandle handle, void* buffer, std::uint32_t toRead) override {
        return base_.startRead(handle, buffer, toRead);
    }
    bool startWrite(HidHandle handle, const void* buffer, std::uint32_t toWrite) override {
        return base_.startWrite(handle, buffer, toWrite);
    }
    HidWaitResult wait(HidHandle handle, std::uint32_t milliseconds) override {
        return base_.wait(handle, milliseconds);
    }
    std::uint32_t transferResult(HidHandle handle) override { return base_.transferResult(handle); }
    bool cancel(HidHandle handle) override { return base_.cancel(handle); }
    void interruptWait(HidHandle handle) override { base_.interruptWait(handle); }

    // The backends keep the last error per thread, so it is read unlocked.
    std::uint32_t lastError() const override { return base_.lastError(); }
    std::string errorMessage(std::uint32_t code) const override { return base_.errorMessage(code); }
    bool languageName(std::uint16_t languageId, std::u16string& name) const override {
        return base_.languageName(languageId, name);
    }

private:
    SharedHidPlatform& share_;
    HidPlatform& base_;
};

SharedHidPlatform::SharedHidPlatform(HidPlatform& base) : base_(base) {
    base_.startWatching([this] { changed(); });
}

SharedHidPlatform::~SharedHidPlatform() {
    base_.stopWatching();
}

std::unique_ptr<HidPlatform> SharedHidPlatform::view() {
    return std::make_unique<View>(*this);
}

void SharedHidPlatform::changed() {
    const std::lock_guard lock(watchMutex_);
    for (const auto& watcher : watchers_) {
        watcher.second();
    }
}
