// A fresh temporary folder that is the working directory while a file-function test runs,
// with helpers to fill it with files, folders and symbolic links, and to name it the way
// the program writes paths ("C:" and backslashes).
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "tests/support/TempDir.h"

class FileTreeTest : public testing::Test {
protected:
    void SetUp() override {
        m_previousDirectory = std::filesystem::current_path();
        ASSERT_EQ(chdir(m_dir.Path().c_str()), 0);
    }
    void TearDown() override { std::filesystem::current_path(m_previousDirectory); }

    // Paths below are relative to the temporary folder.
    void MakeFile(const std::string& path, const std::string& text = "") { WriteText(m_dir.File(path), text); }
    void MakeFolder(const std::string& path) { ASSERT_TRUE(std::filesystem::create_directories(m_dir.File(path))); }
    void MakeLink(const std::string& path, const std::string& target) {
        ASSERT_EQ(symlink(target.c_str(), m_dir.File(path).c_str()), 0);
    }
    bool Exists(const std::string& path) const { return std::filesystem::exists(m_dir.File(path)); }

    // The temporary folder's path followed by relative, as "C:\...\relative".
    std::string WindowsPath(const std::string& relative) const {
        std::string path = "C:" + m_dir.File(relative);
        std::replace(path.begin(), path.end(), '/', '\\');
        return path;
    }

    TempDir m_dir;

private:
    std::filesystem::path m_previousDirectory;
};
