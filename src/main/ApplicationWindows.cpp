#include "ApplicationWindows.h"

#include "ADSettings.h"
#include "Alarmi.h"
#include "CallPhonebook.h"
#include "Debug.h"
#include "DevReader.h"
#include "GSMNumbers.h"
#include "Izlazi.h"
#include "Memory.h"

namespace {

template <typename Window>
Window* Create(TMainForm& Main, std::unique_ptr<QWidget>& holder) {
    auto window = std::make_unique<Window>(Main);
    Window* created = window.get();
    // Only the main window keeps the program running; the others are hidden
    // when closed.
    created->setAttribute(Qt::WA_QuitOnClose, false);
    holder = std::move(window);
    return created;
}

}  // namespace

TApplicationWindows::TApplicationWindows(HidPlatform& Platform, UiThread& Ui)
    : mainForm_(std::make_unique<TMainForm>(Platform, Ui)) {
    TMainForm& main = *mainForm_;
    windows_.frmMemory = Create<TfrmMemory>(main, others_[0]);
    windows_.frmGSMNumbers = Create<TfrmGSMNumbers>(main, others_[1]);
    windows_.frmADSettings = Create<TfrmADSettings>(main, others_[2]);
    windows_.frmAlarmi = Create<TfrmAlarmi>(main, others_[3]);
    windows_.frmDebug = Create<TfrmDebug>(main, others_[4]);
    windows_.frmCallPhonebook = Create<TfrmCallPhonebook>(main, others_[5]);
    windows_.frmIzlazi = Create<TfrmIzlazi>(main, others_[6]);
    windows_.frmAlarmi->SetADSettings(windows_.frmADSettings);
    windows_.frmADSettings->SetAlarmi(windows_.frmAlarmi);
    main.SetWindows(windows_);
}

TApplicationWindows::~TApplicationWindows() = default;

QList<QWidget*> TApplicationWindows::All() const {
    QList<QWidget*> all{mainForm_.get()};
    for (const auto& window : others_) {
        all.append(window.get());
    }
    return all;
}
