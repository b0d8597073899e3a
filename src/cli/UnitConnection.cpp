#include "cli/UnitConnection.h"

#include <span>

#include "hid/THidDevice.h"
#include "hid/THidDeviceController.h"
#include "link/ReportWriter.h"
#include "link/TraceWriter.h"
#include "link/UnitAccess.h"
#include "protocol/CommandReport.h"
#include "protocol/Reply.h"

QString UnitListing::displayName() const {
    return serial.isEmpty() ? product : QStringLiteral("%1 (Serial=%2)").arg(product, serial);
}

UnitConnection::UnitConnection(HidPlatform& platform, UiThread& uiThread, TTraceWriter* trace)
    : trace_(trace),
      controller_(std::make_unique<THidDeviceController>(platform, uiThread)),
      exchange_([this](const protocol::CommandReport& report) { return send(report); }) {
    controller_->setOnEnumerate(THidEnumerateEvent::bind(this, &UnitConnection::listDevice));
    // Runs the first change pass at once, so the units are listed from here on.
    controller_->setOnDeviceChange(THidNotifyEvent::bind(this, &UnitConnection::deviceChange));
}

UnitConnection::~UnitConnection() {
    // The controller stops the reader of the unit held, which this object
    // then destroys.
    controller_.reset();
    delete device_;
}

void UnitConnection::deviceChange(THidDeviceController* /*sender*/) {
    // The unit that left is let go here, not in its unplug handler, which
    // runs inside the device object.
    if (device_ != nullptr && !device_->IsPluggedIn()) {
        delete device_;
        device_ = nullptr;
    }
    units_.clear();
    unitIndices_.clear();
    controller_->Enumerate();
    if (changed_) {
        changed_();
    }
}

bool UnitConnection::listDevice(THidDevice* device, std::int32_t index) {
    const QString product = QString::fromStdU16String(device->ProductName());
    if (product.contains(UnitProductName, Qt::CaseSensitive)) {
        units_.push_back({QString::fromStdU16String(device->SerialNumber()), product,
                          QString::fromStdString(device->PnPInfo().DevicePath()),
                          device->HasReadWriteAccess()});
        unitIndices_.push_back(index);
    }
    return true;
}

bool UnitConnection::open(std::size_t index) {
    if (index >= units_.size() || !units_[index].mayOpen || device_ != nullptr ||
        !controller_->CheckOutByIndex(device_, unitIndices_[index])) {
        return false;
    }
    device_->setOnUnplug(THidPlugEvent::bind(this, &UnitConnection::unplugged));
    device_->setOnData(THidDataEvent::bind(this, &UnitConnection::showRead));
    exchange_.unitArrived();
    return true;
}

bool UnitConnection::isOpen() const {
    return device_ != nullptr && device_->IsPluggedIn();
}

bool UnitConnection::send(const protocol::CommandReport& report) {
    if (device_ == nullptr || !device_->IsPluggedIn()) {
        return false;
    }
    return writeCommandReport(*device_, report, trace_);
}

void UnitConnection::showRead(THidDevice* /*device*/, std::uint8_t reportId,
                              const std::uint8_t* data, std::uint16_t size) {
    if (trace_ != nullptr) {
        trace_->received(reportId, data, size);
    }
    exchange_.replyArrived(protocol::Reply(std::span(data, size)));
}

void UnitConnection::unplugged(THidDevice* /*device*/) {
    exchange_.unitLeft();
}
