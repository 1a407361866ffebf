#include "mainwindow.h"

#include "framepacer.h"
#include "leds/ledlayouts.h"
#include "main.h"
#include "trace.h"
#include "ui_mainwindow.h"

#include <hidapi/hidapi.h>

#include <QCloseEvent>
#include <QImageReader>
#include <QLocalSocket>
#include <QMenu>
#include <QMouseEvent>

#include <cstdio>

namespace {
const QPointF kNoDrag(2147483647.0, 2147483647.0);

// Qt decodes every picture a style sheet names while the form is built. Two
// of the form's pictures are 1280 x 720 placeholders (the inputs and colours
// pages' wheel) that the constructor replaces before anything can show them;
// decoding them was a fifth of the start-up. While the form is built, images
// over 2 MB are refused. A refused picture stays undrawn until its widget's
// style sheet changes, so the limit must stay above every picture the form
// shows (the largest, the header, is 1 MB decoded). Qt's warning for each
// refusal, expected here, is dropped.
class SkipPlaceholderPictures {
public:
    SkipPlaceholderPictures() : m_limitMb(QImageReader::allocationLimit()) {
        QImageReader::setAllocationLimit(2);
        s_handler = qInstallMessageHandler(&filter);
    }
    ~SkipPlaceholderPictures() {
        qInstallMessageHandler(s_handler);
        QImageReader::setAllocationLimit(m_limitMb);
    }
    SkipPlaceholderPictures(const SkipPlaceholderPictures &) = delete;
    SkipPlaceholderPictures &operator=(const SkipPlaceholderPictures &) = delete;

private:
    static void filter(QtMsgType type, const QMessageLogContext &context, const QString &message) {
        if (type == QtWarningMsg && qstrcmp(context.category, "qt.gui.imageio") == 0) return;
        if (s_handler) s_handler(type, context, message);
        else std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
    }

    static inline QtMessageHandler s_handler = nullptr;
    const int m_limitMb;
};
}  // namespace

