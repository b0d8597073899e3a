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
    void open() {
        window = windowOf("TfrmIzlazi");
        ServiceFixture::open(window);
        edit = control<QLineEdit>(window, "edRelayDelay");
    }
    void write(const QString& text) {
        edit->clear();
        QTest::keyClicks(edit, text);
        QTest::mouseClick(control<QPushButton>(window, "btSetRelayDelay"), Qt::LeftButton);
    }

    void expectOutOfRangeRefused() {
        for (const char* ticks : {"0", "251", "257"}) {
            dialogs->clear();
            write(QString::fromLatin1(ticks));
            ASSERT_EQ(dialogs->calls().size(), 1u) << ticks;
            EXPECT_EQ(dialogs->calls()[0].kind, ScriptedDialogService::Kind::WarningOkCancel);
            EXPECT_EQ(dialogs->calls()[0].text, OutOfRange);
            EXPECT_EQ(edit->text(), QString::fromLatin1(ticks));
        }
    }

    QWidget* window = nullptr;
    QLineEdit* edit = nullptr;
};

TEST_F(RelayTest, SendsATimeFrom1To250) {
    startWithUnit();
    open();
    for (const char* ticks : {"1", "25", "250"}) {
        write(QString::fromLatin1(ticks));
    }
    EXPECT_EQ(sentWith("00 53 4F"),
              reportsHex({"00 53 4F 50 01", "00 53 4F 50 19", "00 53 4F 50 FA"}));
    EXPECT_TRUE(dialogs->calls().empty());
    EXPECT_EQ(unit().relayPulseTime(), 250);
}

TEST_F(RelayTest, RefusesATimeOutsideTheRange) {
    startWithUnit();
    open();
    expectOutOfRangeRefused();
    settle();
    EXPECT_TRUE(sentWith("00 53 4F").empty());
}

TEST_F(RelayTest, ChecksTheRangeAlsoWithoutAUnit) {
    start();
    open();
    expectOutOfRangeRefused();
    dialogs->clear();
    write(QStringLiteral("25"));
    EXPECT_TRUE(dialogs->calls().empty());
    EXPECT_TRUE(sent().empty());
}

TEST_F(RelayTest, AnEmptyEditIsNotAnInteger) {
    startWithUnit();
    open();
    write(QString());
    EXPECT_EQ(dialogs->texts(), QStringList{QStringLiteral("'' is not a valid integer value")});
    settle();
    EXPECT_TRUE(sentWith("00 53 4F").empty());
}

TEST_F(RelayTest, ShowsTheTimeTheUnitReports) {
    startWithUnit();
    open();
    unit().setRelayPulseTime(37);
    QTest::mouseClick(control<QPushButton>(window, "btReadRelayDelay"), Qt::LeftButton);
    ASSERT_TRUE(pumpUntil([&] { return edit->text() == "37"; }));
    EXPECT_EQ(sentWith("00 47 4F"), reportsHex({"00 47 4F"}));

    for (const auto& [reply, shown] :
         {std::pair{"00 47 4F 09 00", "0"}, std::pair{"00 47 4F 09 FF", "255"}}) {
        inject(reportOf(reply));
        ASSERT_TRUE(pumpUntil([&] { return edit->text() == QLatin1String(shown); }));
    }
    inject(reportOf("00 47 4F 00 00"));
    ASSERT_TRUE(pumpUntil([&] { return edit->text() == "0"; }));
    dialogs->clear();
    QTest::mouseClick(control<QPushButton>(window, "btSetRelayDelay"), Qt::LeftButton);
    EXPECT_EQ(dialogs->texts(), QStringList{OutOfRange});
    EXPECT_TRUE(sentWith("00 53 4F").empty());
}

}  // namespace
