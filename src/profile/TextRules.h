#pragma once

// What the unit takes for each of its texts. The windows check what the user
// typed with these rules and the profile check applies the same ones, so a
// value one of them refuses the other refuses too.

#include <cstddef>
#include <string_view>
#include <vector>

namespace profile {

enum class TextField { GsmNumber, SmsText, PhonebookNumber, PhonebookNote };

// The characters the unit keeps of the field.
std::size_t maxLength(TextField field);

struct TextFault {
    enum class Kind {
        // A character outside U+0001 to U+00FF, which the unit cannot store.
        Unsupported,
        // More characters than the unit keeps.
        TooLong,
        // A telephone number that is not digits with an optional leading "+".
        NotANumber,
    };
    Kind kind = Kind::Unsupported;
    // Unsupported: the first such character (a surrogate pair counts as the
    // one character it encodes).
    char32_t character = 0;
    // TooLong: the text's characters and the field's maximum.
    std::size_t length = 0;
    std::size_t maxLength = 0;
    bool operator==(const TextFault&) const = default;
};

// Every fault of `text` in `field`, in the order of Kind; empty when the unit
// takes it. A number holding an unsupported character is not also faulted as
// not a number. An empty text is always taken: it clears the field.
std::vector<TextFault> textFaults(TextField field, std::u16string_view text);

}  // namespace profile
