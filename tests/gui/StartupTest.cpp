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
    Start();
    Main().Timer1Timer();
    Main().Timer1Timer();

    EXPECT_TRUE(History().isEmpty());
    EXPECT_TRUE(Items(Control<QListWidget>("DevListBox")).isEmpty());
    EXPECT_TRUE(Control<QCheckBox>("cbGetStatusAuto")->isChecked());
    EXPECT_TRUE(Sent().empty());
    EXPECT_EQ(StatusPanel(0), "Kelmarion 02122016");
    EXPECT_EQ(StatusPanel(1), "Uredjaj NIJE prisutan");
    auto* panel = Control<QFrame>("sPanel1");
    EXPECT_FALSE(panel->isEnabled());
    EXPECT_EQ(panel->palette().color(QPalette::Window), QColor(0xFF, 0x00, 0x00));
    EXPECT_FALSE(Control<QPushButton>("btRele1Togle")->isEnabled());
}

TEST_F(StartupTest, OneUnitIsConnectedAskedForItsFirmwareAndPolled) {
    SimUnitDevice& unit = AddUnit("S1");
    unit.unit().setFirmwareText("FW 1.0");
    Start();

    EXPECT_EQ(History(), QStringList{"Arrival of Brevalon 8 (Serial=S1)"});
    EXPECT_EQ(Items(Control<QListWidget>("DevListBox")), QStringList{"Brevalon 8 (Serial=S1)"});
    // Once for the first look at activation, once for the controller's
    // start-up notification.
    const std::vector<std::string> sent = Sent();
    ASSERT_GE(sent.size(), 2u);
    EXPECT_EQ(sent[0], reportHex("00 47 46"));
    EXPECT_EQ(sent[1], reportHex("00 47 46"));
    EXPECT_EQ(CountSent("00 47 46"), 2);
    EXPECT_TRUE(Control<QCheckBox>("cbGetStatusAuto")->isChecked());

    EXPECT_TRUE(PumpUntil([&] {
        return Control<QLabel>("lbFirmwareInfo")->text() == "FW 1.0" &&
               Control<QLabel>("lbGSMSignal")->text() == "GSM Signal [RSSI: 21]";
    }));
    EXPECT_GE(CountSent(reportHex("00 47 53")), 1);
    EXPECT_EQ(StatusPanel(1), "Uredjaj prisutan");
    EXPECT_TRUE(Control<QFrame>("sPanel1")->isEnabled());
    EXPECT_NE(Control<QFrame>("sPanel1")->palette().color(QPalette::Window),
              QColor(0xFF, 0x00, 0x00));
}

TEST_F(StartupTest, AKeyboardBesideTheUnitIsListedButNeverWrittenTo) {
    Platform.plug(keyboardDevice("kbd"));
    SimUnitDevice& unit = AddUnit("S1");
    Start();
    EXPECT_TRUE(PumpUntil([&] { return CountSent("00 47 53", unit.path()) >= 2; }));

    EXPECT_EQ(History(), (QStringList{"Arrival of Device VID=0001 PID=00AB",
                                      "Arrival of Brevalon 8 (Serial=S1)"}));
    EXPECT_EQ(Items(Control<QListWidget>("DevListBox")),
              (QStringList{"Device VID=0001 PID=00AB", "Brevalon 8 (Serial=S1)"}));
    EXPECT_TRUE(Sent("kbd").empty());
    EXPECT_EQ(CountSent("00 47 46", unit.path()), 2);
}

TEST_F(StartupTest, TwoUnitsAreBothAskedCommandsGoToTheLastAndBothAreHeard) {
    SimUnitDevice& first = AddUnit("A");
    SimUnitDevice& second = AddUnit("B");
    Start();
    EXPECT_EQ(CountSent("00 47 46", first.path()), 2);
    EXPECT_EQ(CountSent("00 47 46", second.path()), 2);

    // Polling off, and the second unit's replies all shown: it answers in
    // order, so a report of the test's own comes after them.
    auto* signal = Control<QLabel>("lbGSMSignal");
    std::vector<std::uint8_t> status = reportOf("00 47 53 00 EE");
    Control<QCheckBox>("cbGetStatusAuto")->setChecked(false);
    Platform.sendInput(second.path(), status);
    ASSERT_TRUE(PumpUntil([&] { return signal->text() == "GSM Signal [RSSI: 238]"; }));

    second.unit().behaviour().dropAllReplies = true;
    Platform.clearTranscript();
    Control<QPushButton>("btGetStatus")->click();
    EXPECT_EQ(Sent(second.path()), std::vector<std::string>{reportHex("00 47 53")});
    EXPECT_TRUE(Sent(first.path()).empty());

    // Replies of the first unit are dispatched as well.
    status[4] = 7;
    Platform.sendInput(first.path(), status);
    EXPECT_TRUE(PumpUntil([&] { return signal->text() == "GSM Signal [RSSI: 7]"; }));
}

