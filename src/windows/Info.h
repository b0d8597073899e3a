#pragma once

#include <QDialog>

#include <memory>

class THidDevice;

namespace Ui {
class TInfoForm;
}

// "HID Device Info": what the HID layer knows of one device, read when the
// dialog is first shown. Made for each opening by the main window and shown
// modally once.
class TInfoForm : public QDialog {
    Q_OBJECT

public:
    explicit TInfoForm(QWidget* parent = nullptr);
    ~TInfoForm() override;

    // The device to describe; set before the dialog is shown, not owned.
    THidDevice* Dev = nullptr;

    // `Dev` is about to be released: the dialog closes rather than keep a
    // device that no longer exists.
    void deviceReleased();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormShow();

    std::unique_ptr<Ui::TInfoForm> ui_;
    bool filled = false;
};
