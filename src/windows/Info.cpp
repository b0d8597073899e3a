#include "Info.h"

#include "ui_Info.h"

#include "hid/THidDevice.h"

#include <QFont>

namespace {

QString fromUtf16(const std::u16string& text) {
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

// Identifiers: upper-case hexadecimal, at least four digits.
QString hex4(std::uint16_t value) {
    return QStringLiteral("%1").arg(value, 4, 16, QLatin1Char('0')).toUpper();
}

}  // namespace

TInfoForm::TInfoForm(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      ui(std::make_unique<Ui::TInfoForm>()) {
    ui->setupUi(this);
    // Where the original face is missing, the nearest common ones.
    QFont look;
    look.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Microsoft Sans Serif"),
                      QStringLiteral("Arial"), QStringLiteral("Liberation Sans"),
                      QStringLiteral("Nimbus Sans")});
    look.setPixelSize(13);
    setFont(look);
}

TInfoForm::~TInfoForm() = default;

void TInfoForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // A restore from minimised shows the dialog again; its lists are filled once.
    if (!filled) {
        filled = true;
        FormShow();
    }
}

void TInfoForm::deviceReleased() {
    Dev = nullptr;
    reject();
}

void TInfoForm::FormShow() {
    if (Dev == nullptr) {
        return;
    }
    ui->VendorName->setText(fromUtf16(Dev->VendorName()));
    ui->ProductName->setText(fromUtf16(Dev->ProductName()));
    ui->SerialNo->setText(fromUtf16(Dev->SerialNumber()));

    const HidAttributes& attributes = Dev->Attributes();
    ui->Vid->setText(hex4(attributes.VendorID));
    ui->Pid->setText(hex4(attributes.ProductID));
    ui->Vers->setText(hex4(attributes.VersionNumber));

    // Lengths without the report ID byte; a length of 0 keeps the label's "0".
    const HidCaps caps = Dev->Caps();
    const std::pair<std::uint16_t, QLabel*> lengths[] = {
        {caps.InputReportByteLength, ui->InputLen},
        {caps.OutputReportByteLength, ui->OutputLen},
        {caps.FeatureReportByteLength, ui->FeatureLen},
    };
    for (const auto& [length, label] : lengths) {
        if (length > 0) {
            label->setText(QString::number(length - 1, 16).toUpper());
        }
    }

    for (int index = 1; index <= 255; ++index) {
        const std::string text = Dev->IndexedStringA(static_cast<std::uint8_t>(index));
        if (!text.empty()) {
            ui->DevStrings->addItem(
                QStringLiteral("%1) %2").arg(index, 3).arg(QString::fromStdString(text)));
        }
    }

    for (const std::u16string& language : Dev->LanguageStrings()) {
        ui->LangStrings->addItem(fromUtf16(language));
    }
}
