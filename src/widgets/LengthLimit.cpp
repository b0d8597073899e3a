#include "widgets/LengthLimit.h"

#include <QLineEdit>

#include <algorithm>

namespace LengthLimit {

void limit(QLineEdit* edit, int maxLength) {
    edit->setMaxLength(std::max<int>(maxLength, int(edit->text().size())));
    // A longer text shown may shrink; what it loses does not come back.
    QObject::connect(edit, &QLineEdit::textChanged, edit, [edit, maxLength](const QString& text) {
        edit->setMaxLength(std::max<int>(maxLength, int(text.size())));
    });
}

void show(QLineEdit* edit, const QString& text) {
    if (text.size() > edit->maxLength()) {
        edit->setMaxLength(int(text.size()));
    }
    edit->setText(text);
}

}  // namespace LengthLimit
