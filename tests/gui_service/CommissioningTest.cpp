// The commissioning window with a virtual unit: a whole run as a technician
// does it, with the inputs worked by the test, and a unit that leaves in the
// middle.

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include "ServiceFixture.h"
#include "windows/Commissioning.h"
#include "windows/UserInput.h"

namespace {

class CommissioningTest : public ServiceFixture {
protected:
    TfrmCommissioning& window() const {
        return *static_cast<TfrmCommissioning*>(windowOf("TfrmCommissioning"));
    }
    void click(const char* name) const {
        QTest::mouseClick(control<QPushButton>(&window(), name), Qt::LeftButton);
    }
    QString state(int step) const {
        return control<QTableWidget>(&window(), "gridCommissioningSteps")->item(step, 1)->text();
    }
    QString prompt() const { return control<QLabel>(&window(), "lbCommissioningPrompt")->text(); }
    // Starts a run with the shortest signal check, the unit started.
    void begin() {
        open(&window());
        control<QLineEdit>(&window(), "edCommissioningSite")->setText(QStringLiteral("Kula <3>"));
        control<QLineEdit>(&window(), "edCommissioningTechnician")
            ->setText(QStringLiteral("Đorđe"));
        control<QSpinBox>(&window(), "spCommissioningSignalSeconds")->setValue(10);
        click("btCommissioningStart");
    }
    bool waitFor(int step, const char* text, int timeoutMs = 5000) const {
        return pumpUntil([&] { return state(step) == QString::fromUtf8(text); }, timeoutMs);
    }
};

TEST_F(CommissioningTest, AWholeRunPassesAndLeavesTheUnitAsFound) {
    startWithUnit();
    unit().setFirmwareText("BRV8 <b>&\"'</b>");
    unit().live().fixedRaw = {std::uint16_t{2475}, std::uint16_t{0}};
    // The unit counts a test SMS for each number it texts.
    unit().setGsmNumber(0, "0601234567");
    begin();
    ASSERT_TRUE(waitFor(0, "prošao"));
    ASSERT_TRUE(waitFor(1, "prošao", 15000)) << state(1).toStdString();
    ASSERT_TRUE(waitFor(2, "prošao"));
    for (int k = 0; k < 3; ++k) {
        ASSERT_TRUE(pumpUntil([&] { return prompt().contains(QString::number(k + 1)); }));
        unit().live().inputs[k] = 1;
        pumpFor(400);
        unit().live().inputs[k] = 0;
        ASSERT_TRUE(waitFor(3 + k, "prošao")) << k;
    }
    ASSERT_TRUE(pumpUntil([&] { return window().run()->latest().has_value(); }));
    control<QLineEdit>(&window(), "edCommissioningExpected")
        ->setText(UserInput::fixedPointText(window().run()->latest()->analogValue1));
    control<QLineEdit>(&window(), "edCommissioningTolerance")->setText(QStringLiteral("5"));
    click("btCommissioningMeasure");
    ASSERT_TRUE(waitFor(6, "prošao", 8000))
        << control<QTableWidget>(&window(), "gridCommissioningSteps")
               ->item(6, 2)
               ->text()
               .toStdString();
    ASSERT_TRUE(pumpUntil([&] { return prompt().contains(u"SMS"); }));
    click("btCommissioningSendSms");
    ASSERT_TRUE(waitFor(7, "prošao")) << state(7).toStdString();
    EXPECT_EQ(control<QLabel>(&window(), "lbCommissioningVerdict")->text(), u"Ocena: ISPRAVAN");
    EXPECT_EQ(sentWith("00 53 4F 54").size(), 2u);  // the relay, there and back
    EXPECT_EQ(sentWith("00 53 54 53").size(), 1u);  // one test SMS
    EXPECT_EQ(unit().live().relay, 0);

    QTemporaryDir dir;
    const QString html = dir.filePath(QStringLiteral("report.html"));
    dialogs->answerPath(html);
    click("btCommissioningReport");
    QFile file(html);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(file.readAll());
    EXPECT_TRUE(text.contains(u"Kula &lt;3&gt;"));
    EXPECT_TRUE(text.contains(u"BRV8 &lt;b&gt;&amp;&quot;'&lt;/b&gt;"));
    EXPECT_TRUE(text.contains(u"Ocena: ISPRAVAN"));
    EXPECT_TRUE(QFile::exists(dir.filePath(QStringLiteral("report.pdf"))));
    EXPECT_TRUE(QFile::exists(dir.filePath(QStringLiteral("report.json"))));
    // The checksum is that of the history entry the unit step kept.
    const QDir units(dataFolder.filePath(QStringLiteral("units")));
    const QStringList folders = units.entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    ASSERT_EQ(folders.size(), 1);
    const QDir history(units.filePath(folders.front()));
    const QStringList entries = history.entryList({QStringLiteral("*-commissioning.json")});
    ASSERT_EQ(entries.size(), 1);
    QFile entry(history.filePath(entries.front()));
    ASSERT_TRUE(entry.open(QIODevice::ReadOnly));
    EXPECT_TRUE(text.contains(QString::fromLatin1(
        QCryptographicHash::hash(entry.readAll(), QCryptographicHash::Sha256).toHex())));
}

TEST_F(CommissioningTest, AUnitThatLeavesEndsTheRunWithItsStepsNotRun) {
    startWithUnit();
    begin();
    ASSERT_TRUE(waitFor(0, "prošao"));
    platform.unplug(units.front()->path());
    ASSERT_TRUE(waitFor(1, "nije izvršen"));
    EXPECT_EQ(state(7), u"nije izvršen");
    EXPECT_EQ(control<QLabel>(&window(), "lbCommissioningVerdict")->text(), u"Ocena: NEISPRAVAN");
}

}  // namespace
