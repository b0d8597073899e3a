#include "main/ApplicationWindows.h"

#include "main/DevReader.h"
#include "widgets/ScreenFit.h"
#include "widgets/WindowKeys.h"
#include "windows/ADSettings.h"
#include "windows/Alarmi.h"
#include "windows/CallPhonebook.h"
#include "windows/Chart.h"
#include "windows/Commissioning.h"
#include "windows/Debug.h"
#include "windows/GSMNumbers.h"
#include "windows/History.h"
#include "windows/Izlazi.h"
#include "windows/Memory.h"

namespace {

template <typename Window, typename... Links>
Window* create(std::unique_ptr<QWidget>& holder, Links&... links) {
    auto window = std::make_unique<Window>(links...);
    Window* created = window.get();
    // Only the main window keeps the program running; the others are hidden
    // when closed.
    created->setAttribute(Qt::WA_QuitOnClose, false);
    ScreenFit::scrollContent(*created);
    installWindowKeys(*created, true);
    holder = std::move(window);
    return created;
}

}  // namespace

TApplicationWindows::TApplicationWindows(HidPlatform& platform, UiThread& uiThread)
    : mainForm_(std::make_unique<TMainForm>(platform, uiThread)) {
    TMainForm& main = *mainForm_;
    windows_.frmMemory = create<TfrmMemory>(others_[0], main);
    windows_.frmGSMNumbers = create<TfrmGSMNumbers>(others_[1], main);
    // The alarm window first: the analog input window reads and writes its
    // text slot through it.
    windows_.frmAlarmi = create<TfrmAlarmi>(others_[3], main);
    windows_.frmADSettings = create<TfrmADSettings>(others_[2], main, *windows_.frmAlarmi);
    windows_.frmDebug = create<TfrmDebug>(others_[4], main);
    windows_.frmCallPhonebook = create<TfrmCallPhonebook>(others_[5], main);
    windows_.frmIzlazi = create<TfrmIzlazi>(others_[6], main);
    windows_.frmHistory = create<TfrmHistory>(others_[7], main);
    windows_.frmChart = create<TfrmChart>(others_[8], main);
    windows_.frmCommissioning = create<TfrmCommissioning>(others_[9], main);
    main.setWindows(windows_);
}

TApplicationWindows::~TApplicationWindows() = default;

QList<QWidget*> TApplicationWindows::all() const {
    QList<QWidget*> all{mainForm_.get()};
    for (const auto& window : others_) {
        all.append(window.get());
    }
    return all;
}
