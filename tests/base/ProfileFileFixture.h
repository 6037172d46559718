#pragma once
// A profile file in a scratch directory of its own, for the tests of reading
// and saving.

#include <cstddef>
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "base/ProfileFile.h"
#include "tests/directory/FileTestSupport.h"

class ProfileFileTest : public ::testing::Test {
protected:
    ProfileFile loaded(const std::string& bytes)
    {
        writeBytes(m_path, bytes);
        ProfileFile file(m_path);
        EXPECT_TRUE(file.load());
        return file;
    }
    ProfileFile reloaded()
    {
        ProfileFile file(m_path);
        EXPECT_TRUE(file.load());
        return file;
    }
    std::size_t filesInDir() const
    {
        std::size_t n = 0;
        for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(m_dir.path()))
            ++n;
        return n;
    }

    ScratchDir m_dir;
    std::string m_path = m_dir.file("test.dat");
};
