// Value-script files on disk: creation, saving in place, enciphered files and hostile input.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <string>
#include <vector>

#include "engine/core/AtomicFileTestHooks.h"
#include "engine/core/ScriptCipher.h"
#include "engine/core/ValueScript.h"
#include "tests/support/TempDir.h"

namespace {

const char kProgramKey[] = "pv263918";
const std::string kNewFile = "# TOLP Software Value Script\r\n\r\n";

class ValueScriptFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_savedKey = ValueScriptKey;
        SetValueScriptKey(kProgramKey);
    }
    void TearDown() override { SetValueScriptKey(m_savedKey.c_str()); }

    static std::vector<unsigned char> Encipher(const std::string& plain, const char* key) {
        const int keyLength = static_cast<int>(strlen(key));
        std::vector<unsigned char> out(plain.size() + static_cast<size_t>(keyLength));
        CScriptCipher cipher;
        cipher.Transform(CScriptCipher::kEncipher, reinterpret_cast<const uint8_t*>(plain.data()),
                         static_cast<int>(plain.size()), out.data(), key, keyLength);
        return out;
    }

    static std::string Decipher(const std::vector<unsigned char>& bytes, const char* key) {
        const int keyLength = static_cast<int>(strlen(key));
        if (bytes.size() < static_cast<size_t>(keyLength))
            return "<too short>";
        std::string out(bytes.size() - static_cast<size_t>(keyLength), '\0');
        CScriptCipher cipher;
        const int n = cipher.Transform(CScriptCipher::kDecipher, bytes.data(), static_cast<int>(bytes.size()),
                                       reinterpret_cast<uint8_t*>(out.data()), key, keyLength);
        return n < 0 ? "<wrong key>" : out;
    }

    TempDir m_dir;
    std::string m_savedKey;
};

TEST_F(ValueScriptFileTest, MissingFileIsCreatedAndSavedWithTheDefaults) {
    const std::string path = m_dir.File("3dinit.vsc");
    CValueScript script;
    ASSERT_EQ(script.Load(path.c_str(), "3DInit"), 1);
    EXPECT_EQ(ReadText(path), kNewFile);
    EXPECT_EQ(script.m_pEntries->m_nCount, 0);

    EXPECT_FLOAT_EQ(script.GetFloat("Width", 640.0f), 640.0f);
    EXPECT_FLOAT_EQ(script.GetFloat("BPP", 32.0f), 32.0f);
    ASSERT_EQ(script.Save(path.c_str()), 1);
    EXPECT_EQ(ReadText(path), kNewFile + "[3DInit]\r\nWidth = 640.000000\r\nBPP = 32.000000\r\n\r\n");
    EXPECT_EQ(m_dir.Names(), std::vector<std::string>{"3dinit.vsc"}) << "no temporary file left";

    CValueScript reread;
    ASSERT_EQ(reread.Load(path.c_str(), "3DInit"), 1);
    EXPECT_FLOAT_EQ(reread.GetFloat("BPP", 0.0f), 32.0f);
}

TEST_F(ValueScriptFileTest, SavingOneBlockKeepsEveryOtherByte) {
    const std::string path = m_dir.File("sysinit.vsc");
    const std::string system = "[System]\r\nAppName = \"Game\"\r\n\r\n";
    const std::string sound = "[Sound]\n  Channels=2   \n\n";
    WriteText(path, kNewFile + system + sound);

    CValueScript script;
    ASSERT_EQ(script.Load(path.c_str(), "Sound"), 1);
    EXPECT_FLOAT_EQ(script.GetFloat("Channels", 1.0f), 2.0f);
    script.GetFloat("BitsPerSample", 16.0f);
    ASSERT_EQ(script.Save(path.c_str()), 1);
    EXPECT_EQ(ReadText(path), kNewFile + system + "[Sound]\r\nChannels = 2\r\nBitsPerSample = 16.000000\r\n\r\n");

    // The other block, changed on disk in the meantime, survives a second save.
    CValueScript first;
    ASSERT_EQ(first.Load(path.c_str(), "System"), 1);
    first.SetString("AppName", "Brenlow");
    ASSERT_EQ(first.Save(path.c_str()), 1);
    ASSERT_EQ(script.Save(path.c_str()), 1);
    EXPECT_EQ(ReadText(path), kNewFile + "[System]\r\nAppName = \"Brenlow\"\r\n\r\n" +
                                  "[Sound]\r\nChannels = 2\r\nBitsPerSample = 16.000000\r\n\r\n");
}

