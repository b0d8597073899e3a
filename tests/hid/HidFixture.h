#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "ManualUiThread.h"
#include "ReportBytes.h"
#include "hid/HidControllerClass.h"
#include "sim/SimHidPlatform.h"

// A device as the tests describe it: 65-byte reports, one language.
inline SimDeviceDescription testDevice(const std::string& path,
                                       std::u16string product = u"Brevalon 8",
                                       std::uint16_t vid = 0x1234, std::uint16_t pid = 0x0001) {
    SimDeviceDescription desc;
    desc.path = path;
    desc.product = std::move(product);
    desc.manufacturer = u"Brevalon";
    desc.attributes.VendorID = vid;
    desc.attributes.ProductID = pid;
    desc.attributes.VersionNumber = 0x0100;
    desc.caps.InputReportByteLength = 65;
    desc.caps.OutputReportByteLength = 65;
    desc.languageIds = {0x0409};
    return desc;
}

// Records every event as a line of text.
struct EventLog {
    std::vector<std::string> events;

    static std::string path(THidDevice* dev) { return dev->PnPInfo().DevicePath(); }
    void onArrival(THidDevice* dev) { events.push_back("arrival " + path(dev)); }
    void onRemoval(THidDevice* dev) {
        const bool closed = dev->HidFileHandle() == InvalidHandle &&
                            dev->HidOverlappedRead() == InvalidHandle &&
                            dev->HidOverlappedWrite() == InvalidHandle;
        events.push_back("removal " + path(dev) + (dev->IsPluggedIn() ? " plugged" : " gone") +
                         (closed ? "" : " open"));
    }
    void onUnplug(THidDevice* dev) { events.push_back("unplug " + path(dev)); }
    void onDeviceChange(THidDeviceController*) { events.push_back("change"); }
    void onOtherDeviceChange(THidDeviceController*) { events.push_back("other change"); }
    void onError(THidDevice* dev, std::uint32_t code) {
        events.push_back("error " + path(dev) + " " + std::to_string(code));
    }
    void onData(THidDevice* dev, std::uint8_t id, const std::uint8_t* data, std::uint16_t size) {
        std::vector<std::uint8_t> report;
        report.reserve(size + 1u);
        report.push_back(id);
        for (std::uint16_t i = 0; i < size; ++i) {
            report.push_back(data[i]);
        }
        events.push_back("data " + path(dev) + " " + hexOf(report));
    }
    std::vector<std::string> take() { return std::exchange(events, {}); }
};

class HidTest : public ::testing::Test {
protected:
    void TearDown() override { ctl.reset(); }

    // Creates the controller as the main window does: layout handlers first,
    // then OnDeviceChange, then the event loop handles the initial notification.
    void start() {
        ctl = std::make_unique<THidDeviceController>(sim, ui);
        ctl->setOnArrival(THidPlugEvent::bind(&log, &EventLog::onArrival));
        ctl->setOnRemoval(THidPlugEvent::bind(&log, &EventLog::onRemoval));
        ctl->setOnDeviceChange(THidNotifyEvent::bind(&log, &EventLog::onDeviceChange));
        ui.pump();
    }

    std::vector<std::string> paths() const {
        std::vector<std::string> out;
        for (THidDevice* dev : ctl->Devices()) {
            out.push_back(dev->PnPInfo().DevicePath());
        }
        return out;
    }

    std::vector<int> counts() const {
        return {ctl->NumCheckedInDevices(), ctl->NumCheckedOutDevices(),
                ctl->NumUnpluggedDevices()};
    }

    SimHidPlatform sim;
    ManualUiThread ui;
    EventLog log;
    std::unique_ptr<THidDeviceController> ctl;
};
