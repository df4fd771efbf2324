// A started toolkit with the markup layer, over packages built in memory.
#pragma once

#include "MemoryFileSystem.h"
#include "TestSupport.h"

#include <FileSystem.h>
#include <ToolkitParts.h>
#include <PackageWriter.h>
#include <StyleRegistry.h>
#include <Toolkit.h>
#include <WindowMarkup.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

using PackageEntries = std::vector<std::pair<std::wstring, std::string>>;

// A package image with the entries stored as they are.
inline std::string packageImage(const PackageEntries& entries)
{
    PackageWriter writer(-1);
    for (const auto& entry : entries) {
        std::u16string name(entry.first.begin(), entry.first.end());
        std::string error;
        EXPECT_TRUE(writer.add(name, reinterpret_cast<const uint8_t*>(entry.second.data()), entry.second.size(), &error))
            << error;
    }
    std::vector<uint8_t> image = writer.finish();
    return std::string(image.begin(), image.end());
}

class MarkupFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        installToolkitParts();
        ASSERT_TRUE(Toolkit::start());
    }
    void TearDown() override { Toolkit::shutdown(); }

    void addPackage(const std::wstring& file, const PackageEntries& entries) { files.files[file] = packageImage(entries); }

    // Builds `markup` as the only entry "test.xml" of a fresh frame package.
    std::unique_ptr<Control> buildMarkup(const std::string& markup, std::wstring* error = nullptr)
    {
        addPackage(L"frame.lz", {{L"test.xml", markup}});
        std::wstring loadError;
        EXPECT_TRUE(loadFramePackage(L"frame.lz", &loadError)) << testing_support::narrow(loadError);
        return buildWindowTree(L"test.xml", error);
    }

    // Loads a style package with the entries; the result of loading is returned.
    bool loadStyles(const PackageEntries& entries, std::wstring* error = nullptr)
    {
        addPackage(L"style.lz", entries);
        return loadStylePackage(L"style.lz", error);
    }

    MemoryFileSystem files;   // the current file system for the whole test
};