TEST_F(ValueScriptFileTest, EncipheredFilesAreReadAndWrittenBackEnciphered) {
    const std::string path = m_dir.File("config.vsc");
    const std::string plain = kNewFile + "[Config]\r\nMusic = 1\r\n\r\n[Labs]\r\nLab = \"One\"\r\n\r\n";
    const std::vector<unsigned char> enciphered = Encipher(plain, kProgramKey);
    WriteBytes(path, enciphered.data(), enciphered.size());
    EXPECT_EQ(CValueScript::IsEnciphered(path.c_str()), 1);

    CValueScript config;
    ASSERT_EQ(config.Load(path.c_str(), "Config"), 1);
    EXPECT_FLOAT_EQ(config.GetFloat("Music", 0.0f), 1.0f);
    config.SetFloat("Music", 0.0f);
    ASSERT_EQ(config.Save(path.c_str()), 1);

    const std::vector<unsigned char> written = ReadBytes(path);
    EXPECT_EQ(CValueScript::IsEnciphered(path.c_str()), 1);
    EXPECT_EQ(Decipher(written, kProgramKey),
              kNewFile + "[Config]\r\nMusic = 0.000000\r\n\r\n[Labs]\r\nLab = \"One\"\r\n\r\n");

    CPointerList blocks(1, 1);
    ASSERT_EQ(CValueScript::LoadAll(path.c_str(), &blocks), 1);
    ASSERT_EQ(blocks.m_nCount, 2);
    auto* labs = static_cast<CValueScript*>(blocks.m_pTail->m_data);
    EXPECT_STREQ(labs->GetString("Lab", "").GetText(), "One");
    for (auto* node = blocks.m_pHead; node; node = node->m_pNext)
        delete static_cast<CValueScript*>(node->m_data);
}

TEST_F(ValueScriptFileTest, AFileOfAnotherKeyReadsAsDefaultsAndIsNeverOverwritten) {
    const std::string path = m_dir.File("foreign.vsc");
    const std::vector<unsigned char> foreign = Encipher(kNewFile + "[Config]\r\nMusic = 1\r\n", "zz99aa11");
    WriteBytes(path, foreign.data(), foreign.size());

    CValueScript config;
    ASSERT_EQ(config.Load(path.c_str(), "Config"), 1);
    EXPECT_FLOAT_EQ(config.GetFloat("Music", 5.0f), 5.0f);
    EXPECT_EQ(config.Save(path.c_str()), 0);
    EXPECT_EQ(ReadBytes(path), foreign);
    EXPECT_EQ(m_dir.Names(), std::vector<std::string>{"foreign.vsc"});
}

