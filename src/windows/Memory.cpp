#include "windows/Memory.h"

#include <QSaveFile>
#include <QStyledItemDelegate>

#include <algorithm>
#include <cstddef>

#include "ui_Memory.h"
#include "widgets/DialogService.h"
#include "widgets/DirectWriteFallback.h"
#include "widgets/FileProposal.h"
#include "windows/WindowProtocol.h"

namespace {

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

TfrmMemory::TfrmMemory(TMainLink& main, QWidget* parent)
    : QWidget(parent),
      main_(main),
      ui_(std::make_unique<Ui::TfrmMemory>()),
      memoryRead_(MemReadPointer, [&main](std::uint16_t index) {
          sendToCurrentDevice(main, protocol::requestMemoryPacket(index));
      }) {
    ui_->setupUi(this);
    ui_->Grid1->setColumnCount(BytesPerRow + 1);
    ui_->Grid1->setRowCount(RowCount);
    for (int col = 0; col < BytesPerRow; ++col) {
        ui_->Grid1->setColumnWidth(col, 40);
    }
    ui_->Grid1->setColumnWidth(TextColumn, 160);
    ui_->Grid1->setGutterWidth(40);
    ui_->Grid1->setItemDelegateForColumn(TextColumn, new DumpTextDelegate(ui_->Grid1));
    connect(ui_->btReadMemory, &QPushButton::clicked, this, &TfrmMemory::btReadMemoryClick);
    connect(ui_->btSaveBin, &QPushButton::clicked, this, &TfrmMemory::btSaveBinClick);
    connect(ui_->btFormatMemory, &QPushButton::clicked, this, &TfrmMemory::btFormatMemoryClick);
}

TfrmMemory::~TfrmMemory() = default;

void TfrmMemory::setReadButtonsEnabled(bool enabled) {
    ui_->btReadMemory->setEnabled(enabled);
    ui_->btSaveBin->setEnabled(enabled);
}

void TfrmMemory::btReadMemoryClick() {
    if (!main_.hasCurrentDevice()) {
        return;
    }
    ui_->sGauge1->setMaximum(int(protocol::MemoryPacketCount));
    ui_->sGauge1->setValue(0);
    ui_->sGauge1->show();
    setReadButtonsEnabled(false);
    // Watched from the first packet on, so a unit that never answers does not
    // leave the buttons disabled.
    memoryRead_.start(0, protocol::MemoryPacketCount - 1);
}

void TfrmMemory::ReplyGM(const protocol::MemoryPacket& packet) {
    if (packet.index >= protocol::MemoryPacketCount) {
        return;
    }
    const std::size_t offset = std::size_t(packet.index) * protocol::MemoryPacketSize;
    std::copy(packet.data.begin(), packet.data.end(), main_.MemSaveBuffer().begin() + offset);

    QList<QStringList> rows;
    for (std::size_t k = 0; k < protocol::MemoryPacketSize; k += BytesPerRow) {
        rows << dumpRow(packet.data.data() + k);
    }
    ui_->Grid1->setCells(0, int(offset) / BytesPerRow, rows);

    if (!memoryRead_.replyArrived()) {
        setReadButtonsEnabled(true);
        ui_->sGauge1->hide();
        return;
    }
    ui_->sGauge1->setValue(MemReadPointer);
}

bool TfrmMemory::readWatchdogTick() {
    if (!memoryRead_.tick()) {
        return false;
    }
    readTimedOut();
    return true;
}

void TfrmMemory::readTimedOut() {
    setReadButtonsEnabled(true);
    ui_->sGauge1->hide();
}

std::uint8_t TfrmMemory::ReceiveMemoryPacketTimeOut() const {
    return memoryRead_.watchdog();
}

void TfrmMemory::deviceChangeDone() {
    const bool unitListed = main_.hasCurrentDevice();
    if (formatWait_ == FormatWait::ForRemoval && !unitListed) {
        formatWait_ = FormatWait::ForReturn;
    } else if (formatWait_ == FormatWait::ForReturn && unitListed) {
        formatWait_ = FormatWait::None;
        setReadButtonsEnabled(true);
        main_.unitBackAfterFormat();
    }
}

void TfrmMemory::btSaveBinClick() {
    const QString path = DialogService::instance().saveFileName(
        QString(),
        {{QStringLiteral("BIN Files"), QStringLiteral("*.bin")},
         {QStringLiteral("All Files"), QStringLiteral("*.*")}},
        QStringLiteral("*.bin"),
        FileProposal::inLastFolder(
            FileProposal::fileName(QString::fromStdU16String(main_.unitSerial()),
                                   QDateTime::currentDateTime(), QStringLiteral("bin"))));
    FileProposal::chosen(path);
    if (path.isEmpty()) {
        return;
    }
    const auto& image = main_.MemSaveBuffer();
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
    if (!main_.hasCurrentDevice() || !main_.backUpBefore(profile::BackupReason::BeforeFormat)) {
        return;
    }
    sendReport(main_, protocol::formatMemory());
    setReadButtonsEnabled(false);
    formatWait_ = FormatWait::ForRemoval;
    DialogService::instance().info(QStringLiteral(
        "Formatiranje memorije je inicirano. Molimo da sacekate okvirno 1 minut. U toku "
        "formatiranja USB konekcija bice izgubljena, kada se formatiranje zavrsi konekcija ce "
        "biti obnovljena."));
}
