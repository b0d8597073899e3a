// Faults of the unit and of the link in the middle of every read chain and
// every write sequence, through the virtual unit: the tool stays up, every
// acknowledgement wait and the memory watchdog end, nothing is written to a
// unit that has left, the history shows the link's failures, a read chain
// that stopped says so and takes its progress bar down, the window's button
// works again and the same operation then succeeds on a healthy unit.

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "QtPrinters.h"
#include "ServiceFixture.h"
#include "main/DevReader.h"
#include "widgets/TGrid.h"
#include "windows/Memory.h"

namespace {

const QString NoAnswer = QStringLiteral("Nema odgovora iz uredjaja!");
const QString MemoryReadFailed =
    QStringLiteral("Doslo je do greske pri citanju memorije, molimo da citanje pokrenete ponovo.");
const QString WriteFailed =
    QStringLiteral("WRITE ERROR: A device attached to the system is not functioning (1F)");

enum class Op { Status, GsmRead, SmsRead, PhonebookRead, MemoryRead, GsmWrite, SmsWrite, PbWrite };

struct Operation {
    Op op;
    const char* name;
    const char* window;  // the main window when null
    const char* button;
    bool write;
    int middle;  // the request of the operation that the fault hits, from 1
};

const Operation Operations[] = {
    {Op::Status, "Status", nullptr, "btGetStatus", false, 1},
    {Op::GsmRead, "GsmNumbersRead", "TfrmGSMNumbers", "btGSMNRead", false, 3},
    {Op::SmsRead, "SmsTextsRead", "TfrmAlarmi", "GetSMSs", false, 4},
    {Op::PhonebookRead, "PhonebookRead", "TfrmCallPhonebook", "btnPhonebookRead", false, 50},
    {Op::MemoryRead, "MemoryRead", "TfrmMemory", "btReadMemory", false, 10},
    {Op::GsmWrite, "GsmNumbersWrite", "TfrmGSMNumbers", "btGSMNWrite", true, 3},
    {Op::SmsWrite, "SmsTextsWrite", "TfrmAlarmi", "SetSMSs", true, 4},
    {Op::PbWrite, "PhonebookRecordWrite", "TfrmCallPhonebook", "btnSetOnePhonebookRecord", true, 1},
};

enum class Fault { Unplug, DropReply, Delay, Duplicate, WrongTag, ShortReport, WriteFails };

const std::pair<Fault, const char*> Faults[] = {
    {Fault::Unplug, "Unplug"},         {Fault::DropReply, "DropReply"},
    {Fault::Delay, "Delay"},           {Fault::Duplicate, "Duplicate"},
    {Fault::WrongTag, "WrongTag"},     {Fault::ShortReport, "ShortReport"},
    {Fault::WriteFails, "WriteFails"},
};

struct Scenario {
    Operation operation;
    std::pair<Fault, const char*> fault;
};

std::vector<Scenario> allScenarios() {
    std::vector<Scenario> all;
    for (const Operation& operation : Operations) {
        for (const auto& fault : Faults) {
            all.push_back({operation, fault});
        }
    }
    return all;
}

// The SMS text slots by the edit that shows them; slot 6 is in the AD settings window.
const char* const SmsEdits[] = {
    "edSMSDIN1_UP", "edSMSDIN2_UP", "edSMSDIN3_UP",  "edSMSDIN1_DN",  "edSMSDIN2_DN",
    "edSMSDIN3_DN", "edSMSAnalog1", "edSMSAlarmMax", "edSMSAlarmMin", "edSMSAlarmNormalizacija"};
const int PhonebookRows[] = {0, 49, 99};

// Values that differ between the faulty run (1) and the repeat (2).
std::string number(int run, int k) {
    return "06" + std::to_string(run) + "55500" + std::to_string(k);
}
std::string smsText(int run, int slot) {
    return "Poruka " + std::to_string(run) + "/" + std::to_string(slot);
}

void PrintTo(const Scenario& s, std::ostream* out) {
    *out << s.operation.name << " " << s.fault.second;
}

class FaultTest : public ServiceFixture, public ::testing::WithParamInterface<Scenario> {
protected:
    void SetUp() override {
        startWithUnit();
        stopPolling();
        // The phonebook's controls work only while the unit's call function is on.
        unit().setCallFunction(1);
        QTest::mouseClick(control<QWidget>("btGetStatus"), Qt::LeftButton);
        ASSERT_TRUE(pumpUntil([this] {
            return control<QWidget>(windowOf("TfrmCallPhonebook"), "panCallNumbers")->isEnabled();
        }));
        mark();
        for (const char* window : {"TfrmGSMNumbers", "TfrmAlarmi", "TfrmADSettings",
                                   "TfrmCallPhonebook", "TfrmMemory", "TfrmIzlazi"}) {
            open(windowOf(window));
        }
    }
    void TearDown() override { platform.setTranscriptObserver(nullptr); }

