// Orvane against a simulated wheel: the model comes from ORVANE_DEMO_MODEL
// (default M-ZEN), and a little driver presses its buttons, turns its
// encoders and moves its paddles so the live view has something to show.
// The wheel has coloured LEDs, runs on battery over Bluetooth, keeps what is
// saved until the demo ends and takes any .bin as a firmware upload.
#include "app/main.h"
#include "device/models.h"
#include "inputs/inputmap.h"
#include "simwheel.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <set>
#include <string>
#include <thread>

namespace {

constexpr uint16_t kDemoProductId = 0x2007;

// Inputs whose indicators the model places, so every press shows up.
std::vector<int> placedInputs(const std::string &name) {
    std::set<std::string> placed;
    for (const device::Profile *row : device::matchingProfiles(name.c_str()))
        for (const auto &p : row->indicators) placed.insert(p.widget);
    std::vector<int> result;
    for (int n = 0; n < inputs::kIndicatedInputs; ++n)
        if (placed.count(inputs::kIndicatorNames[size_t(n)])) result.push_back(n);
    return result;
}

class Driver {
public:
    explicit Driver(std::string name) : m_name(std::move(name)) {}
    void start() {
        m_thread = std::thread([this] { run(); });
    }
    void stop() {
        m_stop = true;
        if (m_thread.joinable()) m_thread.join();
    }

private:
    void pause(int ms) {
        for (int i = 0; i < ms / 10 && !m_stop; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    void run() {
        const std::vector<int> buttons = placedInputs(m_name);
        std::mt19937 random(7);
        int phase = 0;
        while (!m_stop) {
            // Paddles sweep slowly in opposite directions.
            const double t = (phase % 200) / 200.0;
            const double wave = t < 0.5 ? 2 * t : 2 - 2 * t;
            sim::setPaddles(kDemoProductId, uint16_t(4096 * wave), uint16_t(4096 * (1 - wave)));
            if (phase % 12 == 0 && !buttons.empty()) {
                const int input = buttons[random() % buttons.size()];
                sim::press(kDemoProductId, input);
                pause(250);
                sim::release(kDemoProductId, input);
            }
            if (phase % 40 == 20) {
                // An encoder turned a few detents.
                const int pair = int(random() % 10);
                const int input = inputs::kEncoderInputs[size_t(pair * 2 + int(random() % 2))];
                for (int i = 0; i < 3 && !m_stop; ++i) {
                    sim::press(kDemoProductId, input);
                    pause(60);
                    sim::release(kDemoProductId, input);
                    pause(60);
                }
            }
            ++phase;
            pause(30);
        }
    }

    std::string m_name;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

}  // namespace

int main(int argc, char *argv[]) {
    const char *model = std::getenv("ORVANE_DEMO_MODEL");
    std::string name = model && *model ? model : "M-ZEN";
    // The model strings are upper case; "zorix" means ZORIX.
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return char(std::toupper(c)); });
    if (device::matchingProfiles(name.c_str()).empty()) {
        std::fprintf(stderr, "orvane-demo: %s is none of the models; known:", name.c_str());
        for (const device::Profile &row : device::profiles()) std::fprintf(stderr, " %s", row.modelString);
        std::fprintf(stderr, ". Showing it as an unknown wheel.\n");
    }
    sim::plug(kDemoProductId, name);
    sim::setFlash(kDemoProductId, sim::showroomState(name));
    sim::setLogEnabled(false);

    Driver driver(name);
    driver.start();
    const int result = orvaneMain(argc, argv);
    driver.stop();
    return result;
}
