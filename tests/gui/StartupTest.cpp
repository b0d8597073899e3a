// Start-up, recognising the unit among the HID devices, and following devices
// as they come and go.

#include "AppFixture.h"
#include "QtPrinters.h"
#include "main/DevReader.h"
#include "sim/SimDevices.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <string>
#include <utility>

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
    EXPECT_EQ(panel->palette().color(QPalette::Window), QColor(0xFF, 0xCC, 0xCC));
    EXPECT_FALSE(control<QPushButton>("btRele1Togle")->isEnabled());
    EXPECT_EQ(control<QProgressBar>("gaGSMSignal")->value(), 0);
    EXPECT_EQ(mainForm().windowTitle(), QStringLiteral("Brevalon Mini Setup"));
}

// The contrast of two colours as the accessibility guidelines define it,
// from 1 (the same) to 21 (black on white).
double contrast(const QColor& a, const QColor& b) {
    const auto luminance = [](const QColor& c) {
        const auto channel = [](double v) {
            return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) +
               0.0722 * channel(c.blueF());
    };
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// Every text on the status panel stays readable, with a unit and without
// one (the panel disabled and light red), whatever colour a reply gives it.
TEST_F(StartupTest, EveryTextOnThePanelIsReadableWithAndWithoutAUnit) {
    SimUnitDevice& unit = addUnit("S1");
    start();
    auto* panel = control<QFrame>("sPanel1");
    auto* gauge = control<QProgressBar>("gaGSMSignal");
    const auto check = [&](const std::string& state) {
        SCOPED_TRACE(state);
        const QColor background = panel->palette().color(QPalette::Window);
        for (QLabel* label : panel->findChildren<QLabel*>()) {
            const QPalette::ColorGroup group =
                label->isEnabled() ? QPalette::Active : QPalette::Disabled;
            EXPECT_GE(contrast(label->palette().color(group, QPalette::WindowText), background),
                      4.5)
                << label->objectName().toStdString() << " " << label->text().toStdString();
        }
        for (QWidget* control : {static_cast<QWidget*>(control<QPushButton>("btRele1Togle")),
                                 static_cast<QWidget*>(gauge)}) {
            const QPalette::ColorGroup group =
                control->isEnabled() ? QPalette::Active : QPalette::Disabled;
            const bool isButton = control != gauge;
            const QPalette& p = control->palette();
            EXPECT_GE(contrast(p.color(group, isButton ? QPalette::ButtonText : QPalette::Text),
                               p.color(group, isButton ? QPalette::Button : QPalette::Base)),
                      4.5)
                << control->objectName().toStdString();
        }
    };
    stopTicks();
    auto* network = control<QLabel>("lbNetworkState");
    for (const auto& [state, text] : {std::pair{0, "NOT_REGISTERED"}, std::pair{1, "HOME_NETWORK"},
                                      std::pair{3, "SEARCHING..."}, std::pair{7, "UNDEFINED!?"}}) {
        std::vector<std::uint8_t> status = reportOf("00 47 53 05 15");
        status[62] = static_cast<std::uint8_t>(state);
        platform.sendInput(unit.path(), status);
        ASSERT_TRUE(pumpUntil([&] { return network->text() == text; }));
        check(std::string("present, ") + text);
        EXPECT_EQ(gauge->value(), 5);
    }
    unit.unplug();
    ASSERT_TRUE(pumpUntil([&] { return !mainForm().hasCurrentDevice(); }));
    tick();
    EXPECT_FALSE(panel->isEnabled());
    check("absent");
    EXPECT_EQ(gauge->value(), 0);
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
              QColor(0xFF, 0xCC, 0xCC));
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

// With several units the chooser names them by serial number; the tool
// talks to the one chosen (the one listed last at first) and hears no other.
TEST_F(StartupTest, OfSeveralUnitsTheChosenOneIsNamedAskedAndTheOnlyOneHeard) {
    SimUnitDevice& first = addUnit("A");
    SimUnitDevice& second = addUnit("B");
    start();
    auto* chooser = control<QComboBox>("cmbUnit");
    EXPECT_TRUE(chooser->isVisibleTo(&mainForm()));
    ASSERT_EQ(chooser->count(), 2);
    EXPECT_EQ(chooser->itemText(0), "A");
    EXPECT_EQ(chooser->itemText(1), "B");
    EXPECT_EQ(chooser->currentText(), "B");
    EXPECT_EQ(mainForm().windowTitle(), QStringLiteral("Brevalon Mini Setup \u2014 B"));
    EXPECT_TRUE(sent(first.path()).empty());
    EXPECT_EQ(countSent("00 47 46", second.path()), 2);

    auto* signal = control<QLabel>("lbGSMSignal");
    control<QCheckBox>("cbGetStatusAuto")->setChecked(false);
    auto* number = control<QLineEdit>(windowOf("TfrmGSMNumbers"), "edGSMN1");
    number->setText("0641234567");
    platform.clearTranscript();
    chooser->setCurrentIndex(0);
    emit chooser->activated(0);
    EXPECT_EQ(mainForm().windowTitle(), QStringLiteral("Brevalon Mini Setup \u2014 A"));
    EXPECT_EQ(chooser->currentText(), "A");
    EXPECT_EQ(sent(first.path()), std::vector<std::string>{reportHex("00 47 46")});
    EXPECT_TRUE(sent(second.path()).empty());
    EXPECT_EQ(number->text(), "0641234567");

    // Replies of the unit no longer chosen reach no window.
    std::vector<std::uint8_t> status = reportOf("00 47 53 00 EE");
    platform.sendInput(second.path(), status);
    status[4] = 7;
    platform.sendInput(first.path(), status);
    EXPECT_TRUE(pumpUntil([&] { return signal->text() == "GSM Signal [RSSI: 7]"; }));
    pumpFor(50);
    EXPECT_EQ(signal->text(), "GSM Signal [RSSI: 7]");
    control<QPushButton>("btGetStatus")->click();
    EXPECT_EQ(sent(first.path()).back(), reportHex("00 47 53"));
    EXPECT_TRUE(sent(second.path()).empty());

    // The choice outlasts device changes; without a second unit there is
    // nothing to choose.
    second.unplug();
    ASSERT_TRUE(pumpUntil([&] { return !chooser->isVisibleTo(&mainForm()); }));
    EXPECT_EQ(mainForm().windowTitle(), QStringLiteral("Brevalon Mini Setup \u2014 A"));
    first.unplug();
    ASSERT_TRUE(pumpUntil([&] { return !mainForm().hasCurrentDevice(); }));
    EXPECT_EQ(mainForm().windowTitle(), QStringLiteral("Brevalon Mini Setup"));
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
    // A matching device is a unit to choose, but not the one connected.
    EXPECT_EQ(control<QComboBox>("cmbUnit")->itemText(0), "(bez serijskog broja)");
    EXPECT_TRUE(sent("longer").empty());
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