    void stopPolling() { control<QCheckBox>("cbGetStatusAuto")->setChecked(false); }

    QWidget* operationWindow() const {
        const char* window = GetParam().operation.window;
        return window == nullptr ? static_cast<QWidget*>(&mainForm()) : windowOf(window);
    }
    QWidget* button() const {
        return control<QWidget>(operationWindow(), GetParam().operation.button);
    }
    QLineEdit* edit(const char* window, const char* name) const {
        return control<QLineEdit>(windowOf(window), name);
    }
    QLineEdit* smsEdit(int slot) const {
        return edit(slot == 6 ? "TfrmADSettings" : "TfrmAlarmi", SmsEdits[slot]);
    }
    bool gaugeHidden(const char* window, const char* name) const {
        return control<QWidget>(windowOf(window), name)->isHidden();
    }

    std::size_t unitCount(bool toUnit) {
        const auto& transcript = unit().transcript();
        return std::size_t(std::count_if(transcript.begin(), transcript.end(),
                                         [&](const auto& e) { return e.toUnit == toUnit; }));
    }
    // The unit's replies that reached the tool; the marks settle() injects are not the unit's.
    std::size_t delivered() const {
        const auto lines = received(units.front()->path());
        return std::size_t(std::count_if(lines.begin(), lines.end(), [](const auto& line) {
            return !line.starts_with("00 47 4F");
        }));
    }
    // From here on every reply the unit makes is counted until it is
    // delivered; one made while the tool was still opening the unit may have
    // reached no reader.
    void mark() {
        pumpFor(50);
        madeMark = unitCount(false);
        deliveredMark = delivered();
    }
    bool readGaugesHidden() const {
        return gaugeHidden("TfrmGSMNumbers", "sGauge1") &&
               gaugeHidden("TfrmAlarmi", "gaSMSGauge1") &&
               gaugeHidden("TfrmAlarmi", "gaSMSGauge2") &&
               gaugeHidden("TfrmCallPhonebook", "sGauge1") && gaugeHidden("TfrmMemory", "sGauge1");
    }
    // Waits until every reply the unit made since the mark has been
    // dispatched, nothing more follows, and no read chain waits any more.
    void quiesce() {
        std::size_t made = 0;
        do {
            made = unitCount(false);
            if (GetParam().fault.first == Fault::Duplicate && !healthy) {
                // Each copy advances a chain and sends a request, more than
                // the input buffers hold: wait until the flood has passed.
                std::size_t before = 0;
                do {
                    before = delivered();
                    pumpFor(50);
                } while (delivered() != before);
                continue;
            }
            ASSERT_TRUE(pumpUntil([&] { return delivered() - deliveredMark >= made - madeMark; }));
            if (units.front()->plugged() && mainForm().hasCurrentDevice()) {
                settle();
            } else {
                pumpFor(20);
            }
        } while (unitCount(false) != made);
        ASSERT_TRUE(pumpUntil(
            [&] { return memoryForm().ReceiveMemoryPacketTimeOut() == 0 && readGaugesHidden(); }));
        // A watchdog's message comes once its tick has returned.
        pumpFor(5);
    }

    void arm() {
        const Operation& operation = GetParam().operation;
        const Fault fault = GetParam().fault.first;
        const std::string path = units.front()->path();
        UnitBehaviour& behaviour = unit().behaviour();
        switch (fault) {
            case Fault::Duplicate:
                behaviour.duplicateReplies = true;
                return;
            case Fault::WrongTag:
                behaviour.wrongTag = "XY";
                return;
            case Fault::ShortReport:
                // The report ID and half the tag.
                behaviour.shortReportBytes = 2;
                return;
            case Fault::WriteFails:
                if (operation.middle == 1) {
                    platform.failWrites(path, SimErrorGenFailure, 1);
                }
                break;
            default:
                break;
        }
        // The others hit the operation's middle request; the observer runs on
        // the writing thread before the unit handles the request.
        auto seen = std::make_shared<int>(0);
        platform.setTranscriptObserver(
            [this, fault, path, seen, middle = operation.middle](const SimTranscriptLine& line) {
                if (line.direction != '>' || line.path != path) {
                    return;
                }
                ++*seen;
                UnitBehaviour& b = unit().behaviour();
                switch (fault) {
                    case Fault::Unplug:
                        if (*seen == middle) {
                            b.unplugAtRequest = std::uint32_t(unitCount(true) + 1);
                        }
                        break;
                    case Fault::DropReply:
                        if (*seen == middle) {
                            b.dropNthReply = std::uint32_t(unitCount(false) + 1);
                        }
                        break;
                    case Fault::Delay:
                        b.latencyMs = *seen == middle ? 300 : 0;
                        break;
                    case Fault::WriteFails:
                        if (*seen == middle - 1) {
                            platform.failWrites(path, SimErrorGenFailure, 1);
                        }
                        break;
                    default:
                        break;
                }
            });
    }

