#pragma once

#include <QMainWindow>

#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "main/WindowSet.h"
#include "windows/MainLink.h"

class HidPlatform;
class ProfileActions;
class QLabel;
class QTimer;
class THidDevice;
class THidDeviceController;
class TInfoForm;
class TTraceWriter;
class UiThread;

namespace protocol {
class CommandReport;
struct StatusReply;
}  // namespace protocol

namespace Ui {
class TMainForm;
}

// The main window: the one gateway between the windows and the unit. It owns
// the HID controller and follows the devices as they come and go, connects
// to the unit whose name contains "Brevalon 8", sends every command report,
// dispatches every reply by its tag, polls and shows the unit's status every
// 100 ms tick, and keeps the history list of arrivals, removals and link
// failures.
class TMainForm : public QMainWindow, public TMainLink {
    Q_OBJECT

public:
    // `platform` and `uiThread` must outlive the window.
    TMainForm(HidPlatform& platform, UiThread& uiThread, QWidget* parent = nullptr);
    ~TMainForm() override;

    // The windows the dispatcher and the buttons reach; set once, right after
    // they are created and before the window is shown.
    void setWindows(const TWindowSet& windows);
    // Every report sent and dispatched is also written here; null for none.
    void setTrace(TTraceWriter* trace);

    // --- TMainLink -----------------------------------------------------------
    bool hasCurrentDevice() const override;
    void HIDSendCmd(char Cmd, char SubCmd, std::initializer_list<std::uint8_t> Par = {}) override;
    void HIDSendCmdBuf(char Cmd, char SubCmd, const std::uint8_t* Buf, std::size_t Len) override;
    bool waitForAcknowledge(const bool& WaitForOk) override;
    std::u16string unitSerial() const override;
    bool backUpBefore(profile::BackupReason reason) override;
    std::optional<profile::KeptUnit> keepForCommissioning() override;
    void sendRequest(const protocol::CommandReport& report) override;
    void keepPollingStatus() override;
    void unitBackAfterFormat() override;
    std::uint16_t ADRawCH1() const override;
    std::array<std::uint8_t, 4096>& MemSaveBuffer() override;

    // --- handlers, public so that tests can drive them -------------------------
    // The 100 ms tick.
    void Timer1Timer();
    // Attaches the device-change handler; the first call looks at the devices.
    void FormActivate();
    // The data handler of every device that matched.
    void ShowRead(THidDevice* HidDev, std::uint8_t ReportID, const std::uint8_t* Data,
                  std::uint16_t Size);
    void HidCtlArrival(THidDevice* HidDev);
    void HidCtlRemoval(THidDevice* HidDev);
    void HidCtlDeviceChange(THidDeviceController* Sender);
    bool HidCtlEnumerate(THidDevice* HidDev, std::int32_t Idx);
    void HidCtlDeviceDataError(THidDevice* HidDev, std::uint32_t Error);
    QString DeviceName(THidDevice* HidDev);

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormCreate();
    // Sends a report of the tool's own; nothing while a profile operation runs.
    void sendReport(const protocol::CommandReport& report);
    // Writes `report` to the current device; false when there is none or
    // the write failed.
    bool writeReport(const protocol::CommandReport& report);
    // A window's read chain or acknowledgement wait is running.
    bool windowBusy() const;
    // Whether a profile operation may start now; says why not when it may not.
    bool readyForProfile();
    void addHistoryLine(const QString& line);
    QString errorLine(const char* kind, std::uint32_t code) const;
    void showPresence();
    // Connects the unit the user chose, or the one listed last; called once
    // the controller has listed the devices.
    void connectChosenUnit();
    void connectUnit(THidDevice* device);
    // The unit chooser and the caption, for the units now listed.
    void showUnits();
    void cmbUnitChange(int index);
    void showStatus(const protocol::StatusReply& status);
    void showFirmwareInfo(const std::u16string& text);
    void showWindow(QWidget* window);

    void btGetStatusClick();
    void btFirmwareInfoClick();
    void btRele1TogleClick();
    void btResetToBootClick();
    void btHIDInfoClick();
    void sBitBtn3Click();
    void btOutsClick();
    void btShowMemoryClick();
    void sBitBtn1Click();
    void sBitBtn2Click();
    void btAlarmiClick();
    void btDebugClick();
    void btSaveProfileClick();
    void btLoadProfileClick();
    void btShowHistoryClick();
    void SaveBtnClick();
    void ClearBtnClick();
    void StatusBar1DblClick();

    std::unique_ptr<Ui::TMainForm> ui_;
    HidPlatform& platform_;
    std::unique_ptr<THidDeviceController> HidCtl;
    QTimer* Timer1 = nullptr;
    std::array<QLabel*, 3> statusPanels_{};
    TWindowSet windows_;
    TTraceWriter* trace_ = nullptr;
    // The information dialog while it is open.
    TInfoForm* openInfoForm_ = nullptr;
    std::unique_ptr<ProfileActions> profileActions_;
    // Acknowledgement waits running, one inside another at most.
    int acknowledgeWaits_ = 0;

    THidDevice* CurrentDevice = nullptr;
    bool BrevalonPresent = false;
    // A unit is listed that this user may open only for queries.
    bool brevalonWithoutAccess_ = false;
    // The device checked out for each entry of DevListBox, or null where the
    // check-out failed; held until the next device change.
    std::vector<THidDevice*> devListDevices_;
    // The units among them that this user may open, in the controller's order.
    std::vector<THidDevice*> units_;
    // The device path of the unit the user chose in cmbUnit; empty for the
    // default, the one listed last.
    std::string chosenPath_;
    // Path and serial number of the unit connected; empty once none is.
    std::string connectedUnit_;
    QString baseTitle_;

    std::uint32_t TxCnt = 0;
    std::uint32_t RxCnt = 0;
    std::uint16_t TimeOut = 0;

    std::uint8_t StatusDIN1 = 0;
    std::uint8_t StatusDIN2 = 0;
    std::uint8_t StatusDIN3 = 0;
    std::uint8_t StatusOUT1 = 0;
    std::uint16_t adRawCh1_ = 0;
    std::uint16_t ADRawCH2 = 0;
    std::array<std::uint8_t, 4096> memSaveBuffer_{};
};
