#include "windows/Info.h"

#include "ui_Info.h"
#include "widgets/ScreenFit.h"

#include "hid/THidDevice.h"
#include "windows/DeviceText.h"

#include <QFont>

TInfoForm::TInfoForm(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      ui_(std::make_unique<Ui::TInfoForm>()) {
    ui_->setupUi(this);
    ScreenFit::scrollContent(*this);
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
    ui_->VendorName->setText(QString::fromStdU16String(Dev->VendorName()));
    ui_->ProductName->setText(QString::fromStdU16String(Dev->ProductName()));
    ui_->SerialNo->setText(QString::fromStdU16String(Dev->SerialNumber()));

    const HidAttributes& attributes = Dev->Attributes();
    ui_->Vid->setText(hex4(attributes.VendorID));
    ui_->Pid->setText(hex4(attributes.ProductID));
    ui_->Vers->setText(hex4(attributes.VersionNumber));

    // Lengths without the report ID byte; a length of 0 keeps the label's "0".
    const HidCaps caps = Dev->Caps();
    const std::pair<std::uint16_t, QLabel*> lengths[] = {
        {caps.InputReportByteLength, ui_->InputLen},
        {caps.OutputReportByteLength, ui_->OutputLen},
        {caps.FeatureReportByteLength, ui_->FeatureLen},
    };
    for (const auto& [length, label] : lengths) {
        if (length > 0) {
            label->setText(QString::number(length - 1, 16).toUpper());
        }
    }

    for (int index = 1; index <= 255; ++index) {
        const std::string text = Dev->IndexedStringA(static_cast<std::uint8_t>(index));
        if (!text.empty()) {
            ui_->DevStrings->addItem(
                QStringLiteral("%1) %2").arg(index, 3).arg(QString::fromStdString(text)));
        }
    }

    for (const std::u16string& language : Dev->LanguageStrings()) {
        ui_->LangStrings->addItem(QString::fromStdU16String(language));
    }
}