    void prepare(int run) {
        switch (GetParam().operation.op) {
            case Op::Status:
                unit().live().smsSent = std::uint16_t(1000 * run + 7);
                break;
            case Op::GsmRead:
                for (int k = 0; k < 6; ++k) {
                    unit().setGsmNumber(k, number(run, k));
                    edit("TfrmGSMNumbers", gsmEdit(k).c_str())->clear();
                }
                break;
            case Op::SmsRead:
                for (int slot = 0; slot < 10; ++slot) {
                    unit().setSmsText(slot, smsText(run, slot));
                    smsEdit(slot)->clear();
                }
                break;
            case Op::PhonebookRead:
                for (int row : PhonebookRows) {
                    unit().setPhonebookRecord(row,
                                              {number(run, row), "N" + std::to_string(run), 1});
                }
                break;
            case Op::MemoryRead:
                unit().setGsmNumber(0, number(run, 0));
                break;
            case Op::GsmWrite:
                for (int k = 0; k < 6; ++k) {
                    edit("TfrmGSMNumbers", gsmEdit(k).c_str())
                        ->setText(QString::fromStdString(number(run, k)));
                }
                break;
            case Op::SmsWrite:
                for (int slot = 0; slot < 6; ++slot) {
                    smsEdit(slot)->setText(QString::fromStdString(smsText(run, slot)));
                }
                break;
            case Op::PbWrite:
                edit("TfrmCallPhonebook", "edCallNmbrField")->setText("5");
                edit("TfrmCallPhonebook", "edGSMCallNumber")
                    ->setText(QString::fromStdString(number(run, 4)));
                edit("TfrmCallPhonebook", "edCallNapomena")
                    ->setText(QStringLiteral("N%1").arg(run));
                control<QCheckBox>(windowOf("TfrmCallPhonebook"), "cbCallNmbrAktivan")
                    ->setChecked(true);
                break;
        }
    }

    // Whether the operation did all it should have, with run's values.
    void expectSucceeded(int run) {
        auto text = [](QLineEdit* edit) { return edit->text().toStdString(); };
        switch (GetParam().operation.op) {
            case Op::Status:
                EXPECT_EQ(control<QLabel>("lbSMSTx")->text(), QString::number(1000 * run + 7));
                break;
            case Op::GsmRead:
                for (int k = 0; k < 6; ++k) {
                    EXPECT_EQ(text(edit("TfrmGSMNumbers", gsmEdit(k).c_str())), number(run, k));
                }
                EXPECT_TRUE(gaugeHidden("TfrmGSMNumbers", "sGauge1"));
                break;
            case Op::SmsRead:
                for (int slot = 0; slot < 10; ++slot) {
                    EXPECT_EQ(text(smsEdit(slot)), smsText(run, slot));
                }
                EXPECT_TRUE(gaugeHidden("TfrmAlarmi", "gaSMSGauge1"));
                break;
            case Op::PhonebookRead: {
                auto* grid = control<TGrid>(windowOf("TfrmCallPhonebook"), "Grid1");
                for (int row : PhonebookRows) {
                    EXPECT_EQ(grid->cell(0, row).toStdString(), number(run, row));
                    EXPECT_EQ(grid->cell(1, row), QStringLiteral("N%1").arg(run));
                    EXPECT_EQ(grid->cell(2, row), QStringLiteral("AKTIVAN"));
                }
                EXPECT_TRUE(gaugeHidden("TfrmCallPhonebook", "sGauge1"));
                break;
            }
            case Op::MemoryRead:
                EXPECT_TRUE(std::equal(unit().memory().begin(), unit().memory().end(),
                                       mainForm().MemSaveBuffer().begin(),
                                       mainForm().MemSaveBuffer().end()));
                EXPECT_TRUE(gaugeHidden("TfrmMemory", "sGauge1"));
                break;
            case Op::GsmWrite:
                for (int k = 0; k < 6; ++k) {
                    EXPECT_EQ(unit().gsmNumber(k), number(run, k));
                }
                EXPECT_TRUE(gaugeHidden("TfrmGSMNumbers", "sGauge1"));
                break;
            case Op::SmsWrite:
                for (int slot = 0; slot < 6; ++slot) {
                    EXPECT_EQ(unit().smsText(slot), smsText(run, slot));
                }
                EXPECT_TRUE(gaugeHidden("TfrmAlarmi", "gaSMSGauge1"));
                break;
            case Op::PbWrite: {
                const UnitPhonebookRecord stored{number(run, 4), "N" + std::to_string(run), 1};
                EXPECT_EQ(unit().phonebookRecord(4), stored);
                auto* grid = control<TGrid>(windowOf("TfrmCallPhonebook"), "Grid1");
                EXPECT_EQ(grid->cell(0, 4).toStdString(), number(run, 4));
                break;
            }
        }
    }

