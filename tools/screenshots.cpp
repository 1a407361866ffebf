// orvane-screenshots: the pictures of README.md, taken from the real window
// connected to a simulated wheel (offscreen, no display needed).
//
//   orvane-screenshots [OUTPUT_DIR]      default: docs/ of the source tree
//
// Every page of an M-ZEN, and the inputs and colour pages of the other
// models (M-TIDE has no colour page). A few controls are held down so the
// inputs page shows lit indicators. Each file is read back afterwards; the
// exit code is 0 only when all of them are there at the window's size.
#include "device/models.h"
#include "inputs/inputmap.h"
#include "testutil.h"

#include <QImageReader>

#include <algorithm>
#include <cstdio>
#include <set>
#include <string>
#include <vector>

#ifndef ORVANE_DOCS_DIR
#define ORVANE_DOCS_DIR "docs"
#endif

namespace {

constexpr uint16_t kProductId = 0x2007;
// The window's fixed size.
const QSize kWindowSize(900, 500);

// "mzen" from ":/img/back.mzen.png".
QString shortName(const device::Profile &row) {
    QString name = QString::fromLatin1(row.picture).section(QLatin1Char('/'), -1);
    return name.remove(QStringLiteral("back.")).remove(QStringLiteral(".png"));
}

// A few inputs whose indicators this model places, spread over the wheel.
std::vector<int> inputsToHold(const device::Profile &row) {
    std::set<std::string> placed;
    for (const auto &p : row.indicators) placed.insert(p.widget);
    std::vector<int> all;
    for (int n = 0; n < inputs::kIndicatedInputs; ++n)
        if (placed.count(inputs::kIndicatorNames[size_t(n)])) all.push_back(n);
    std::vector<int> held;
    for (size_t i = 0; i < all.size() && held.size() < 4; i += std::max<size_t>(1, all.size() / 4))
        held.push_back(all[i]);
    return held;
}

struct Shot {
    QString file;
    bool ok;
};

class Studio {
public:
    explicit Studio(QDir out) : m_out(std::move(out)) {}

    void model(const device::Profile &row, bool everyPage) {
        const std::string name = row.modelString;
        tu::resetBus();
        sim::plug(kProductId, name);
        sim::setFlash(kProductId, sim::showroomState(name));
        auto window = tu::makeWindow();
        const QString prefix = shortName(row);
        if (!QTest::qWaitFor([&] { return tu::connected(*window); }, 5000)) {
            std::fprintf(stderr, "orvane-screenshots: %s did not connect\n", row.modelString);
            m_shots.push_back({prefix + QStringLiteral("-inputs.png"), false});
            return;
        }

        // Inputs page: some controls held, the paddles half pulled.
        std::vector<QWidget *> lit;
        for (int input : inputsToHold(row)) {
            sim::press(kProductId, input);
            lit.push_back(window->widget(inputs::kIndicatorNames[size_t(input)]));
        }
        sim::setPaddles(kProductId, 2600, 1300);
        // The paddles' report may come before or after the presses'.
        const bool allLit = QTest::qWaitFor(
            [&] {
                return std::all_of(lit.begin(), lit.end(), [](QWidget *w) { return w && w->isVisible(); }) &&
                       window->ui->pgAdcR->value() == 2600 && window->ui->pgAdcL->value() == 1300;
            },
            3000);
        take(*window, prefix + QStringLiteral("-inputs.png"), allLit && !lit.empty());

        if (row.colorsPage) page(*window, window->ui->pbS2, prefix + QStringLiteral("-colours.png"));
        if (!everyPage) return;
        page(*window, window->ui->pbS3, prefix + QStringLiteral("-paddles.png"));
        // The battery line comes with the first status poll.
        window->ui->pbS4->click();
        const bool battery = QTest::qWaitFor([&] { return window->ui->lbBatStatus->isVisible(); }, 3000);
        take(*window, prefix + QStringLiteral("-device.png"), battery);
        page(*window, window->ui->pbS5, prefix + QStringLiteral("-about.png"));
    }

    // Reads every file back from disk: there, at the window's size.
    bool check(QSize size) const {
        bool ok = !m_shots.empty();
        for (const Shot &s : m_shots) {
            QImageReader reader(m_out.filePath(s.file));
            const QSize got = reader.size();
            const bool good = s.ok && reader.canRead() && got == size;
            if (!good)
                std::fprintf(stderr, "orvane-screenshots: %s: %dx%d, expected %dx%d\n", qPrintable(s.file),
                             got.width(), got.height(), size.width(), size.height());
            ok &= good;
        }
        return ok;
    }

private:
    void page(QWidget &window, QPushButton *sidebarButton, const QString &file) {
        sidebarButton->click();
        QTest::qWait(50);  // let the page settle
        take(window, file);
    }

    // `ready`: the window showed what the picture is for (lit indicators, battery).
    void take(QWidget &window, const QString &file, bool ready = true) {
        const QString path = m_out.filePath(file);
        QFile::remove(path);
        const bool written = window.grab().save(path, "PNG");
        if (!written) std::fprintf(stderr, "orvane-screenshots: cannot write %s\n", qPrintable(path));
        else if (!ready)
            std::fprintf(stderr, "orvane-screenshots: %s does not show what it should\n", qPrintable(path));
        else std::printf("%s\n", qPrintable(path));
        m_shots.push_back({file, written && ready});
    }

    QDir m_out;
    std::vector<Shot> m_shots;
};

}  // namespace

int main(int argc, char *argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    // Quiet, and away from the user's settings (the encoder binding is read per wheel).
    if (qEnvironmentVariableIsEmpty("QT_LOGGING_RULES")) qputenv("QT_LOGGING_RULES", "*.debug=false");
    // And from the user's runtime folder, where the window's single-instance server listens.
    tu::isolateSettings();
    QApplication app(argc, argv);
    orvaneInitResources();

    const QStringList args = app.arguments().mid(1);
    const QString outDir = args.isEmpty() ? QStringLiteral(ORVANE_DOCS_DIR) : args.first();
    if (!QDir().mkpath(outDir)) {
        std::fprintf(stderr, "orvane-screenshots: cannot create %s\n", qPrintable(outDir));
        return 1;
    }

    Studio studio{QDir(outDir)};
    for (const device::Profile &row : device::profiles())
        studio.model(row, &row == &device::profiles().front());
    tu::resetBus();
    return studio.check(kWindowSize) ? 0 : 1;
}
