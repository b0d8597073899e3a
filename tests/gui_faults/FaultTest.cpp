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
#include <QTimer>

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

std::vector<Scenario> AllScenarios() {
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
std::string Number(int run, int k) {
    return "06" + std::to_string(run) + "55500" + std::to_string(k);
}
std::string SmsText(int run, int slot) {
    return "Poruka " + std::to_string(run) + "/" + std::to_string(slot);
}

void PrintTo(const Scenario& s, std::ostream* out) {
    *out << s.operation.name << " " << s.fault.second;
}

class FaultTest : public ServiceFixture, public ::testing::WithParamInterface<Scenario> {
protected:
    void SetUp() override {
        StartWithUnit();
        StopPolling();
        QObject::connect(&ticks, &QTimer::timeout, &Main(), [this] { Main().Timer1Timer(); });
        // The phonebook's controls work only while the unit's call function is on.
        Unit().setCallFunction(1);
        QTest::mouseClick(Control<QWidget>("btGetStatus"), Qt::LeftButton);
        ASSERT_TRUE(PumpUntil([this] {
            return Control<QWidget>(Window("TfrmCallPhonebook"), "panCallNumbers")->isEnabled();
        }));
        Mark();
        for (const char* window : {"TfrmGSMNumbers", "TfrmAlarmi", "TfrmADSettings",
                                   "TfrmCallPhonebook", "TfrmMemory", "TfrmIzlazi"}) {
            Open(Window(window));
        }
    }
    void TearDown() override {
        ticks.stop();
        Platform.setTranscriptObserver(nullptr);
    }

    void StopPolling() { Control<QCheckBox>("cbGetStatusAuto")->setChecked(false); }

    QWidget* OperationWindow() const {
        const char* window = GetParam().operation.window;
        return window == nullptr ? static_cast<QWidget*>(&Main()) : Window(window);
    }
    QWidget* Button() const {
        return Control<QWidget>(OperationWindow(), GetParam().operation.button);
    }
    QLineEdit* Edit(const char* window, const char* name) const {
        return Control<QLineEdit>(Window(window), name);
    }
    QLineEdit* SmsEdit(int slot) const {
        return Edit(slot == 6 ? "TfrmADSettings" : "TfrmAlarmi", SmsEdits[slot]);
    }
    bool GaugeHidden(const char* window, const char* name) const {
        return Control<QWidget>(Window(window), name)->isHidden();
    }

    std::size_t UnitCount(bool toUnit) {
        const auto& transcript = Unit().transcript();
        return std::size_t(std::count_if(transcript.begin(), transcript.end(),
                                         [&](const auto& e) { return e.toUnit == toUnit; }));
    }
    // The unit's replies that reached the tool; the marks Settle() injects are not the unit's.
    std::size_t Delivered() const {
        const auto received = Received(Units.front()->path());
        return std::size_t(std::count_if(received.begin(), received.end(), [](const auto& line) {
            return !line.starts_with("00 47 4F");
        }));
    }
    // From here on every reply the unit makes is counted until it is
    // delivered; one made while the tool was still opening the unit may have
    // reached no reader.
    void Mark() {
        PumpFor(50);
        madeMark = UnitCount(false);
        deliveredMark = Delivered();
    }
    bool ReadGaugesHidden() const {
        return GaugeHidden("TfrmGSMNumbers", "sGauge1") &&
               GaugeHidden("TfrmAlarmi", "gaSMSGauge1") &&
               GaugeHidden("TfrmAlarmi", "gaSMSGauge2") &&
               GaugeHidden("TfrmCallPhonebook", "sGauge1") && GaugeHidden("TfrmMemory", "sGauge1");
    }
    // Waits until every reply the unit made since the mark has been
    // dispatched, nothing more follows, and no read chain waits any more.
    void Quiesce() {
        std::size_t made = 0;
        do {
            made = UnitCount(false);
            if (GetParam().fault.first == Fault::Duplicate && !healthy) {
                // Each copy advances a chain and sends a request, more than
                // the input buffers hold: wait until the flood has passed.
                std::size_t delivered = 0;
                do {
                    delivered = Delivered();
                    PumpFor(50);
                } while (Delivered() != delivered);
                continue;
            }
            ASSERT_TRUE(PumpUntil([&] { return Delivered() - deliveredMark >= made - madeMark; }));
            if (Units.front()->plugged() && Main().hasCurrentDevice()) {
                Settle();
            } else {
                PumpFor(20);
            }
        } while (UnitCount(false) != made);
        ASSERT_TRUE(PumpUntil(
            [&] { return Memory().ReceiveMemoryPacketTimeOut() == 0 && ReadGaugesHidden(); }));
        // A watchdog's message comes once its tick has returned.
        PumpFor(5);
    }

    void Arm() {
        const Operation& operation = GetParam().operation;
        const Fault fault = GetParam().fault.first;
        const std::string path = Units.front()->path();
        UnitBehaviour& behaviour = Unit().behaviour();
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
                    Platform.failWrites(path, SimErrorGenFailure, 1);
                }
                break;
            default:
                break;
        }
        // The others hit the operation's middle request; the observer runs on
        // the writing thread before the unit handles the request.
        auto seen = std::make_shared<int>(0);
        Platform.setTranscriptObserver(
            [this, fault, path, seen, middle = operation.middle](const SimTranscriptLine& line) {
                if (line.direction != '>' || line.path != path) {
                    return;
                }
                ++*seen;
                UnitBehaviour& b = Unit().behaviour();
                switch (fault) {
                    case Fault::Unplug:
                        if (*seen == middle) {
                            b.unplugAtRequest = std::uint32_t(UnitCount(true) + 1);
                        }
                        break;
                    case Fault::DropReply:
                        if (*seen == middle) {
                            b.dropNthReply = std::uint32_t(UnitCount(false) + 1);
                        }
                        break;
                    case Fault::Delay:
                        b.latencyMs = *seen == middle ? 300 : 0;
                        break;
                    case Fault::WriteFails:
                        if (*seen == middle - 1) {
                            Platform.failWrites(path, SimErrorGenFailure, 1);
                        }
                        break;
                    default:
                        break;
                }
            });
    }

    void Prepare(int run) {
        switch (GetParam().operation.op) {
            case Op::Status:
                Unit().live().smsSent = std::uint16_t(1000 * run + 7);
                break;
            case Op::GsmRead:
                for (int k = 0; k < 6; ++k) {
                    Unit().setGsmNumber(k, Number(run, k));
                    Edit("TfrmGSMNumbers", GsmEdit(k).c_str())->clear();
                }
                break;
            case Op::SmsRead:
                for (int slot = 0; slot < 10; ++slot) {
                    Unit().setSmsText(slot, SmsText(run, slot));
                    SmsEdit(slot)->clear();
                }
                break;
            case Op::PhonebookRead:
                for (int row : PhonebookRows) {
                    Unit().setPhonebookRecord(row,
                                              {Number(run, row), "N" + std::to_string(run), 1});
                }
                break;
            case Op::MemoryRead:
                Unit().setGsmNumber(0, Number(run, 0));
                break;
            case Op::GsmWrite:
                for (int k = 0; k < 6; ++k) {
                    Edit("TfrmGSMNumbers", GsmEdit(k).c_str())
                        ->setText(QString::fromStdString(Number(run, k)));
                }
                break;
            case Op::SmsWrite:
                for (int slot = 0; slot < 6; ++slot) {
                    SmsEdit(slot)->setText(QString::fromStdString(SmsText(run, slot)));
                }
                break;
            case Op::PbWrite:
                Edit("TfrmCallPhonebook", "edCallNmbrField")->setText("5");
                Edit("TfrmCallPhonebook", "edGSMCallNumber")
                    ->setText(QString::fromStdString(Number(run, 4)));
                Edit("TfrmCallPhonebook", "edCallNapomena")
                    ->setText(QStringLiteral("N%1").arg(run));
                Control<QCheckBox>(Window("TfrmCallPhonebook"), "cbCallNmbrAktivan")
                    ->setChecked(true);
                break;
        }
    }

    // Whether the operation did all it should have, with run's values.
    void ExpectSucceeded(int run) {
        auto text = [](QLineEdit* edit) { return edit->text().toStdString(); };
        switch (GetParam().operation.op) {
            case Op::Status:
                EXPECT_EQ(Control<QLabel>("lbSMSTx")->text(), QString::number(1000 * run + 7));
                break;
            case Op::GsmRead:
                for (int k = 0; k < 6; ++k) {
                    EXPECT_EQ(text(Edit("TfrmGSMNumbers", GsmEdit(k).c_str())), Number(run, k));
                }
                EXPECT_TRUE(GaugeHidden("TfrmGSMNumbers", "sGauge1"));
                break;
            case Op::SmsRead:
                for (int slot = 0; slot < 10; ++slot) {
                    EXPECT_EQ(text(SmsEdit(slot)), SmsText(run, slot));
                }
                EXPECT_TRUE(GaugeHidden("TfrmAlarmi", "gaSMSGauge1"));
                break;
            case Op::PhonebookRead: {
                auto* grid = Control<TGrid>(Window("TfrmCallPhonebook"), "Grid1");
                for (int row : PhonebookRows) {
                    EXPECT_EQ(grid->cell(0, row).toStdString(), Number(run, row));
                    EXPECT_EQ(grid->cell(1, row), QStringLiteral("N%1").arg(run));
                    EXPECT_EQ(grid->cell(2, row), QStringLiteral("AKTIVAN"));
                }
                EXPECT_TRUE(GaugeHidden("TfrmCallPhonebook", "sGauge1"));
                break;
            }
            case Op::MemoryRead:
                EXPECT_TRUE(std::equal(Unit().memory().begin(), Unit().memory().end(),
                                       Main().MemSaveBuffer().begin(),
                                       Main().MemSaveBuffer().end()));
                EXPECT_TRUE(GaugeHidden("TfrmMemory", "sGauge1"));
                break;
            case Op::GsmWrite:
                for (int k = 0; k < 6; ++k) {
                    EXPECT_EQ(Unit().gsmNumber(k), Number(run, k));
                }
                EXPECT_TRUE(GaugeHidden("TfrmGSMNumbers", "sGauge1"));
                break;
            case Op::SmsWrite:
                for (int slot = 0; slot < 6; ++slot) {
                    EXPECT_EQ(Unit().smsText(slot), SmsText(run, slot));
                }
                EXPECT_TRUE(GaugeHidden("TfrmAlarmi", "gaSMSGauge1"));
                break;
            case Op::PbWrite: {
                const UnitPhonebookRecord stored{Number(run, 4), "N" + std::to_string(run), 1};
                EXPECT_EQ(Unit().phonebookRecord(4), stored);
                auto* grid = Control<TGrid>(Window("TfrmCallPhonebook"), "Grid1");
                EXPECT_EQ(grid->cell(0, 4).toStdString(), Number(run, 4));
                break;
            }
        }
    }

    static std::string GsmEdit(int k) { return "edGSMN" + std::to_string(k + 1); }

    void Run() {
        QTest::mouseClick(Button(), Qt::LeftButton);
        Quiesce();
    }

    QTimer ticks;
    bool healthy = false;
    std::size_t madeMark = 0;
    std::size_t deliveredMark = 0;
};

