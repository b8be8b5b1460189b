// Saving the configuration file through the facade, and the load's checks
// that come before the camera: the suffix, and failures that keep the
// previous file.
#include <QFile>

#include <gtest/gtest.h>

#include <csignal>
#include <string>
#include <sys/resource.h>
#include <vector>

#include "acquisition/collectedpackets.h"
#include "core/quorvel.h"
#include "gammamodule/gammamodules.h"
#include "quorveldll.h"
#include "tests/files/filetestsupport.h"

using namespace filetest;

namespace {

std::vector<std::string> toolbarTexts;

void recordToolbar(const char* a_Text)
{
    toolbarTexts.emplace_back(a_Text);
}

// Files may grow to a_Bytes only, while it lives; a write beyond fails with EFBIG.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t a_Bytes)
    {
        std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &m_Previous);
        rlimit limit = m_Previous;
        limit.rlim_cur = a_Bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &m_Previous); }

private:
    rlimit m_Previous{};
};

class ConfigurationWriterTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QuorvelDll::Close();
        toolbarTexts.clear();
        clearStore();
    }
    void TearDown() override { QuorvelDll::Close(); }
};

} // namespace

TEST_F(ConfigurationWriterTest, SuffixIsCheckedCaseSensitivelyBySavingAndLoading)
{
    QuorvelDll::SetToolbarStatusFunction(recordToolbar);
    EXPECT_FALSE(QuorvelDll::SaveConfiguration(tempPath("upper.DAT").toUtf8().constData()));
    EXPECT_EQ(QuorvelDll::GetLastError(), "Function requires a filename with .dat suffix");
    EXPECT_FALSE(QFile::exists(tempPath("upper.DAT")));
    EXPECT_FALSE(QuorvelDll::SaveConfiguration(nullptr));
    EXPECT_EQ(QuorvelDll::GetLastError(), "Function requires a filename with .dat suffix");

    ASSERT_TRUE(QuorvelDll::SetCameraUpdateMode(CAMERA_UPDATE_MODE_DEFERRED));
    EXPECT_FALSE(QuorvelDll::LoadConfiguration("configuration.DAT"));
    EXPECT_EQ(QuorvelDll::GetLastError(), "Function requires a filename with .dat suffix");
    EXPECT_EQ(toolbarTexts, (std::vector<std::string>{"Loading configuration ...", "Configuration load failed"}));
    EXPECT_EQ(QuorvelDll::GetCameraUpdateMode(), CAMERA_UPDATE_MODE_DEFERRED);
}

TEST_F(ConfigurationWriterTest, LoadChecksTheFileBeforeTheHostAddress)
{
    QuorvelDll::SetToolbarStatusFunction(recordToolbar);
    ASSERT_TRUE(QuorvelDll::SetCameraUpdateMode(CAMERA_UPDATE_MODE_IMMEDIATE));
    const QString missing = tempPath("missing.dat");
    EXPECT_FALSE(QuorvelDll::LoadConfiguration(missing.toUtf8().constData()));
    EXPECT_EQ(QuorvelDll::GetLastError(), QStringLiteral("Failed to open %1 for reading").arg(missing).toStdString());

    QByteArray file = testData("configuration_v6.dat");
    setInt(&file, 0, 0xCAFE);
    const QString unrecognised = tempPath("unrecognised.dat");
    writeFile(unrecognised, file);
    EXPECT_FALSE(QuorvelDll::LoadConfiguration(unrecognised.toUtf8().constData()));
    EXPECT_EQ(QuorvelDll::GetLastError(), "Unrecognised file passed to Quorvel");
    EXPECT_EQ(toolbarTexts.back(), "Configuration load failed");
    EXPECT_EQ(QuorvelDll::GetCameraUpdateMode(), CAMERA_UPDATE_MODE_IMMEDIATE);

    // A sound file with no host address set: the file's camera address is taken.
    const QString valid = tempPath("valid.dat");
    writeFile(valid, testData("configuration_v5.dat"));
    EXPECT_FALSE(QuorvelDll::LoadConfiguration(valid.toUtf8().constData()));
    EXPECT_EQ(QuorvelDll::GetLastError(),
              "Host IP address must have been set prior to loading file to enable connection");
    EXPECT_EQ(QuorvelDll::GetCameraIPAddress(), "127.0.0.5");
    EXPECT_EQ(toolbarTexts, (std::vector<std::string>{"Loading configuration ...", "Configuration load failed",
                                                      "Loading configuration ...", "Configuration load failed",
                                                      "Loading configuration ...", "Configuration load failed"}));
}

TEST_F(ConfigurationWriterTest, FailedSaveKeepsThePreviousFile)
{
    setDeviceGMs({1, 2, 3, 4});
    EXPECT_FALSE(QuorvelDll::SaveConfiguration("/nonexistent-directory/x.dat"));
    EXPECT_EQ(QuorvelDll::GetLastError(), "Failed to open /nonexistent-directory/x.dat for writing");

    const QString path = tempPath("kept.dat");
    ASSERT_TRUE(QuorvelDll::SaveConfiguration(path.toUtf8().constData()));
    const QByteArray previous = readFile(path);
    {
        GammaModules* gms = GammaModules::GetInstance();
        const auto lock = gms->AccessLock();
        ASSERT_TRUE(gms->GetGM(GAMMA_MODULES_TYPE_DEVICE, 2)->SetDelayTime(60));
    }
    {
        const FileSizeLimit limit(4096);
        EXPECT_FALSE(QuorvelDll::SaveConfiguration(path.toUtf8().constData()));
    }
    EXPECT_EQ(QuorvelDll::GetLastError().rfind("Failed to write " + path.toStdString() + ": ", 0), 0u)
        << QuorvelDll::GetLastError();
    EXPECT_TRUE(readFile(path) == previous);
}
