#include "windows/UserInput.h"

#include <QLineEdit>
#include <QLocale>

#include <limits>

#include "widgets/DialogService.h"

namespace UserInput {

namespace {

std::u16string decimalSeparator() {
    return QLocale().decimalPoint().toStdU16String();
}

void refuse(QLineEdit* edit, const QString& message) {
    DialogService::instance().error(message);
    edit->setFocus();
    edit->selectAll();
}

void notAnInteger(QLineEdit* edit) {
    DialogService::instance().error(
        QStringLiteral("'%1' is not a valid integer value").arg(edit->text()));
}

void notAFloat(QLineEdit* edit) {
    DialogService::instance().error(
        QStringLiteral("'%1' is not a valid floating point value").arg(edit->text()));
}

void outOfRange(QLineEdit* edit, const QString& min, const QString& max) {
    refuse(edit, QStringLiteral("Vrednost mora biti u granicama od %1 do %2!").arg(min, max));
}

}  // namespace

std::optional<std::int64_t> integer(QLineEdit* edit) {
    const auto parsed = protocol::parseInteger(edit->text().toStdU16String());
    if (!parsed.ok()) {
        notAnInteger(edit);
        return std::nullopt;
    }
    return parsed.value;
}

std::optional<std::int64_t> integer(QLineEdit* edit, protocol::IntegerLimits limits) {
    const auto parsed = protocol::parseInteger(edit->text().toStdU16String(), limits);
    switch (parsed.error) {
        case protocol::NumberError::None:
            return parsed.value;
        case protocol::NumberError::OutOfRange:
            outOfRange(edit, QString::number(limits.min), QString::number(limits.max));
            return std::nullopt;
        case protocol::NumberError::Invalid:
            break;
    }
    notAnInteger(edit);
    return std::nullopt;
}

std::optional<std::int32_t> fixedPoint(QLineEdit* edit) {
    const auto parsed =
        protocol::parseFixedPoint(edit->text().toStdU16String(), decimalSeparator());
    switch (parsed.error) {
        case protocol::NumberError::None:
            return parsed.value;
        case protocol::NumberError::OutOfRange:
            outOfRange(edit, fixedPointText(std::numeric_limits<std::int32_t>::min()),
                       fixedPointText(std::numeric_limits<std::int32_t>::max()));
            return std::nullopt;
        case protocol::NumberError::Invalid:
            break;
    }
    notAFloat(edit);
    return std::nullopt;
}

std::optional<double> decimal(QLineEdit* edit) {
    const auto parsed = protocol::parseDouble(edit->text().toStdU16String(), decimalSeparator());
    if (!parsed.ok()) {
        notAFloat(edit);
        return std::nullopt;
    }
    return parsed.value;
}

std::optional<protocol::WireText> text(QLineEdit* edit, profile::TextField field,
                                       const QString& fieldName) {
    const std::u16string typed = edit->text().toStdU16String();
    const std::vector<profile::TextFault> faults = profile::textFaults(field, typed);
    if (faults.empty()) {
        return protocol::WireText::fromUtf16(typed).text;
    }
    const profile::TextFault& fault = faults.front();
    switch (fault.kind) {
        case profile::TextFault::Kind::Unsupported:
            refuse(edit, QStringLiteral("Tekst sadrzi znak koji uredjaj ne podrzava: %1")
                             .arg(QString::fromUcs4(&fault.character, 1)));
            break;
        case profile::TextFault::Kind::TooLong:
            refuse(edit, QStringLiteral("%1: tekst ima %2 znakova, a uređaj prima najviše %3.")
                             .arg(fieldName)
                             .arg(fault.length)
                             .arg(fault.maxLength));
            break;
        case profile::TextFault::Kind::NotANumber:
            refuse(edit, QStringLiteral("%1: \"%2\" nije broj telefona. Dozvoljene su samo "
                                        "cifre, sa jednim \"+\" na početku.")
                             .arg(fieldName, edit->text()));
            break;
    }
    return std::nullopt;
}

QString fixedPointText(std::int32_t value) {
    return QString::fromStdU16String(protocol::formatFixedPoint(value, decimalSeparator()));
}

QString generalText(double value) {
    return QString::fromStdU16String(protocol::formatGeneral(value, decimalSeparator()));
}

}  // namespace UserInput
