#include "profile/TextRules.h"

#include <QChar>

#include "protocol/GsmNumbers.h"
#include "protocol/Phonebook.h"
#include "protocol/SmsTexts.h"
#include "protocol/WireText.h"

namespace profile {

namespace {

std::size_t characterCount(std::u16string_view text) {
    std::size_t count = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool pair = QChar::isHighSurrogate(text[i]) && i + 1 < text.size() &&
                          QChar::isLowSurrogate(text[i + 1]);
        i += pair ? 1 : 0;
        ++count;
    }
    return count;
}

bool isNumberField(TextField field) {
    return field == TextField::GsmNumber || field == TextField::PhonebookNumber;
}

// Digits with one optional "+" in front; a "+" alone is no number.
bool isTelephoneNumber(std::u16string_view text) {
    if (text.starts_with(u'+')) {
        text.remove_prefix(1);
    }
    if (text.empty()) {
        return false;
    }
    for (const char16_t c : text) {
        if (c < u'0' || c > u'9') {
            return false;
        }
    }
    return true;
}

}  // namespace

std::size_t maxLength(TextField field) {
    switch (field) {
        case TextField::GsmNumber:
            return protocol::GsmNumberMaxLength;
        case TextField::SmsText:
            return protocol::SmsTextMaxLength;
        case TextField::PhonebookNumber:
            return protocol::PhonebookNumberMaxLength;
        case TextField::PhonebookNote:
            return protocol::PhonebookNoteMaxLength;
    }
    return 0;
}

std::vector<TextFault> textFaults(TextField field, std::u16string_view text) {
    std::vector<TextFault> faults;
    if (text.empty()) {
        return faults;
    }
    const protocol::WireTextResult wire = protocol::WireText::fromUtf16(text);
    if (!wire.text) {
        faults.push_back({TextFault::Kind::Unsupported, wire.unsupported});
    }
    const std::size_t length = characterCount(text);
    if (length > maxLength(field)) {
        faults.push_back({TextFault::Kind::TooLong, 0, length, maxLength(field)});
    }
    if (wire.text && isNumberField(field) && !isTelephoneNumber(text)) {
        faults.push_back({TextFault::Kind::NotANumber});
    }
    return faults;
}

}  // namespace profile