TEST_P(FaultTest, TheToolRecoversAndTheRepeatSucceeds) {
    const Operation& operation = GetParam().operation;
    const Fault fault = GetParam().fault.first;
    Prepare(1);
    Arm();
    // The main window's tick, fast, so that the waits and watchdogs that a
    // fault leaves waiting in vain end soon. Duplicates leave none, and a
    // wait ten fast ticks long could end before a loaded machine delivers.
    if (fault != Fault::Duplicate) {
        ticks.start(1);
    }
    QTest::mouseClick(Button(), Qt::LeftButton);
    if (fault == Fault::Unplug) {
        ASSERT_TRUE(PumpUntil([this] { return !Main().hasCurrentDevice(); }));
    }
    Quiesce();

    // The link's failures are in the history; nothing else failed there.
    const QStringList history = History();
    const bool unplugged = fault == Fault::Unplug;
    EXPECT_EQ(history.contains(WriteFailed), fault == Fault::WriteFails)
        << history.join('\n').toStdString();
    EXPECT_EQ(history.filter("WRITE ERROR").size(), fault == Fault::WriteFails ? 1 : 0);
    if (unplugged) {
        // The request it left on was the last the unit saw.
        EXPECT_FALSE(Units.front()->plugged());
        EXPECT_FALSE(Main().hasCurrentDevice());
        EXPECT_EQ(UnitCount(true), Unit().behaviour().unplugAtRequest);
        EXPECT_FALSE(history.filter(QRegularExpression("^Removal of .*Brevalon 8")).isEmpty())
            << history.join('\n').toStdString();
    }

    // Only the messages of a wait that timed out or of a read chain's
    // watchdog; a status request is not waited for.
    const QStringList texts = Dialogs->texts();
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
    EXPECT_TRUE(Button()->isEnabled());
    EXPECT_TRUE(ReadGaugesHidden());
    if (operation.op == Op::MemoryRead) {
        EXPECT_TRUE(Control<QWidget>(Window("TfrmMemory"), "btSaveBin")->isEnabled());
    }

    // A healthy unit again, at the real tick: the same operation succeeds.
    ticks.stop();
    Platform.setTranscriptObserver(nullptr);
    Unit().behaviour() = UnitBehaviour{};
    healthy = true;
    if (unplugged) {
        Units.front()->plug();
        WaitForUnit();
        StopPolling();
    }
    Mark();
    Dialogs->clear();
    Prepare(2);
    Run();
    ExpectSucceeded(2);
    EXPECT_TRUE(Dialogs->texts().isEmpty()) << Dialogs->texts().join('\n').toStdString();
}

INSTANTIATE_TEST_SUITE_P(EveryChainAndFault, FaultTest, ::testing::ValuesIn(AllScenarios()),
                         [](const ::testing::TestParamInfo<Scenario>& info) {
                             return std::string(info.param.operation.name) + "_" +
                                    info.param.fault.second;
                         });

}  // namespace
