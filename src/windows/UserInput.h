#pragma once

// What the user typed into an edit, read for sending to the unit. Each reader
// shows the message that stops the operation when the text cannot be sent and
// answers nothing then; numbers use the decimal separator of the user's
// locale.

#include <QString>

#include <cstdint>
#include <optional>

#include "profile/TextRules.h"
#include "protocol/NumberText.h"
#include "protocol/WireText.h"

class QLineEdit;

namespace UserInput {

// Any signed 32-bit integer.
std::optional<std::int64_t> integer(QLineEdit* edit);
// An integer for a field of the unit; one outside `limits` is refused, not
// cut to the field's bits.
std::optional<std::int64_t> integer(QLineEdit* edit, protocol::IntegerLimits limits);
// A fixed-point value: the decimal times 10000, rounded on its digits.
std::optional<std::int32_t> fixedPoint(QLineEdit* edit);
std::optional<double> decimal(QLineEdit* edit);
// A text that the unit's `field` takes whole, by the rules the profile check
// applies too; `fieldName` names the field in the message that refuses it.
std::optional<protocol::WireText> text(QLineEdit* edit, profile::TextField field,
                                       const QString& fieldName);

// "0.0000" with the locale's decimal separator.
QString fixedPointText(std::int32_t value);
// The general number format with the locale's decimal separator.
QString generalText(double value);

}  // namespace UserInput
