#pragma once

// An edit that takes at most as many characters as the unit keeps. Unlike
// QLineEdit's own maximum alone, a longer text the program shows (a reply
// that carries more than the unit accepts back) is shown whole: the user can
// shorten it but not lengthen it, and the write then says what is wrong.

class QLineEdit;
class QString;

namespace LengthLimit {

// Typing or pasting into `edit` stops at `maxLength` characters.
void limit(QLineEdit* edit, int maxLength);
// Shows `text` in a limited edit, whole even when it is longer.
void show(QLineEdit* edit, const QString& text);

}  // namespace LengthLimit
