// The HID information dialog, opened from the hidden "HID Info" button.

#include "AppFixture.h"
#include "QtPrinters.h"
#include "main/DevReader.h"
#include "sim/SimDevices.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QTimer>

namespace {

using InfoTest = AppFixture;

struct Shown {
    QString className;
    QString vendor, product, serial, vid, pid, version, input, output, feature;
    QStringList strings, languages;
};

}  // namespace

TEST_F(InfoTest, ShowsTheCurrentDevicesIdentityLengthsStringsAndLanguages) {
    SimDeviceDescription desc = keyboardDevice("unit", "Brevalon 8", 0x000A, 0xBEEF);
    desc.attributes.VersionNumber = 0x0102;
    desc.caps.InputReportByteLength = 65;
    desc.caps.OutputReportByteLength = 65;
    desc.caps.FeatureReportByteLength = 0;
    desc.manufacturer = simText("Maker");
    desc.serial = simText("SN-1");
    desc.indexedStrings = {{1, simText("Maker")},
                           {2, simText("Brevalon 8")},
                           {3, simText("SN-1")},
                           {255, simText("Last")}};
    desc.languageIds = {0x0409, 0x041A, 0x0C0C};
    platform.plug(desc);
    start();
    control<QCheckBox>("cbGetStatusAuto")->setChecked(false);
    platform.clearTranscript();

    std::vector<Shown> openings;
    for (int opening = 0; opening < 2; ++opening) {
        QTimer::singleShot(0, &mainForm(), [this, &openings] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            // Restored from minimised: shown again, filled once.
            dialog->showMinimized();
            dialog->showNormal();
            auto text = [&](const char* name) { return control<QLabel>(dialog, name)->text(); };
            openings.push_back({dialog->metaObject()->className(), text("VendorName"),
                                text("ProductName"), text("SerialNo"), text("Vid"), text("Pid"),
                                text("Vers"), text("InputLen"), text("OutputLen"),
                                text("FeatureLen"),
                                items(control<QListWidget>(dialog, "DevStrings")),
                                items(control<QListWidget>(dialog, "LangStrings"))});
            EXPECT_EQ(dialog->windowTitle(), "HID Device Info");
            dialog->close();
        });
        control<QPushButton>("btHIDInfo")->click();
    }

    ASSERT_EQ(openings.size(), 2u);
    for (const Shown& shown : openings) {
        EXPECT_EQ(shown.className, "TInfoForm");
        EXPECT_EQ(shown.vendor, "Maker");
        EXPECT_EQ(shown.product, "Brevalon 8");
        EXPECT_EQ(shown.serial, "SN-1");
        EXPECT_EQ(shown.vid, "000A");
        EXPECT_EQ(shown.pid, "BEEF");
        EXPECT_EQ(shown.version, "0102");
        EXPECT_EQ(shown.input, "40");
        EXPECT_EQ(shown.output, "40");
        EXPECT_EQ(shown.feature, "0");
        EXPECT_EQ(shown.strings,
                  (QStringList{"  1) Maker", "  2) Brevalon 8", "  3) SN-1", "255) Last"}));
        EXPECT_EQ(shown.languages, (QStringList{"English (United States)", "Croatian (Croatia)",
                                                "unknown Locale ID $0C0C"}));
    }
    // Each opening made its own dialog, destroyed when it was closed.
    EXPECT_TRUE(mainForm().findChildren<QDialog*>().isEmpty());
    // The dialog only asks the device; it sends nothing.
    EXPECT_TRUE(sent().empty());
}

TEST_F(InfoTest, ClosesWhenTheDevicesChange) {
    addUnit("S1");
    start();
    bool closedByChange = false;
    QTimer::singleShot(0, &mainForm(), [this, &closedByChange] {
        QPointer<QWidget> dialog = QApplication::activeModalWidget();
        ASSERT_NE(dialog, nullptr);
        // Another device: the change releases the unit's device object too.
        platform.plug(keyboardDevice("kbd"));
        closedByChange = pumpUntil([&] { return dialog.isNull() || !dialog->isVisible(); });
        if (!closedByChange) {
            dialog->close();
        }
    });
    control<QPushButton>("btHIDInfo")->click();

    EXPECT_TRUE(closedByChange);
    EXPECT_TRUE(mainForm().findChildren<QDialog*>().isEmpty());
    EXPECT_EQ(history().last(), "Arrival of Device VID=0001 PID=00AB");
}
