#pragma once

#include "device/tarnevent.h"
#include "firmware/tarnupgrade.h"
#include "leds/ledops.h"

#include <QLocalServer>
#include <QMainWindow>
#include <QNetworkAccessManager>
#include <QPointF>
#include <QSystemTrayIcon>
#include <QTimer>

#include <array>

namespace Ui {
class MainWindow;
}
namespace device {
struct Profile;
enum class Look;
}  // namespace device
class QPushButton;

// The one window and the owner of all state. Each subsystem defines its slots
// and operations in its own directory (device/, inputs/, settings/, leds/,
// firmware/); the shell's live in app/mainwindow.cpp.
class MainWindow : public QMainWindow {
    Q_OBJECT

public:
    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

protected slots:
    void onClose();
    void onMinimize();
    void onShowNormal();
    void onTrayActivated(QSystemTrayIcon::ActivationReason reason);
    void onSidebar();
    void onColorPick();
    void onInit();
    void onShowPath();
    void onUpgrade();
    void onProgress(int value);
    void onJoystickEvent(QByteArray data);
    void onAutoUpgrade();
    void onUpgradeReady();
    void onClearFlash();
    void onDeviceUpdate();
    void onSetColor();
    void onSavePageE();
    void onSaveColor();
    void onSavePageP();
    void onPaddleChanged(int value);
    void onPaddleUpdate();
    void onBearLCalibrate();
    void onBearRCalibrate();
    void onBearExLCalibrate();
    void onBearExRCalibrate();
    void onTriggerChanged(int value);
    void onTriggerUpdate();
    void onShifterChanged(int value);
    void onShifterUpdate();
    void onClutchStatus();
    void onShifterStatus();
    void onNetUpgrade();
    void onNetProgress(qint64 received, qint64 total);
    void onNetUpgradeReady();
    void onCalibrate();
    void onCalibrateL(bool on);
    void onCalibrateR(bool on);
    void onEncoderBind();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

    // device/connection.cpp
    void enterWaitingState();
    bool readIdentity();  // false: the answer named no wheel
    // device/profiles.cpp
    void applyModelProfile(const QString &name);
    void applyProfileRow(const device::Profile &row);
    void placeShown(QWidget *widget, int x, int y, device::Look look);
    void placeHidden(QWidget *widget, int x, int y, device::Look look);
    void readExtraShiftersEnabled();
    // device/status.cpp
    void readFirmwareVersion();
    // inputs/encoder.cpp
    void showEncoderBindState(int state);
    void loadEncoderBinding();
    void saveEncoderBinding();
    void removeEncoderBinding();
    void updateEncoderBinding();
    // settings/paddles.cpp
    quint16 paddleValue() const;
    void showPaddleValue(quint16 value);
    void writePaddleRecord(bool store);
    void readPaddleRecord();
    void readClutchEnabled();
    // settings/pulses.cpp
    void readEncoderPulseWidth();
    void readShifterPulseWidth();
    void shifterCalibrate(QPushButton *button, quint8 subIndex, const char *holdText);
    void calibrateClutch(bool left, bool on);
    // leds/ledtable.cpp
    void readLedTable();
    void showLedsRead();
    void writeLedTable(bool store);
    void chooseLedColor(QWidget *button, const QColor &color);
    void writeExtraColours(bool store, int channelOrder);
    // firmware/upload.cpp
    void resetFirmwarePage();
    // settings/backupbuttons.cpp: the device page's settings backups
    void createBackupButtons();
    void backUpSettings();
    void restoreSettings();
    void readSettingsAgain();

    // Members, in this order.
    Ui::MainWindow *ui;
    QPointF dragOrigin;
    TarnEvent eventThread;
    TarnUpgrade upgradeThread;
    QNetworkAccessManager netManager;
    QLocalServer localServer;
    quint32 leftMin = 0;
    quint32 rightMin = 0;
    quint32 leftMax = 4096;
    quint32 rightMax = 4096;
    QString deviceName;
    QString updateFolder;
    qint32 productId = 0;
    qint32 encoderBindState = 0;
    quint8 encoderUpInput = 255;
    quint8 encoderDownInput = 255;
    bool statusPolling = false;
    QSystemTrayIcon *trayIcon = nullptr;
    QList<int> releasedInputs;

    // --- The window's own state beyond the members above, one struct per
    // subsystem: what keeps behaviour sound (one pending retry, one poll
    // chain, nothing stored that was never read) and the per-report path cheap.

    // connection and status: the one pending retry while waiting, the one poll chain
    struct Timers {
        QTimer retry;
        QTimer poll;
    } timers;

    // inputs: each input number's indicator, resolved once (nullptr: none), and
    // shadows of their status tips, so an unchanged report costs no widget access
    struct InputView {
        std::array<QPushButton *, 52> indicators{};
        quint64 indicated = 0;  // inputs with an indicator
        quint64 lit = 0;        // "SHOW"
        quint64 marked = 0;     // status tip written at least once
        bool dirty = true;      // hidden behind our back: the next report does a full pass
    } inputView;
    void resolveInputIndicators();

    // settings: the values the window holds of this wheel, read from it or set
    // by the user since it connected; Save and the close path write no other
    struct Known {
        bool paddleRecord = false;     // read: the limits and the stored value
        bool paddleSetByUser = false;  // mode or bite point
        bool clutchSwitch = false;
        bool shifterSwitch = false;
    } known;
    // A new connection: nothing read yet, and calibrations begun with the
    // last one end unstored.
    void forgetWheelSettings();
    // Each clutch paddle's minimum and maximum when its calibration began,
    // which a calibration that learnt nothing restores.
    struct CalibrationStart {
        std::array<quint32, 2> left{0, 4096};
        std::array<quint32, 2> right{0, 4096};
    } calibrationStart;
    // A paddle record carries the calibration limits: true once the window
    // holds the wheel's, reading the record now if it has not been read.
    bool paddleLimitsKnown();

    // leds: the 45 color buttons by leds::Button, resolved at first use; the
    // table as this wheel answered it, its extra pair, the buttons the user
    // colored since it connected; whether the last LED write failed
    struct LedState {
        std::array<QPushButton *, 45> buttons{};
        bool resolved = false;
        leds::TableRead read;
        bool pairRead = false;
        leds::Buttons chosen;
        bool sendFailed = false;
        // the colors page's picture as the form gives it, shown for a name of
        // no model (the constructor empties the label for start-up speed)
        QString formPicture;
    } ledState;
    QPushButton *ledButton(int id);

    // firmware: the image the online update stored, the one file an upload
    // removes, and the wheel it was checked or fetched for
    struct Download {
        QString path;
        QString wheel;
    } download;
    // Tells the user and returns true while an upload runs.
    bool refuseWhileUploading();
};
