// Start-up, recognising the unit among the HID devices, and following devices
// as they come and go.

#include "AppFixture.h"
#include "QtPrinters.h"
#include "main/DevReader.h"
#include "sim/SimDevices.h"

#include <QApplication>
#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>

namespace {

using StartupTest = AppFixture;

}  // namespace

TEST_F(StartupTest, WithoutAnyDeviceNothingIsSentAndTheUnitIsShownAbsent) {
    start();
    tick(2);

    EXPECT_TRUE(history().isEmpty());
    EXPECT_TRUE(items(control<QListWidget>("DevListBox")).isEmpty());
    EXPECT_TRUE(control<QCheckBox>("cbGetStatusAuto")->isChecked());
    EXPECT_TRUE(sent().empty());
    EXPECT_EQ(statusPanel(0), "Kelmarion 02122016");
    EXPECT_EQ(statusPanel(1), "Uredjaj NIJE prisutan");
    auto* panel = control<QFrame>("sPanel1");
    EXPECT_FALSE(panel->isEnabled());
    EXPECT_EQ(panel->palette().color(QPalette::Window), QColor(0xFF, 0x00, 0x00));
    EXPECT_FALSE(control<QPushButton>("btRele1Togle")->isEnabled());
}

TEST_F(StartupTest, OneUnitIsConnectedAskedForItsFirmwareAndPolled) {
    SimUnitDevice& unit = addUnit("S1");
    unit.unit().setFirmwareText("FW 1.0");
    start();

    EXPECT_EQ(history(), QStringList{"Arrival of Brevalon 8 (Serial=S1)"});
    EXPECT_EQ(items(control<QListWidget>("DevListBox")), QStringList{"Brevalon 8 (Serial=S1)"});
    // Once for the first look at activation, once for the controller's
    // start-up notification.
    const std::vector<std::string> written = sent();
    ASSERT_GE(written.size(), 2u);
    EXPECT_EQ(written[0], reportHex("00 47 46"));
    EXPECT_EQ(written[1], reportHex("00 47 46"));
    EXPECT_EQ(countSent("00 47 46"), 2);
    EXPECT_TRUE(control<QCheckBox>("cbGetStatusAuto")->isChecked());

    EXPECT_TRUE(pumpUntil([&] {
        return control<QLabel>("lbFirmwareInfo")->text() == "FW 1.0" &&
               control<QLabel>("lbGSMSignal")->text() == "GSM Signal [RSSI: 21]";
    }));
    EXPECT_GE(countSent(reportHex("00 47 53")), 1);
    EXPECT_EQ(statusPanel(1), "Uredjaj prisutan");
    EXPECT_TRUE(control<QFrame>("sPanel1")->isEnabled());
    EXPECT_NE(control<QFrame>("sPanel1")->palette().color(QPalette::Window),
              QColor(0xFF, 0x00, 0x00));
}

TEST_F(StartupTest, AKeyboardBesideTheUnitIsListedButNeverWrittenTo) {
    platform.plug(keyboardDevice("kbd"));
    SimUnitDevice& unit = addUnit("S1");
    start();
    EXPECT_TRUE(pumpUntil([&] { return countSent("00 47 53", unit.path()) >= 2; }));

    EXPECT_EQ(history(), (QStringList{"Arrival of Device VID=0001 PID=00AB",
                                      "Arrival of Brevalon 8 (Serial=S1)"}));
    EXPECT_EQ(items(control<QListWidget>("DevListBox")),
              (QStringList{"Device VID=0001 PID=00AB", "Brevalon 8 (Serial=S1)"}));
    EXPECT_TRUE(sent("kbd").empty());
    EXPECT_EQ(countSent("00 47 46", unit.path()), 2);
}

TEST_F(StartupTest, TwoUnitsAreBothAskedCommandsGoToTheLastAndBothAreHeard) {
    SimUnitDevice& first = addUnit("A");
    SimUnitDevice& second = addUnit("B");
    start();
    EXPECT_EQ(countSent("00 47 46", first.path()), 2);
    EXPECT_EQ(countSent("00 47 46", second.path()), 2);

    // Polling off, and the second unit's replies all shown: it answers in
    // order, so a report of the test's own comes after them.
    auto* signal = control<QLabel>("lbGSMSignal");
    std::vector<std::uint8_t> status = reportOf("00 47 53 00 EE");
    control<QCheckBox>("cbGetStatusAuto")->setChecked(false);
    platform.sendInput(second.path(), status);
    ASSERT_TRUE(pumpUntil([&] { return signal->text() == "GSM Signal [RSSI: 238]"; }));

    second.unit().behaviour().dropAllReplies = true;
    platform.clearTranscript();
    control<QPushButton>("btGetStatus")->click();
    EXPECT_EQ(sent(second.path()), std::vector<std::string>{reportHex("00 47 53")});
    EXPECT_TRUE(sent(first.path()).empty());

    // Replies of the first unit are dispatched as well.
    status[4] = 7;
    platform.sendInput(first.path(), status);
    EXPECT_TRUE(pumpUntil([&] { return signal->text() == "GSM Signal [RSSI: 7]"; }));
}

