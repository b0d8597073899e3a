#pragma once

#include <QObject>

#include <vector>

class QLineEdit;

// Keeps a window that was never filled from wiping the unit: a write of
// edits that are all empty, and that neither a read, a profile nor the user's
// typing filled since the unit connected, asks first. Empty edits that the
// unit itself gave, or that the user emptied, write as they are.
class EmptyWriteGuard : public QObject {
    Q_OBJECT

public:
    // `edits` are what the write sends; they must outlive the guard.
    EmptyWriteGuard(std::vector<QLineEdit*> edits, QObject* parent);

    // A read or a profile has put the unit's values into the edits.
    void filled() { filled_ = true; }
    // Another unit (or the same one again) has connected: what the edits
    // show no longer came from it.
    void unitConnected() { filled_ = false; }
    // Whether the write may go; asks the user when it would only empty the
    // unit's fields.
    bool mayWrite() const;

private:
    std::vector<QLineEdit*> edits_;
    bool filled_ = false;
};
