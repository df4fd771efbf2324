// Micro-benchmark: builds, lays out and destroys a tree of 10,000 controls; prints time per control.
#include <Button.h>
#include <ControlHost.h>
#include <DelegatePool.h>
#include <Grid.h>
#include <ObjectPool.h>
#include <StackPanel.h>

#include <chrono>
#include <cstdio>
#include <string>

namespace {

constexpr int kPanels = 100;
constexpr int kPerPanel = 99;   // 100 panels + 9,900 leaves = 10,000 controls below the root
constexpr int kControls = kPanels + kPanels * kPerPanel;
constexpr int kRounds = 20;

class NullHost : public ControlHost {
public:
    Rect clientRect() const override { return {0, 0, 1024, 768}; }
    void invalidateRect(const Rect&) override {}
    bool requestRepaint(bool) override { return true; }
    void forgetControl(Control*) override {}
    Point cursorPosition() const override { return {}; }
};

void onEvent(void*, Control*, ControlEvent* event)
{
    event->handled = 1;
}

Panel* build()
{
    auto* root = new Grid;
    for (int p = 0; p < kPanels; ++p) {
        auto* panel = new StackPanel;
        panel->intProperties.set(PropertyKey::orientation, keywordValue(PropertyKey::vertical));
        panel->rectProperties.set(PropertyKey::margin, Rect{1, 1, 1, 1});
        for (int i = 0; i < kPerPanel; ++i) {
            Control* leaf = (i % 3 == 0) ? new Button : new Control;
            leaf->intProperties.set(PropertyKey::id, p * 1000 + i);
            leaf->intProperties.set(PropertyKey::height, 20);
            leaf->intProperties.set(PropertyKey::horizontalAlign, keywordValue(PropertyKey::center));
            leaf->rectProperties.set(PropertyKey::margin, Rect{2, 1, 2, 1});
            leaf->textProperties.set(PropertyKey::text, L"Item " + std::to_wstring(i));
            leaf->textProperties.set(PropertyKey::style, L"button.xml");
            leaf->addHandler(EventCode::Click, nullptr, onEvent);
            leaf->addHandler(EventCode::MouseEnter, nullptr, onEvent);
            panel->addChild(leaf);
        }
        root->addChild(panel);
    }
    return root;
}

double nanosecondsPerControl(std::chrono::steady_clock::duration d)
{
    return std::chrono::duration<double, std::nano>(d).count() / kControls;
}

} // namespace

int main()
{
    using clock = std::chrono::steady_clock;
    double best[4] = {1e30, 1e30, 1e30, 1e30};
    double sum[4] = {};
    for (int round = 0; round < kRounds; ++round) {
        NullHost host;
        auto t0 = clock::now();
        Panel* root = build();
        auto t1 = clock::now();
        root->attachRoot(&host);
        auto t2 = clock::now();
        root->measure({1024, 768});
        root->arrange({0, 0, 1024, 768});
        auto t3 = clock::now();
        root->detach(root);
        delete root;
        auto t4 = clock::now();
        double phase[4] = {nanosecondsPerControl(t1 - t0), nanosecondsPerControl(t2 - t1),
                           nanosecondsPerControl(t3 - t2), nanosecondsPerControl(t4 - t3)};
        for (int i = 0; i < 4; ++i) {
            sum[i] += phase[i];
            if (phase[i] < best[i])
                best[i] = phase[i];
        }
    }
    const char* names[4] = {"build (properties, handlers)", "attach", "layout (measure + arrange)",
                            "detach + destroy"};
    std::printf("%d controls, %d rounds; ns per control, best / mean\n", kControls, kRounds);
    double bestTotal = 0, meanTotal = 0;
    for (int i = 0; i < 4; ++i) {
        std::printf("  %-30s %8.1f / %8.1f\n", names[i], best[i], sum[i] / kRounds);
        bestTotal += best[i];
        meanTotal += sum[i] / kRounds;
    }
    std::printf("  %-30s %8.1f / %8.1f\n", "total", bestTotal, meanTotal);
    std::printf("pool blocks taken: %zu, live delegates after: %zu\n", ObjectPool::blockCount(),
                DelegatePool::liveCount());
    return 0;
}