MainWindow::MainWindow(QWidget *parent) : QMainWindow(parent), ui(new Ui::MainWindow) {
    orvaneInitResources();
    // Frameless before the form exists: changing the flags of a finished
    // window re-creates it and restyles every one of its widgets.
    setWindowFlags(Qt::FramelessWindowHint);
    {
        SkipPlaceholderPictures skip;
        ui->setupUi(this);
    }
    new FramePacer(this);
    ui->lbCurVer->setText(QStringLiteral("Orvane Version: v") + QStringLiteral(ORVANE_VERSION));
    ui->pbStatus->hide();

    connect(ui->pbClose, &QPushButton::clicked, this, &MainWindow::onClose);
    connect(ui->pbMin, &QPushButton::clicked, this, &MainWindow::onMinimize);
    for (QPushButton *b : {ui->pbS1, ui->pbS2, ui->pbS3, ui->pbS4, ui->pbS5})
        connect(b, &QPushButton::clicked, this, &MainWindow::onSidebar);
    for (int id = 0; id < leds::ButtonCount; ++id)
        connect(ledButton(id), &QPushButton::clicked, this, &MainWindow::onColorPick);
    for (QPushButton *b : {ui->pbSetR, ui->pbSetG, ui->pbSetB, ui->pbSetW, ui->pbSetD, ui->pbSet1, ui->pbSet2,
                           ui->pbSet3, ui->pbSet4})
        connect(b, &QPushButton::clicked, this, &MainWindow::onSetColor);
    connect(ui->pbSave, &QPushButton::clicked, this, &MainWindow::onSaveColor);
    connect(ui->pbPath, &QPushButton::clicked, this, &MainWindow::onShowPath);
    connect(ui->pbUpgrade, &QPushButton::clicked, this, &MainWindow::onUpgrade);
    connect(ui->hsBite, &QSlider::valueChanged, this, &MainWindow::onPaddleChanged);
    connect(ui->hsBite, &QSlider::sliderReleased, this, &MainWindow::onPaddleUpdate);
    for (QRadioButton *b : {ui->rbPadL, ui->rbPadR, ui->rbPadNo})
        connect(b, &QRadioButton::clicked, this, &MainWindow::onPaddleUpdate);
    connect(ui->pbSaveP, &QPushButton::clicked, this, &MainWindow::onSavePageP);
    connect(ui->pbAutoUpgrade, &QPushButton::clicked, this, &MainWindow::onAutoUpgrade);
    connect(ui->pbClearFlash, &QPushButton::clicked, this, &MainWindow::onClearFlash);
    connect(&upgradeThread, &TarnUpgrade::progress, this, &MainWindow::onProgress);
    connect(&eventThread, &TarnEvent::eventTrigger, this, &MainWindow::onJoystickEvent);
    connect(ui->hsTrigger, &QSlider::valueChanged, this, &MainWindow::onTriggerChanged);
    connect(ui->hsTrigger, &QSlider::sliderReleased, this, &MainWindow::onTriggerUpdate);
    connect(ui->hsShifter, &QSlider::valueChanged, this, &MainWindow::onShifterChanged);
    connect(ui->hsShifter, &QSlider::sliderReleased, this, &MainWindow::onShifterUpdate);
    connect(ui->pbSaveEnc, &QPushButton::clicked, this, &MainWindow::onSavePageE);
    connect(ui->cbClutch, &QRadioButton::toggled, this, &MainWindow::onClutchStatus);
    connect(ui->cbShifter, &QRadioButton::toggled, this, &MainWindow::onShifterStatus);
    // A switch the user set is this wheel's even when reading it failed.
    connect(ui->cbClutch, &QRadioButton::clicked, this, [this] { known.clutchSwitch = true; });
    connect(ui->cbShifter, &QRadioButton::clicked, this, [this] { known.shifterSwitch = true; });
    connect(ui->pbCalL, &QPushButton::toggled, this, &MainWindow::onCalibrateL);
    connect(ui->pbCalR, &QPushButton::toggled, this, &MainWindow::onCalibrateR);
    connect(ui->pbBearLCa, &QPushButton::clicked, this, &MainWindow::onBearLCalibrate);
    connect(ui->pbBearRCa, &QPushButton::clicked, this, &MainWindow::onBearRCalibrate);
    connect(ui->pbBearExLCa, &QPushButton::clicked, this, &MainWindow::onBearExLCalibrate);
    connect(ui->pbBearExRCa, &QPushButton::clicked, this, &MainWindow::onBearExRCalibrate);
    connect(ui->pbEncoder, &QPushButton::clicked, this, &MainWindow::onEncoderBind);
    createBackupButtons();

    ui->stackedWidget->setCurrentIndex(0);
    dragOrigin = QPointF(-1.0, -1.0);
    connect(&eventThread, &TarnEvent::deviceDisconnect, this, &MainWindow::onInit);

    // One pending retry at most, however many times the wheel is lost.
    timers.retry.setSingleShot(true);
    timers.retry.setInterval(3000);
    connect(&timers.retry, &QTimer::timeout, this, &MainWindow::onInit);
    timers.poll.setSingleShot(true);
    connect(&timers.poll, &QTimer::timeout, this, &MainWindow::onDeviceUpdate);
    resolveInputIndicators();
    // What live input changes on the inputs page is repainted from copies:
    // the wheel picture, the indicators on it, the paddle bars.
    new PaintCache(ui->lbMain);
    for (QPushButton *indicator : inputView.indicators)
        if (indicator) new PaintCache(indicator);
    for (QProgressBar *bar : {ui->pgAdcL, ui->pgAdcR}) {
        new PaintCache(bar, [bar] { return chunkLength(bar); });
        // Before it takes a value, a bar whose text hides formats that text and
        // asks the style sheet style for its chunk's geometry, most of what a
        // report costs; one whose text names the value asks nothing. So the
        // text names the value and is drawn in no colour: the bar looks as the
        // form has it.
        bar->setFormat(QStringLiteral("%v"));
        bar->setTextVisible(true);
        QPalette palette = bar->palette();
        palette.setColor(QPalette::Text, Qt::transparent);
        bar->setPalette(palette);
    }

    enterWaitingState();
    // No picture label can be seen before a model is known: the waiting state
    // empties the inputs page's, and the colours page stays disabled until
    // the model profile gives it its own. Left named, the placeholder would
    // be decoded when the window is first shown.
    ledState.formPicture = ui->lbMainRGB->styleSheet();
    ui->lbMainRGB->setStyleSheet(QStringLiteral("border-image:"));
    installProtocolTrace();
    hid_init();
    QTimer::singleShot(0, this, &MainWindow::onInit);

    trayIcon = new QSystemTrayIcon(this);
    trayIcon->setIcon(QIcon(QStringLiteral(":/img/main.ico")));
    auto *menu = new QMenu(this);
    QAction *restore = menu->addAction(tr("Restore"));
    connect(restore, &QAction::triggered, this, &MainWindow::onShowNormal);
    trayIcon->setContextMenu(menu);
    connect(trayIcon, &QSystemTrayIcon::activated, this, &MainWindow::onTrayActivated);

    listenForInstances(localServer);
    // Each later start brings the window back. Its connection is taken and
    // closed at once: left pending, they fill the server's queue, and later
    // starts would find no answer.
    connect(&localServer, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket *socket = localServer.nextPendingConnection()) {
            socket->close();
            socket->deleteLater();
        }
        onShowNormal();
    });
}

