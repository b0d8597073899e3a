// A unit this user may open only for queries: the tool says so instead of
// showing a unit that never answers. Another device this user may not open
// changes nothing for the unit.

#include "AppFixture.h"
#include "QtPrinters.h"
#include "main/DevReader.h"
#include "sim/SimDevices.h"

#include <QFontMetrics>
#include <QLabel>
#include <QListWidget>

namespace {

using PermissionTest = AppFixture;

SimDeviceDescription queryOnlyUnit() {
    SimDeviceDescription unit = keyboardDevice("/dev/hidraw7", "Brevalon 8");
    unit.queryOnly = true;
    return unit;
}

QStringList errorTexts(const ScriptedDialogService& dialogs) {
    QStringList texts;
    for (const auto& call : dialogs.calls()) {
        if (call.kind == ScriptedDialogService::Kind::Error) {
            texts << call.text;
        }
    }
    return texts;
}

// Whether the panel shows its text whole: the text as the panel's own font
// draws it, plus a letter for the indent a framed label keeps, within the
// panel's contents.
bool showsWhole(const QLabel* panel) {
    const QFontMetrics metrics = panel->fontMetrics();
    return metrics.horizontalAdvance(panel->text()) + metrics.horizontalAdvance(QLatin1Char('x')) <=
           panel->contentsRect().width();
}

}  // namespace

TEST_F(PermissionTest, EveryPresenceTextFitsItsPanel) {
    platform.plug(queryOnlyUnit());
    start();
    auto* panel = control<QLabel>("StatusPanel1");
    const struct {
        std::function<void()> change;
        QString shown;
    } cases[] = {
        {[] {}, "Uredjaj prisutan, ali nema dozvole za pristup"},
        {[&] { addUnit("S1"); }, "Uredjaj prisutan"},
        {[&] {
             units.front()->unplug();
             platform.unplug("/dev/hidraw7");
         },
         "Uredjaj NIJE prisutan"},
    };
    for (const auto& c : cases) {
        c.change();
        EXPECT_TRUE(pumpUntil([&] { return panel->text() == c.shown; })) << c.shown.toStdString();
        EXPECT_TRUE(showsWhole(panel)) << c.shown.toStdString() << " in " << panel->width();
    }
    // The counters, at the window's default width.
    stopTicks();
    auto* counters = control<QLabel>("StatusPanel2");
    counters->setText(QStringLiteral("Tx/Rx: 99999/99999"));
    EXPECT_TRUE(showsWhole(counters)) << counters->width();
}

TEST_F(PermissionTest, AUnitWithoutAccessIsNamedInTheStatusBarAndExplainedOncePerArrival) {
    platform.plug(queryOnlyUnit());
    start();
    tick(2);

    EXPECT_EQ(statusPanel(1), "Uredjaj prisutan, ali nema dozvole za pristup");
    EXPECT_EQ(items(control<QListWidget>("DevListBox")), QStringList{"Brevalon 8"});
    // Never made current: nothing is sent to a unit that cannot be written.
    EXPECT_TRUE(sent().empty());
    ASSERT_TRUE(pumpUntil([&] { return errorTexts(*dialogs).size() == 1; }));
    const QString message = errorTexts(*dialogs).front();
    EXPECT_TRUE(
        message.startsWith("Uredjaj \"Brevalon 8\" je prikljucen, ali ovaj korisnik nema "
                           "dozvolu"))
        << message.toStdString();
    EXPECT_TRUE(message.contains("70-brevalon-mini-setup.rules"));
    EXPECT_TRUE(message.contains("iskljucite i ponovo ukljucite uredjaj"));

    // Gone: the ordinary absent state, and no further message.
    ASSERT_TRUE(platform.unplug("/dev/hidraw7"));
    ASSERT_TRUE(pumpUntil([&] { return history().size() == 2; }));
    tick();
    EXPECT_EQ(statusPanel(1), "Uredjaj NIJE prisutan");
    pumpFor(50);
    EXPECT_EQ(errorTexts(*dialogs).size(), 1);

    // Plugged in again: one more message for the new arrival.
    platform.plug(queryOnlyUnit());
    ASSERT_TRUE(pumpUntil([&] { return errorTexts(*dialogs).size() == 2; }));
    tick();
    EXPECT_EQ(statusPanel(1), "Uredjaj prisutan, ali nema dozvole za pristup");
    EXPECT_TRUE(sent().empty());
}

TEST_F(PermissionTest, AUnitWithAccessBesideOneWithoutIsConnectedAsUsual) {
    platform.plug(queryOnlyUnit());
    addUnit("S1");
    start();
    tick();

    EXPECT_EQ(statusPanel(1), "Uredjaj prisutan");
    EXPECT_GE(countSent("00 47 46"), 1);
    EXPECT_EQ(countSent("00 47 46", "/dev/hidraw7"), 0);
}

TEST_F(PermissionTest, AKeyboardThisUserMayNotOpenArrivesWhileTheUnitIsPolled) {
    SimUnitDevice& unit = addUnit("S1");
    start();
    SimDeviceDescription keyboard = keyboardDevice("/dev/hidraw9", "Desk Keyboard");
    keyboard.queryOnly = true;
    platform.plug(keyboard);
    ASSERT_TRUE(pumpUntil([&] { return history().contains("Arrival of Desk Keyboard"); }));

    // The device change it caused connects the unit anew, and the next tick
    // polls it as before.
    const int polled = countSent("00 47 53", unit.path());
    tick();
    EXPECT_EQ(countSent("00 47 53", unit.path()), polled + 1);
    EXPECT_EQ(statusPanel(1), "Uredjaj prisutan");
    EXPECT_EQ(items(control<QListWidget>("DevListBox")).size(), 2);
    EXPECT_TRUE(sent("/dev/hidraw9").empty());
    EXPECT_TRUE(dialogs->calls().empty());
}
