// The relay pulse time window: the range check with and without a unit, the
// write request, and the reply.

#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "ServiceFixture.h"

namespace {

const QString OutOfRange = QStringLiteral("Period mora biti u granicama od 1 do 250!");

class RelayTest : public ServiceFixture {
protected:
    void Open() {
        window = Window("TfrmIzlazi");
        ServiceFixture::Open(window);
        edit = Control<QLineEdit>(window, "edRelayDelay");
    }
    void Write(const QString& text) {
        edit->clear();
        QTest::keyClicks(edit, text);
        QTest::mouseClick(Control<QPushButton>(window, "btSetRelayDelay"), Qt::LeftButton);
    }

    void ExpectOutOfRangeRefused() {
        for (const char* ticks : {"0", "251", "257"}) {
            Dialogs->clear();
            Write(QString::fromLatin1(ticks));
            ASSERT_EQ(Dialogs->calls().size(), 1u) << ticks;
            EXPECT_EQ(Dialogs->calls()[0].kind, ScriptedDialogService::Kind::WarningOkCancel);
            EXPECT_EQ(Dialogs->calls()[0].text, OutOfRange);
            EXPECT_EQ(edit->text(), QString::fromLatin1(ticks));
        }
    }

    QWidget* window = nullptr;
    QLineEdit* edit = nullptr;
};

TEST_F(RelayTest, SendsATimeFrom1To250) {
    StartWithUnit();
    Open();
    for (const char* ticks : {"1", "25", "250"}) {
        Write(QString::fromLatin1(ticks));
    }
    EXPECT_EQ(SentWith("00 53 4F"),
              reportsHex({"00 53 4F 50 01", "00 53 4F 50 19", "00 53 4F 50 FA"}));
    EXPECT_TRUE(Dialogs->calls().empty());
    EXPECT_EQ(Unit().relayPulseTime(), 250);
}

TEST_F(RelayTest, RefusesATimeOutsideTheRange) {
    StartWithUnit();
    Open();
    ExpectOutOfRangeRefused();
    Settle();
    EXPECT_TRUE(SentWith("00 53 4F").empty());
}

TEST_F(RelayTest, ChecksTheRangeAlsoWithoutAUnit) {
    Start();
    Open();
    ExpectOutOfRangeRefused();
    Dialogs->clear();
    Write(QStringLiteral("25"));
    EXPECT_TRUE(Dialogs->calls().empty());
    EXPECT_TRUE(Sent().empty());
}

TEST_F(RelayTest, AnEmptyEditIsNotAnInteger) {
    StartWithUnit();
    Open();
    Write(QString());
    EXPECT_EQ(Dialogs->texts(), QStringList{QStringLiteral("'' is not a valid integer value")});
    Settle();
    EXPECT_TRUE(SentWith("00 53 4F").empty());
}

TEST_F(RelayTest, ShowsTheTimeTheUnitReports) {
    StartWithUnit();
    Open();
    Unit().setRelayPulseTime(37);
    QTest::mouseClick(Control<QPushButton>(window, "btReadRelayDelay"), Qt::LeftButton);
    ASSERT_TRUE(PumpUntil([&] { return edit->text() == "37"; }));
    EXPECT_EQ(SentWith("00 47 4F"), reportsHex({"00 47 4F"}));

    for (const auto& [reply, shown] :
         {std::pair{"00 47 4F 09 00", "0"}, std::pair{"00 47 4F 09 FF", "255"}}) {
        Inject(reportOf(reply));
        ASSERT_TRUE(PumpUntil([&] { return edit->text() == QLatin1String(shown); }));
    }
    Inject(reportOf("00 47 4F 00 00"));
    ASSERT_TRUE(PumpUntil([&] { return edit->text() == "0"; }));
    Dialogs->clear();
    QTest::mouseClick(Control<QPushButton>(window, "btSetRelayDelay"), Qt::LeftButton);
    EXPECT_EQ(Dialogs->texts(), QStringList{OutOfRange});
    EXPECT_TRUE(SentWith("00 53 4F").empty());
}

}  // namespace