MainWindow::~MainWindow() {
    // Never destroy a running thread: the window can go without onClose().
    eventThread.requestInterruption();
    eventThread.wait();
    upgradeThread.wait();
    delete ui;
}

void MainWindow::closeEvent(QCloseEvent *event) {
    // A half-written image leaves the wheel without firmware: stay until it is done.
    if (refuseWhileUploading()) {
        event->ignore();
        return;
    }
    if (eventThread.isRunning()) {
        eventThread.requestInterruption();
        eventThread.wait();
    }
    QMainWindow::closeEvent(event);
}

void MainWindow::onClose() {
    if (refuseWhileUploading()) return;
    onSavePageP();
    eventThread.requestInterruption();
    eventThread.wait();
    close();
}

void MainWindow::onMinimize() {
    showMinimized();
    trayIcon->setVisible(true);
    hide();
}

void MainWindow::onShowNormal() {
    showNormal();
    trayIcon->setVisible(false);
}

void MainWindow::onTrayActivated(QSystemTrayIcon::ActivationReason reason) {
    if (reason == QSystemTrayIcon::DoubleClick) QTimer::singleShot(500, this, &MainWindow::onShowNormal);
}

void MainWindow::onSidebar() {
    QPushButton *buttons[] = {ui->pbS1, ui->pbS2, ui->pbS3, ui->pbS4, ui->pbS5};
    for (QPushButton *b : buttons) b->setChecked(false);
    const QObject *from = sender();
    const QString name = from ? from->objectName() : QString();
    const char c = name.size() > 3 ? name.at(3).toLatin1() : '\0';
    if (c < '1' || c > '5') return;
    const int page = c - '1';
    buttons[page]->setChecked(true);
    ui->stackedWidget->setCurrentIndex(page);
}

void MainWindow::mousePressEvent(QMouseEvent *event) {
    const QPointF global = event->globalPosition();
    const int distance = int(global.y() - y());
    if (event->button() == Qt::LeftButton && distance >= 1 && distance <= 49) dragOrigin = global;
    else dragOrigin = kNoDrag;
}

void MainWindow::mouseMoveEvent(QMouseEvent *event) {
    if (!(event->buttons() & Qt::LeftButton)) return;
    if (dragOrigin == kNoDrag) return;
    const QPointF global = event->globalPosition();
    const int dx = int(global.x() - dragOrigin.x());
    const int dy = int(global.y() - dragOrigin.y());
    dragOrigin = global;
    move(x() + dx, y() + dy);
}

void MainWindow::mouseReleaseEvent(QMouseEvent *) { dragOrigin = kNoDrag; }