// Only a product string that holds "Brevalon 8" exactly, anywhere, makes a
// device the unit; a device without one is named by its IDs.
TEST_F(StartupTest, DevicesAreNamedAndMatchedByTheirProductString) {
    Platform.plug(keyboardDevice("longer", "My Brevalon 89"));
    Platform.plug(keyboardDevice("lower", "brevalon 8"));
    Platform.plug(keyboardDevice("ids"));
    SimDeviceDescription withSerial = keyboardDevice("serial", std::nullopt, 0x1234, 0xABCD);
    withSerial.serial = simText("K-7");
    Platform.plug(withSerial);
    SimUnitDevice& unit = AddUnit("X1");
    Start();

    EXPECT_EQ(Items(Control<QListWidget>("DevListBox")),
              (QStringList{"My Brevalon 89", "brevalon 8", "Device VID=0001 PID=00AB",
                           "Device VID=1234 PID=ABCD (Serial=K-7)", "Brevalon 8 (Serial=X1)"}));
    // A matching device is sent "GF" in as many bytes as its output report has.
    EXPECT_EQ(CountSent("00 47", "longer"), 2);
    EXPECT_EQ(Sent("longer")[0], "00 47");
    EXPECT_TRUE(Sent("lower").empty());
    EXPECT_TRUE(Sent("ids").empty());
    EXPECT_TRUE(Sent("serial").empty());
    EXPECT_EQ(CountSent(reportHex("00 47 46"), unit.path()), 2);
}

TEST_F(StartupTest, RemovalLeavesNoDeviceAndArrivalConnectsAgain) {
    SimUnitDevice& unit = AddUnit("S1");
    Start();
    auto* automatic = Control<QCheckBox>("cbGetStatusAuto");

    unit.unplug();
    ASSERT_TRUE(PumpUntil([&] { return History().size() == 2; }));
    EXPECT_EQ(History(), (QStringList{"Arrival of Brevalon 8 (Serial=S1)",
                                      "Removal of Brevalon 8 (Serial=S1)"}));
    EXPECT_EQ(Control<QListWidget>("HistoryListBox")->currentRow(), 1);
    EXPECT_TRUE(Items(Control<QListWidget>("DevListBox")).isEmpty());
    EXPECT_FALSE(automatic->isChecked());
    EXPECT_FALSE(Main().hasCurrentDevice());
    Main().Timer1Timer();
    EXPECT_EQ(StatusPanel(1), "Uredjaj NIJE prisutan");
    EXPECT_FALSE(Control<QFrame>("sPanel1")->isEnabled());

    // Every command does nothing now, whatever the user answers.
    Platform.clearTranscript();
    automatic->setChecked(true);
    Dialogs->answer(DialogService::Answer::Yes);
    bool dialogOpened = false;
    QTimer::singleShot(0, &Main(), [&dialogOpened] {
        if (QWidget* dialog = QApplication::activeModalWidget()) {
            dialogOpened = true;
            dialog->close();
        }
    });
    for (const char* button :
         {"btGetStatus", "btFirmwareInfo", "btRele1Togle", "btResetToBoot", "btHIDInfo"}) {
        Control<QPushButton>(button)->click();
    }
    Main().Timer1Timer();
    PumpFor(50);
    EXPECT_TRUE(Sent().empty());
    EXPECT_FALSE(dialogOpened);
    // The boot question is asked all the same.
    EXPECT_EQ(Dialogs->texts(),
              QStringList{"Da li zaista zelite da pokrenete BOOT mod na uredjaju? Ovaj mod je "
                          "potreban samo pri nadogradnji firmware-a uredjaja!"});

    unit.plug();
    ASSERT_TRUE(PumpUntil([&] { return History().size() == 3; }));
    EXPECT_EQ(History().last(), "Arrival of Brevalon 8 (Serial=S1)");
    EXPECT_TRUE(Main().hasCurrentDevice());
    EXPECT_TRUE(automatic->isChecked());
    EXPECT_EQ(Sent(unit.path()).front(), reportHex("00 47 46"));
}