    static std::string gsmEdit(int k) { return "edGSMN" + std::to_string(k + 1); }

    void run() {
        QTest::mouseClick(button(), Qt::LeftButton);
        quiesce();
    }

    bool healthy = false;
    std::size_t madeMark = 0;
    std::size_t deliveredMark = 0;
};

TEST_P(FaultTest, TheToolRecoversAndTheRepeatSucceeds) {
    const Operation& operation = GetParam().operation;
    const Fault fault = GetParam().fault.first;
    prepare(1);
    arm();
    // The main window's tick, fast, so that the waits and watchdogs that a
    // fault leaves waiting in vain end soon. Duplicates leave none, and a
    // wait ten fast ticks long could end before a loaded machine delivers.
    if (fault != Fault::Duplicate) {
        runTicks(1);
    }
    QTest::mouseClick(button(), Qt::LeftButton);
    if (fault == Fault::Unplug) {
        ASSERT_TRUE(pumpUntil([this] { return !mainForm().hasCurrentDevice(); }));
    }
    quiesce();

    // The link's failures are in the history; nothing else failed there.
    const QStringList lines = history();
    const bool unplugged = fault == Fault::Unplug;
    EXPECT_EQ(lines.contains(WriteFailed), fault == Fault::WriteFails)
        << lines.join('\n').toStdString();
    EXPECT_EQ(lines.filter("WRITE ERROR").size(), fault == Fault::WriteFails ? 1 : 0);
    if (unplugged) {
        // The request it left on was the last the unit saw.
        EXPECT_FALSE(units.front()->plugged());
        EXPECT_FALSE(mainForm().hasCurrentDevice());
        EXPECT_EQ(unitCount(true), unit().behaviour().unplugAtRequest);
        EXPECT_FALSE(lines.filter(QRegularExpression("^Removal of .*Brevalon 8")).isEmpty())
            << lines.join('\n').toStdString();
    }

    // Only the messages of a wait that timed out or of a read chain's
    // watchdog; a status request is not waited for.
    const QStringList texts = dialogs->texts();
    if (fault == Fault::Duplicate || operation.op == Op::Status) {
        EXPECT_TRUE(texts.isEmpty()) << texts.join('\n').toStdString();
    } else if (operation.write) {
        EXPECT_FALSE(texts.isEmpty());
        EXPECT_EQ(texts, QStringList(texts.size(), NoAnswer));
    } else if (operation.op == Op::MemoryRead) {
        EXPECT_EQ(texts, QStringList{MemoryReadFailed});
    } else {
        EXPECT_EQ(texts, QStringList{NoAnswer});
    }
    EXPECT_TRUE(button()->isEnabled());
    EXPECT_TRUE(readGaugesHidden());
    if (operation.op == Op::MemoryRead) {
        EXPECT_TRUE(control<QWidget>(windowOf("TfrmMemory"), "btSaveBin")->isEnabled());
    }

    // A healthy unit again, at the real tick: the same operation succeeds.
    runTicks();
    platform.setTranscriptObserver(nullptr);
    unit().behaviour() = UnitBehaviour{};
    healthy = true;
    if (unplugged) {
        units.front()->plug();
        waitForUnit();
        stopPolling();
    }
    mark();
    dialogs->clear();
    prepare(2);
    run();
    expectSucceeded(2);
    EXPECT_TRUE(dialogs->texts().isEmpty()) << dialogs->texts().join('\n').toStdString();
}

INSTANTIATE_TEST_SUITE_P(EveryChainAndFault, FaultTest, ::testing::ValuesIn(allScenarios()),
                         [](const ::testing::TestParamInfo<Scenario>& info) {
                             return std::string(info.param.operation.name) + "_" +
                                    info.param.fault.second;
                         });

}  // namespace
