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

SimDeviceDescription QueryOnlyUnit() {
    SimDeviceDescription unit = keyboardDevice("/dev/hidraw7", "Brevalon 8");
    unit.queryOnly = true;
    return unit;
}

QStringList ErrorTexts(const ScriptedDialogService& dialogs) {
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
bool ShowsWhole(const QLabel* panel) {
    const QFontMetrics metrics = panel->fontMetrics();
    return metrics.horizontalAdvance(panel->text()) + metrics.horizontalAdvance(QLatin1Char('x')) <=
           panel->contentsRect().width();
}

}  // namespace

TEST_F(PermissionTest, EveryPresenceTextFitsItsPanel) {
    Platform.plug(QueryOnlyUnit());
    Start();
    auto* panel = Control<QLabel>("StatusPanel1");
    const struct {
        std::function<void()> change;
        QString shown;
    } cases[] = {
        {[] {}, "Uredjaj prisutan, ali nema dozvole za pristup"},
        {[&] { AddUnit("S1"); }, "Uredjaj prisutan"},
        {[&] {
             Units.front()->unplug();
             Platform.unplug("/dev/hidraw7");
         },
         "Uredjaj NIJE prisutan"},
    };
    for (const auto& c : cases) {
        c.change();
        EXPECT_TRUE(PumpUntil([&] { return panel->text() == c.shown; })) << c.shown.toStdString();
        EXPECT_TRUE(ShowsWhole(panel)) << c.shown.toStdString() << " in " << panel->width();
    }
}

TEST_F(PermissionTest, AUnitWithoutAccessIsNamedInTheStatusBarAndExplainedOncePerArrival) {
    Platform.plug(QueryOnlyUnit());
    Start();
    Main().Timer1Timer();
    Main().Timer1Timer();

    EXPECT_EQ(StatusPanel(1), "Uredjaj prisutan, ali nema dozvole za pristup");
    EXPECT_EQ(Items(Control<QListWidget>("DevListBox")), QStringList{"Brevalon 8"});
    // Never made current: nothing is sent to a unit that cannot be written.
    EXPECT_TRUE(Sent().empty());
    ASSERT_TRUE(PumpUntil([&] { return ErrorTexts(*Dialogs).size() == 1; }));
    const QString message = ErrorTexts(*Dialogs).front();
    EXPECT_TRUE(
        message.startsWith("Uredjaj \"Brevalon 8\" je prikljucen, ali ovaj korisnik nema "
                           "dozvolu"))
        << message.toStdString();
    EXPECT_TRUE(message.contains("70-brevalon-mini-setup.rules"));
    EXPECT_TRUE(message.contains("iskljucite i ponovo ukljucite uredjaj"));

    // Gone: the ordinary absent state, and no further message.
    ASSERT_TRUE(Platform.unplug("/dev/hidraw7"));
    ASSERT_TRUE(PumpUntil([&] { return History().size() == 2; }));
    Main().Timer1Timer();
    EXPECT_EQ(StatusPanel(1), "Uredjaj NIJE prisutan");
    PumpFor(50);
    EXPECT_EQ(ErrorTexts(*Dialogs).size(), 1);

    // Plugged in again: one more message for the new arrival.
    Platform.plug(QueryOnlyUnit());
    ASSERT_TRUE(PumpUntil([&] { return ErrorTexts(*Dialogs).size() == 2; }));
    Main().Timer1Timer();
    EXPECT_EQ(StatusPanel(1), "Uredjaj prisutan, ali nema dozvole za pristup");
    EXPECT_TRUE(Sent().empty());
}

TEST_F(PermissionTest, AUnitWithAccessBesideOneWithoutIsConnectedAsUsual) {
    Platform.plug(QueryOnlyUnit());
    AddUnit("S1");
    Start();
    Main().Timer1Timer();

    EXPECT_EQ(StatusPanel(1), "Uredjaj prisutan");
    EXPECT_GE(CountSent("00 47 46"), 1);
    EXPECT_EQ(CountSent("00 47 46", "/dev/hidraw7"), 0);
}

TEST_F(PermissionTest, AKeyboardThisUserMayNotOpenArrivesWhileTheUnitIsPolled) {
    SimUnitDevice& unit = AddUnit("S1");
    Start();
    SimDeviceDescription keyboard = keyboardDevice("/dev/hidraw9", "Desk Keyboard");
    keyboard.queryOnly = true;
    Platform.plug(keyboard);
    ASSERT_TRUE(PumpUntil([&] { return History().contains("Arrival of Desk Keyboard"); }));

    // The device change it caused connects the unit anew, and the next tick
    // polls it as before.
    const int polled = CountSent("00 47 53", unit.path());
    Main().Timer1Timer();
    EXPECT_EQ(CountSent("00 47 53", unit.path()), polled + 1);
    EXPECT_EQ(StatusPanel(1), "Uredjaj prisutan");
    EXPECT_EQ(Items(Control<QListWidget>("DevListBox")).size(), 2);
    EXPECT_TRUE(Sent("/dev/hidraw9").empty());
    EXPECT_TRUE(Dialogs->calls().empty());
}
