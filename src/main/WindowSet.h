#pragma once

class TfrmMemory;
class TfrmGSMNumbers;
class TfrmADSettings;
class TfrmAlarmi;
class TfrmDebug;
class TfrmCallPhonebook;
class TfrmIzlazi;
class TfrmHistory;
class TfrmChart;
class TfrmCommissioning;

// The windows the main window shows and whose replies it dispatches, in the
// order they are created. Not owned.
struct TWindowSet {
    TfrmMemory* frmMemory = nullptr;
    TfrmGSMNumbers* frmGSMNumbers = nullptr;
    TfrmADSettings* frmADSettings = nullptr;
    TfrmAlarmi* frmAlarmi = nullptr;
    TfrmDebug* frmDebug = nullptr;
    TfrmCallPhonebook* frmCallPhonebook = nullptr;
    TfrmIzlazi* frmIzlazi = nullptr;
    TfrmHistory* frmHistory = nullptr;
    TfrmChart* frmChart = nullptr;
    TfrmCommissioning* frmCommissioning = nullptr;
};
