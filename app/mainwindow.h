#pragma once

#include "device/tarnevent.h"
#include "firmware/tarnupgrade.h"

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
}
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
    void readIdentity();
    // device/profiles.cpp
    void applyModelProfile(const QString &name);
    void applyProfileRow(const device::Profile &row);
    void placeShown(QWidget *widget, int x, int y, device::Look look);
    void placeHidden(QWidget *widget, int x, int y, device::Look look);
    void readExtraShiftersEnabled();
    // device/status.cpp
    void readFirmwareVersion();
    // inputs/decoding.cpp
    void resolveInputIndicators();
    // inputs/encoder.cpp
    void showEncoderBindState(int state);
    void loadEncoderBinding();
    void saveEncoderBinding();
    void removeEncoderBinding();
    void updateEncoderBinding();
    // settings/paddles.cpp
    quint16 paddleValue() const;
    void writePaddleRecord(bool store);
    void readPaddleRecord();
    void readClutchEnabled();
    // settings/pulses.cpp
    void readEncoderPulseWidth();
    void readShifterPulseWidth();
    void shifterCalibrate(QPushButton *button, quint8 subIndex, const char *holdText);
    // leds/ledtable.cpp
    void readLedTable();
    void writeLedTable(bool store);
    void writeExtraColours(bool store, int channelOrder);
    // firmware/upload.cpp
    void resetFirmwarePage();

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

    // --- beyond the members above: caches and timers that keep behaviour
    // sound (one pending retry, one poll chain) and the per-report path cheap.

    // connection: the one pending retry while waiting
    QTimer retryTimer;
    // inputs: indicator of each input number, resolved once (nullptr = none)
    std::array<QPushButton *, 52> inputIndicators{};
    // Shadows of the indicators' status tips, so an unchanged report costs
    // no widget access: inputs with an indicator, lit ("SHOW") and written at
    // least once. A hidden-behind-our-back indicator forces one full pass.
    quint64 indicatedInputs = 0;
    quint64 litInputs = 0;
    quint64 markedInputs = 0;
    bool indicatorsDirty = true;
    // status: the one poll chain
    QTimer pollTimer;

    // firmware: the image the online update stored, the one file an upload removes
    QString downloadedFirmware;
    // Tells the user and returns true while an upload runs.
    bool refuseWhileUploading();

    // leds: the 45 colour buttons by leds::Button, resolved at first use, and
    // whether a send of the last LED write failed
    QPushButton *ledButton(int id);
    std::array<QPushButton *, 45> ledButtons{};
    bool ledButtonsResolved = false;
    bool ledSendFailed = false;

    // settings: what this wheel answered for since it connected; the close
    // path never stores a value the window could not read
    bool paddleRecordRead = false;
    bool clutchSwitchRead = false;
    bool shifterSwitchRead = false;
    // A new connection: nothing read yet, and calibrations begun with the
    // last one end unstored.
    void forgetWheelSettings();
    // A paddle record carries the calibration limits: true once the window
    // holds the wheel's, reading the record now if it has not been read.
    bool paddleLimitsKnown();
};
