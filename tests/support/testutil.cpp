#include "testutil.h"

namespace tu {

QByteArray hex(const Bytes &b) {
    return QByteArray(reinterpret_cast<const char *>(b.data()), int(b.size())).toHex(' ');
}

QString show(const std::vector<Bytes> &frames) {
    QStringList out;
    for (const auto &f : frames) out << QString::fromLatin1(hex(f));
    return out.join(QLatin1Char('\n'));
}

QByteArray payload(uint16_t right, uint16_t left, uint64_t bits) {
    const std::vector<uint8_t> r = sim::inputReport(right, left, bits);
    return QByteArray(reinterpret_cast<const char *>(r.data()) + 1, int(r.size()) - 1);
}

void resetBus() {
    device::Device::instance().close();
    sim::reset();
}

void plugWheel(uint16_t pid, const std::string &name, const std::function<void(sim::WheelState &)> &change) {
    resetBus();
    sim::plug(pid, name);
    if (!change) return;
    sim::WheelState s = sim::flash(pid);
    change(s);
    sim::setFlash(pid, s);
}

std::unique_ptr<TestWindow> makeWindow() {
    auto w = std::make_unique<TestWindow>();
    w->show();
    return w;
}

bool linked(TestWindow &w) {
    return device::Device::instance().isOpen() && w.productId != 0 && w.ui->pbStatus->isHidden() &&
           w.eventThread.isRunning() && !w.timers.retry.isActive();
}

bool connected(TestWindow &w) { return linked(w) && w.ui->stackedWidget->currentIndex() == 0; }

bool waiting(TestWindow &w) {
    return !device::Device::instance().isOpen() && w.ui->pbStatus->isVisible() &&
           w.ui->stackedWidget->currentIndex() == 4 && w.timers.retry.isActive();
}

std::unique_ptr<TestWindow> connectedWindow(const char *name, uint16_t pid,
                                            const std::function<void(sim::WheelState &)> &change) {
    plugWheel(pid, name, change);
    auto w = makeWindow();
    // Once the first power poll, if any, has run and the posted page click too.
    const auto ready = [&] {
        return connected(*w) && (w->timers.poll.interval() == 10000 || !w->timers.poll.isActive());
    };
    if (!QTest::qWaitFor(ready, 5000)) return nullptr;
    QTest::qWait(0);
    return w;
}

ModalAnswerer::ModalAnswerer(Answer answer) : m_answer(std::move(answer)) {
    connect(&m_timer, &QTimer::timeout, this, [this] {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal || m_done) return;
        m_done = true;
        if (auto *box = qobject_cast<QMessageBox *>(modal)) {
            m_title = box->windowTitle();
            m_text = box->text();
            m_icon = box->icon();
        }
        m_answer(modal);
    });
    m_timer.start(5);
}

ModalAnswerer::Answer clickOn(QMessageBox::StandardButton which) {
    return [which](QWidget *modal) {
        auto *box = qobject_cast<QMessageBox *>(modal);
        if (QAbstractButton *b = box ? box->button(which) : nullptr) b->click();
        else if (auto *dialog = qobject_cast<QDialog *>(modal)) dialog->reject();
    };
}

std::unique_ptr<ModalAnswerer> answerBox(QMessageBox::StandardButton which) {
    return std::make_unique<ModalAnswerer>(clickOn(which));
}

QString clickAnswering(QAbstractButton *button) {
    auto box = answerBox(QMessageBox::Ok);
    button->click();
    return box->title() + ": " + box->text();
}

BoxLog::BoxLog(std::vector<ModalAnswerer::Answer> script) : m_script(std::move(script)), m_box(next()) {
    connect(&m_timer, &QTimer::timeout, this, [this] {
        if (m_box->answered()) m_box = next();
    });
    m_timer.start(2);
}

std::unique_ptr<ModalAnswerer> BoxLog::next() {
    const ModalAnswerer::Answer answer = m_script.empty() ? clickOn(QMessageBox::Yes) : m_script.front();
    if (!m_script.empty()) m_script.erase(m_script.begin());
    // Kept as it is answered: once the code that showed it goes on, it is here.
    return std::make_unique<ModalAnswerer>([this, answer](QWidget *modal) {
        if (auto *box = qobject_cast<QMessageBox *>(modal)) said << box->windowTitle() + ": " + box->text();
        answer(modal);
    });
}

QString writeFile(const QString &path, const QByteArray &data) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(data) == data.size() ? path : QString();
}

void isolateSettings() {
    static QTemporaryDir dir;  // mode 0700, as a runtime folder must be
    qputenv("XDG_CONFIG_HOME", dir.path().toLocal8Bit());
    qputenv("XDG_RUNTIME_DIR", dir.path().toLocal8Bit());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir.path());
    // A temporary folder apart from the runtime one, as on a real system.
    QDir(dir.path()).mkdir(QStringLiteral("tmp"));
    qputenv("TMPDIR", dir.filePath(QStringLiteral("tmp")).toLocal8Bit());
}

int runTests(int argc, char *argv[], const std::function<std::unique_ptr<QObject>()> &make) {
    isolateSettings();
    QApplication app(argc, argv);
    orvaneInitResources();
    const int result = QTest::qExec(make().get(), argc, argv);
    resetBus();
    return result;
}

}  // namespace tu