// Only a product string that holds "Brevalon 8" exactly, anywhere, makes a
// device the unit; a device without one is named by its IDs.
TEST_F(StartupTest, DevicesAreNamedAndMatchedByTheirProductString) {
    platform.plug(keyboardDevice("longer", "My Brevalon 89"));
    platform.plug(keyboardDevice("lower", "brevalon 8"));
    platform.plug(keyboardDevice("ids"));
    SimDeviceDescription withSerial = keyboardDevice("serial", std::nullopt, 0x1234, 0xABCD);
    withSerial.serial = simText("K-7");
    platform.plug(withSerial);
    SimUnitDevice& unit = addUnit("X1");
    start();

    EXPECT_EQ(items(control<QListWidget>("DevListBox")),
              (QStringList{"My Brevalon 89", "brevalon 8", "Device VID=0001 PID=00AB",
                           "Device VID=1234 PID=ABCD (Serial=K-7)", "Brevalon 8 (Serial=X1)"}));
    // A matching device is sent "GF" in as many bytes as its output report has.
    EXPECT_EQ(countSent("00 47", "longer"), 2);
    EXPECT_EQ(sent("longer")[0], "00 47");
    EXPECT_TRUE(sent("lower").empty());
    EXPECT_TRUE(sent("ids").empty());
    EXPECT_TRUE(sent("serial").empty());
    EXPECT_EQ(countSent(reportHex("00 47 46"), unit.path()), 2);
}

TEST_F(StartupTest, RemovalLeavesNoDeviceAndArrivalConnectsAgain) {
    SimUnitDevice& unit = addUnit("S1");
    start();
    auto* automatic = control<QCheckBox>("cbGetStatusAuto");

    unit.unplug();
    ASSERT_TRUE(pumpUntil([&] { return history().size() == 2; }));
    EXPECT_EQ(history(), (QStringList{"Arrival of Brevalon 8 (Serial=S1)",
                                      "Removal of Brevalon 8 (Serial=S1)"}));
    EXPECT_EQ(control<QListWidget>("HistoryListBox")->currentRow(), 1);
    EXPECT_TRUE(items(control<QListWidget>("DevListBox")).isEmpty());
    EXPECT_FALSE(automatic->isChecked());
    EXPECT_FALSE(mainForm().hasCurrentDevice());
    tick();
    EXPECT_EQ(statusPanel(1), "Uredjaj NIJE prisutan");
    EXPECT_FALSE(control<QFrame>("sPanel1")->isEnabled());

    // Every command does nothing now, whatever the user answers.
    platform.clearTranscript();
    automatic->setChecked(true);
    dialogs->answer(DialogService::Answer::Yes);
    bool dialogOpened = false;
    QTimer::singleShot(0, &mainForm(), [&dialogOpened] {
        if (QWidget* dialog = QApplication::activeModalWidget()) {
            dialogOpened = true;
            dialog->close();
        }
    });
    for (const char* button :
         {"btGetStatus", "btFirmwareInfo", "btRele1Togle", "btResetToBoot", "btHIDInfo"}) {
        control<QPushButton>(button)->click();
    }
    tick();
    pumpFor(50);
    EXPECT_TRUE(sent().empty());
    EXPECT_FALSE(dialogOpened);
    // The boot question is asked all the same.
    EXPECT_EQ(dialogs->texts(),
              QStringList{"Da li zaista zelite da pokrenete BOOT mod na uredjaju? Ovaj mod je "
                          "potreban samo pri nadogradnji firmware-a uredjaja!"});

    unit.plug();
    ASSERT_TRUE(pumpUntil([&] { return history().size() == 3; }));
    EXPECT_EQ(history().last(), "Arrival of Brevalon 8 (Serial=S1)");
    EXPECT_TRUE(mainForm().hasCurrentDevice());
    EXPECT_TRUE(automatic->isChecked());
    EXPECT_EQ(sent(unit.path()).front(), reportHex("00 47 46"));
}
