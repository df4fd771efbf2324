// Micro-benchmark: builds a 10,000-control window from markup and looks up cached styles; prints the costs.
#include <FileSystem.h>
#include <MemoryFileSystem.h>
#include <ToolkitParts.h>
#include <PackageWriter.h>
#include <StyleRegistry.h>
#include <Toolkit.h>
#include <WindowMarkup.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>

namespace {

constexpr int kPanels = 100;
constexpr int kPerPanel = 99;
constexpr int kControls = kPanels + kPanels * kPerPanel;
constexpr int kRounds = 20;
constexpr int kLookups = 1000000;

std::string package(const std::map<std::u16string, std::string>& entries)
{
    PackageWriter writer(5);
    std::string error;
    for (const auto& [name, text] : entries)
        writer.add(name, reinterpret_cast<const uint8_t*>(text.data()), text.size(), &error);
    std::vector<uint8_t> image = writer.finish();
    return std::string(image.begin(), image.end());
}

std::string windowMarkup()
{
    std::string markup = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<Window initSize=\"1024,768\">\n";
    for (int p = 0; p < kPanels; ++p) {
        markup += "  <StackPanel orientation=\"vertical\" margin=\"1,1,1,1\">\n";
        for (int i = 0; i < kPerPanel; ++i) {
            markup += std::string("    <") + (i % 3 ? "Label" : "Button") + " id=\"" + std::to_string(p * 1000 + i) +
                      "\" height=\"20\" horizontalAlign=\"center\" margin=\"2, 1, 2, 1\" text=\"第 " +
                      std::to_string(i) + " 项\" style=\"button.xml\" color=\"#3333CC\"/>\n";
        }
        markup += "  </StackPanel>\n";
    }
    return markup + "</Window>\n";
}

} // namespace

int main()
{
    using clock = std::chrono::steady_clock;
    MemoryFileSystem files;
    files.files[L"frame.lz"] = package({{u"mainframe.xml", windowMarkup()}});
    files.files[L"style.lz"] = package(
        {{u"font.xml", "<fonts><font name=\"Default\" size=\"12\"/></fonts>"},
         {u"button.xml", "<style><class name=\"Button\"><p upSkin=\"up.png\" scaleGrid=\"4,4,4,4\"/></class></style>"}});
    installToolkitParts();
    Toolkit::start();
    loadStylePackage(L"style.lz");
    loadFramePackage(L"frame.lz");

    double best = 1e30, sum = 0;
    for (int round = 0; round < kRounds; ++round) {
        auto t0 = clock::now();
        std::unique_ptr<Control> root = buildWindowTree(L"mainframe.xml");
        auto t1 = clock::now();
        if (!root)
            return 1;
        double ns = std::chrono::duration<double, std::nano>(t1 - t0).count() / kControls;
        sum += ns;
        if (ns < best)
            best = ns;
    }
    std::printf("window markup, %d controls, %d rounds: %.1f / %.1f ns per control (best / mean)\n", kControls,
                kRounds, best, sum / kRounds);

    // a style document is parsed once; every later paint's lookup is one map search
    StyleRegistry* registry = styleRegistry();
    auto t0 = clock::now();
    Style* first = registry->style(L"button.xml");
    auto t1 = clock::now();
    int shared = 0;
    for (int i = 0; i < kLookups; ++i)
        shared += registry->style(L"button.xml") == first;
    auto t2 = clock::now();
    std::printf("style: first lookup (read + parse) %.1f us, cached lookup %.1f ns (%d shared)\n",
                std::chrono::duration<double, std::micro>(t1 - t0).count(),
                std::chrono::duration<double, std::nano>(t2 - t1).count() / kLookups, shared);

    Toolkit::shutdown();
    return 0;
}