// Hostile files: each read gives a failure or the defaults; nothing is lost unless saved,
// and a save never writes a file it could not read.
TEST_F(ValueScriptFileTest, HostileFilesGiveFailuresOrDefaults) {
    const std::vector<unsigned char> tooShort = {'a', 'b', 'c'};
    const std::vector<unsigned char> keyLength = {1, 2, 3, 4, 5, 6, 7, 8};
    std::vector<unsigned char> truncated = Encipher(kNewFile + "[B]\r\nK = 1\r\n", kProgramKey);
    truncated.resize(truncated.size() / 2);
    std::vector<unsigned char> junk(3000);
    for (size_t i = 0; i < junk.size(); ++i)
        junk[i] = static_cast<unsigned char>((i * 7919 + 13) % 251);
    const std::string zeroFirst = std::string("\0", 1) + kNewFile + "[B]\r\nK = 1\r\n";

    struct Case {
        const char* name;
        std::vector<unsigned char> bytes;
        int load;       // Load's result
        float value;    // what GetFloat("K", 9) gives
        int save;       // Save's result
    };
    auto text = [](const std::string& s) { return std::vector<unsigned char>(s.begin(), s.end()); };
    const Case cases[] = {
        {"empty file", {}, 1, 9.0f, 1},
        {"shorter than the key", tooShort, 0, 9.0f, 0},
        {"as long as the key", keyLength, 0, 9.0f, 0},
        {"truncated enciphered", truncated, 1, 9.0f, 0},
        {"binary junk", junk, 1, 9.0f, 0},
        {"zero byte before the header", text(zeroFirst), 1, 9.0f, 0},
        {"no line ends", text(kNewFile + "[B] K = 1"), 1, 1.0f, 1},
        {"cr only", text("# TOLP Software Value Script\r\r[B]\rK = 1\r"), 1, 1.0f, 1},
        {"header only, no block", text("# TOLP Software Value Script"), 1, 9.0f, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = m_dir.File("hostile.vsc");
        WriteBytes(path, c.bytes.data(), c.bytes.size());

        CValueScript script;
        EXPECT_EQ(script.Load(path.c_str(), "B"), c.load);
        EXPECT_FLOAT_EQ(script.GetFloat("K", 9.0f), c.value);
        EXPECT_EQ(ReadBytes(path), c.bytes);

        CValueScript reader;
        EXPECT_EQ(reader.Load(path.c_str(), "B"), c.load);
        CPointerList blocks(1, 1);
        EXPECT_EQ(CValueScript::LoadAll(path.c_str(), &blocks), c.load);
        for (auto* node = blocks.m_pHead; node; node = node->m_pNext)
            delete static_cast<CValueScript*>(node->m_data);

        EXPECT_EQ(script.Save(path.c_str()), c.save);
        if (c.save) {
            // What was saved reads back, and the file is still plain text.
            CValueScript reread;
            ASSERT_EQ(reread.Load(path.c_str(), "B"), 1);
            EXPECT_FLOAT_EQ(reread.GetFloat("K", 0.0f), c.value);
            EXPECT_EQ(CValueScript::IsEnciphered(path.c_str()), 0);
        } else {
            EXPECT_EQ(ReadBytes(path), c.bytes);
        }
        EXPECT_EQ(m_dir.Names(), std::vector<std::string>{"hostile.vsc"});
    }
}

TEST_F(ValueScriptFileTest, UnwritablePlacesGiveDefaultsAndSaveNothing) {
    const std::string folderPath = m_dir.File("a-folder.vsc");
    ASSERT_EQ(mkdir(folderPath.c_str(), 0755), 0);
    const std::string paths[] = {
        m_dir.File("missing-folder/settings.vsc"),
        "/proc/brenlow-settings.vsc",  // a folder nobody may write to
        folderPath,                    // exists but cannot be read as a file
    };
    for (const std::string& path : paths) {
        SCOPED_TRACE(path);
        CValueScript script;
        EXPECT_EQ(script.Load(path.c_str(), "System"), 1);
        EXPECT_STREQ(script.GetString("AppName", "Game").GetText(), "Game");
        EXPECT_EQ(script.Save(path.c_str()), 0);
        EXPECT_EQ(CValueScript::IsEnciphered(path.c_str()), 0);
    }
    EXPECT_FALSE(FileExists(m_dir.File("missing-folder")));
    struct stat info {};
    ASSERT_EQ(stat(folderPath.c_str(), &info), 0);
    EXPECT_TRUE(S_ISDIR(info.st_mode));
}

TEST_F(ValueScriptFileTest, AFailedWriteLeavesTheOldFileWhole) {
    const std::string path = m_dir.File("config.vsc");
    const std::string original = kNewFile + "[Config]\r\nMusic = 1\r\n\r\n";
    WriteText(path, original);

    CValueScript config;
    ASSERT_EQ(config.Load(path.c_str(), "Config"), 1);
    config.SetFloat("Music", 0.0f);
    SetAtomicFileCommitFailure(true);
    EXPECT_EQ(config.Save(path.c_str()), 0);
    SetAtomicFileCommitFailure(false);
    EXPECT_EQ(ReadText(path), original);
    EXPECT_EQ(m_dir.Names(), std::vector<std::string>{"config.vsc"});
}

}  // namespace
