#include "Memory.h"

#include <QSaveFile>
#include <QStyledItemDelegate>

#include <algorithm>
#include <cstddef>

#include "DialogService.h"
#include "DirectWriteFallback.h"
// By its folder: this window's own header has the same name.
#include "WindowProtocol.h"
#include "protocol/Memory.h"
#include "ui_Memory.h"

namespace {

// Ticks a memory packet may take before the read is given up.
constexpr std::uint8_t PacketTimeOutTicks = 50;
constexpr int BytesPerRow = 8;
constexpr int TextColumn = BytesPerRow;
constexpr int RowCount = int(protocol::MemorySize) / BytesPerRow;

// The text column holds every byte as its character; control characters
// (U+0000 to U+001F and U+007F to U+009F), which fonts draw as nothing or as
// boxes, are drawn as dots.
class DumpTextDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QString displayText(const QVariant& value, const QLocale& locale) const override {
        QString text = QStyledItemDelegate::displayText(value, locale);
        for (QChar& c : text) {
            if (c.unicode() < 0x20 || (c.unicode() >= 0x7F && c.unicode() <= 0x9F)) {
                c = QLatin1Char('.');
            }
        }
        return text;
    }
};

QStringList dumpRow(const std::uint8_t* bytes) {
    QStringList cells;
    QString text;
    for (int i = 0; i < BytesPerRow; ++i) {
        cells << QStringLiteral("%1").arg(bytes[i], 2, 16, QLatin1Char('0')).toUpper();
        text += QChar(bytes[i]);
    }
    cells << text;
    return cells;
}

}  // namespace

TfrmMemory::TfrmMemory(TMainLink& Main, QWidget* parent)
    : QWidget(parent), Main(Main), ui(std::make_unique<Ui::TfrmMemory>()) {
    ui->setupUi(this);
    ui->Grid1->setColumnCount(BytesPerRow + 1);
    ui->Grid1->setRowCount(RowCount);
    for (int col = 0; col < BytesPerRow; ++col) {
        ui->Grid1->setColumnWidth(col, 40);
    }
    ui->Grid1->setColumnWidth(TextColumn, 160);
    ui->Grid1->setGutterWidth(40);
    ui->Grid1->setItemDelegateForColumn(TextColumn, new DumpTextDelegate(ui->Grid1));
    connect(ui->btReadMemory, &QPushButton::clicked, this, &TfrmMemory::btReadMemoryClick);
    connect(ui->btSaveBin, &QPushButton::clicked, this, &TfrmMemory::btSaveBinClick);
    connect(ui->btFormatMemory, &QPushButton::clicked, this, &TfrmMemory::btFormatMemoryClick);
}

TfrmMemory::~TfrmMemory() = default;

QPushButton* TfrmMemory::btReadMemory() const {
    return ui->btReadMemory;
}

QPushButton* TfrmMemory::btSaveBin() const {
    return ui->btSaveBin;
}

TGauge* TfrmMemory::sGauge1() const {
    return ui->sGauge1;
}

void TfrmMemory::setReadButtonsEnabled(bool enabled) {
    ui->btReadMemory->setEnabled(enabled);
    ui->btSaveBin->setEnabled(enabled);
}

void TfrmMemory::btReadMemoryClick() {
    if (!Main.HasCurrentDevice()) {
        return;
    }
    MemReadPointer = 0;
    ui->sGauge1->setMaximum(int(protocol::MemoryPacketCount));
    ui->sGauge1->setValue(0);
    ui->sGauge1->show();
    setReadButtonsEnabled(false);
    SendReport(Main, protocol::requestMemoryPacket(0));
    // Armed for the first packet too, so a unit that never answers does not
    // leave the buttons disabled.
    Main.SetReceiveMemoryPacketTimeOut(PacketTimeOutTicks);
}

void TfrmMemory::ReplyGM(const ReplyBytes& bytes) {
    const auto packet = protocol::decodeMemoryPacket(ToReply(bytes));
    if (packet.index >= protocol::MemoryPacketCount) {
        return;
    }
    const std::size_t offset = std::size_t(packet.index) * protocol::MemoryPacketSize;
    std::copy(packet.data.begin(), packet.data.end(), Main.MemSaveBuffer().begin() + offset);

    QList<QStringList> rows;
    for (std::size_t k = 0; k < protocol::MemoryPacketSize; k += BytesPerRow) {
        rows << dumpRow(packet.data.data() + k);
    }
    ui->Grid1->setCells(0, int(offset) / BytesPerRow, rows);

    // The next request follows the count of replies, whatever index they named.
    ++MemReadPointer;
    if (MemReadPointer >= protocol::MemoryPacketCount) {
        setReadButtonsEnabled(true);
        ui->sGauge1->hide();
        Main.SetReceiveMemoryPacketTimeOut(0);
        return;
    }
    ui->sGauge1->setValue(MemReadPointer);
    if (Main.HasCurrentDevice()) {
        SendReport(Main, protocol::requestMemoryPacket(MemReadPointer));
    }
    Main.SetReceiveMemoryPacketTimeOut(PacketTimeOutTicks);
}

void TfrmMemory::deviceChangeDone() {
    const bool unitListed = Main.HasCurrentDevice();
    if (formatWait == FormatWait::ForRemoval && !unitListed) {
        formatWait = FormatWait::ForReturn;
    } else if (formatWait == FormatWait::ForReturn && unitListed) {
        formatWait = FormatWait::None;
        setReadButtonsEnabled(true);
    }
}

void TfrmMemory::btSaveBinClick() {
    const QString path = DialogService::instance().saveFileName(
        QString(),
        {{QStringLiteral("BIN Files"), QStringLiteral("*.bin")},
         {QStringLiteral("All Files"), QStringLiteral("*.*")}},
        QStringLiteral("*.bin"), QString());
    if (path.isEmpty()) {
        return;
    }
    const auto& image = Main.MemSaveBuffer();
    QSaveFile file(path);
    allowDirectWriteInLockedFolder(file);
    if (!file.open(QIODevice::WriteOnly)) {
        DialogService::instance().error(
            QStringLiteral("Cannot create file \"%1\". %2").arg(path, file.errorString()));
        return;
    }
    file.write(reinterpret_cast<const char*>(image.data()), qint64(image.size()));
    if (!file.commit()) {
        DialogService::instance().error(
            QStringLiteral("Error writing file \"%1\". %2").arg(path, file.errorString()));
    }
}

void TfrmMemory::btFormatMemoryClick() {
    if (DialogService::instance().warningYesNo(QStringLiteral(
            "Izvrsenjem ove komande SVI podaci i podesavanja iz uredjaja BICE OBRISANI. "
            "Da li zaista zelite da izvrsite ovu komandu?")) != DialogService::Answer::Yes) {
        return;
    }
    if (!Main.HasCurrentDevice()) {
        return;
    }
    SendReport(Main, protocol::formatMemory());
    setReadButtonsEnabled(false);
    formatWait = FormatWait::ForRemoval;
    DialogService::instance().info(QStringLiteral(
        "Formatiranje memorije je inicirano. Molimo da sacekate okvirno 1 minut. U toku "
        "formatiranja USB konekcija bice izgubljena, kada se formatiranje zavrsi konekcija ce "
        "biti obnovljena."));
}
