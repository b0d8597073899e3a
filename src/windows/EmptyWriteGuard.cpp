#include "windows/EmptyWriteGuard.h"

#include <QLineEdit>

#include <algorithm>
#include <utility>

#include "widgets/DialogService.h"

EmptyWriteGuard::EmptyWriteGuard(std::vector<QLineEdit*> edits, QObject* parent)
    : QObject(parent), edits_(std::move(edits)) {
    for (QLineEdit* edit : edits_) {
        connect(edit, &QLineEdit::textEdited, this, [this] { filled_ = true; });
    }
}

bool EmptyWriteGuard::mayWrite() const {
    const bool allEmpty =
        std::all_of(edits_.begin(), edits_.end(), [](QLineEdit* e) { return e->text().isEmpty(); });
    if (filled_ || !allEmpty) {
        return true;
    }
    return DialogService::instance().warningYesNo(QStringLiteral(
               "Polja su prazna: upisivanjem će podešavanja u uređaju biti obrisana. "
               "Nastaviti?")) == DialogService::Answer::Yes;
}
