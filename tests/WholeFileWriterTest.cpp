#include <gtest/gtest.h>
#include <sys/stat.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cerrno>
#include <cstring>
#include <map>

#include "Device.h"
#include "FileCopy.h"
#include "FileRegistry.h"
#include "FileSizeLimit.h"
#include "LogCapture.h"
#include "ParseXml.h"
#include "Settings.h"
#include "TempProgramDir.h"
#include "ThresholdTable.h"
#include "WholeFileWriter.h"
#include "WriteEepromParam.h"

namespace {

using platform::WholeFileWriter;

const QByteArray kPattern =
    "<?xml version=\"1.0\"?>\n<system_environment_configuration>\n\t<eprom_param>\n"
    "\t\t<option>\n\t\t\t<name>EEP_GAIN</name>\n\t\t\t<value>1</value>\n\t\t</option>\n"
    "\t</eprom_param>\n</system_environment_configuration>\n";

std::map<std::string, ConfigParameter> ManyParameters() {
    std::map<std::string, ConfigParameter> parameters;
    for (int i = 0; i < 20; ++i) {
        const std::string key = "key" + std::to_string(i);
        parameters.emplace(key, ConfigParameter(key, "value " + std::to_string(i)));
    }
    return parameters;
}

QByteArray OldBytes(const char* name) {
    return QByteArray("[General]\nold=") + name + "\n";
}

// A full disk stops a write part-way, after the new file has been opened and
// partly written: each save must then report failure, leave the old file's
// bytes, and leave no file of its own behind.
TEST(WholeFileWriterTest, EverySaveOfAWholeFileFailsWholePastAFileSizeLimit) {
    TempProgramDir dir;
    const std::string folder = dir.Path().toStdString() + "/";
    const QString registry = dir.File("registry.ini");
    const QString parameters =
        platform::kFtdiBusKey + QStringLiteral("\\dev0\\0000\\Device Parameters");
    platform::FileRegistry(registry).WriteValue(parameters, "PortName", "COM3");
    const QByteArray registryText = dir.Read("registry.ini");
    qputenv("MORVEX_REGISTRY_FILE", registry.toLocal8Bit());
    for (const char* name : {"config.ini", "device.xml", "out.xml", "table.txt", "tune_xml.tmp"}) {
        dir.Write(name, OldBytes(name));
    }
    dir.Write("pattern.xml", kPattern);
    // A link where a fixed temporary name would be is never written through.
    dir.Write("victim.txt", "victim");
    ASSERT_TRUE(QFile::link(dir.File("victim.txt"), dir.File("device.xml.tmp")));
    const QStringList before = QDir(dir.Path()).entryList(QDir::Files);

    Settings settings;
    for (const auto& entry : ManyParameters()) {
        settings.SetParameter(entry.second);
    }
    LogCapture operationLog;
    QString error;
    {
        FileSizeLimit limit(64);
        EXPECT_FALSE(settings.Save((folder + "config.ini").c_str()));
        EXPECT_FALSE(ParseXml::Save(folder + "device.xml", ManyParameters()));
        EXPECT_FALSE(WriteEepromParam(folder + "pattern.xml", {{"GAIN", "2"}}, folder + "out.xml"));
        EXPECT_FALSE(ThresholdTable::WriteFile(dir.File("table.txt"),
                                               ThresholdTable::Table(4, std::vector<int>(9, 777))));
        EXPECT_FALSE(FileCopy::Replace(dir.File("pattern.xml"), dir.File("tune_xml.tmp")));
        SetLatencyTimer("COM3", 3);
        EXPECT_FALSE(WholeFileWriter::Save(dir.File("config.ini"), kPattern, &error));
    }
    qunsetenv("MORVEX_REGISTRY_FILE");

    for (const char* name : {"config.ini", "device.xml", "out.xml", "table.txt", "tune_xml.tmp"}) {
        EXPECT_EQ(dir.Read(name), OldBytes(name));
    }
    EXPECT_EQ(dir.Read("registry.ini"), registryText);
    EXPECT_EQ(dir.Read("victim.txt"), "victim");
    EXPECT_EQ(QDir(dir.Path()).entryList(QDir::Files).join(' ').toStdString(),
              before.join(' ').toStdString());
    const QString reason = QString::fromLocal8Bit(std::strerror(EFBIG));
    EXPECT_EQ(error, dir.File("config.ini") + ": " + reason);
    EXPECT_TRUE(operationLog.Contains("Latency timer not set: " + registry.toStdString() + ": " +
                                      reason.toStdString()));
}

// A link keeps pointing at the file it named; the file keeps who may read
// it; a device or pipe is never replaced by a plain file.
TEST(WholeFileWriterTest, ReplacesTheFileALinkNamesWithItsPermissionsAndNoSpecialFile) {
    QTemporaryDir dir;
    const QString real = dir.filePath("real.txt");
    const QString link = dir.filePath("link.txt");
    ASSERT_TRUE(WholeFileWriter::Save(real, "old"));
    ASSERT_EQ(chmod(real.toLocal8Bit().constData(), 0600), 0);
    ASSERT_TRUE(QFile::link(QStringLiteral("real.txt"), link));

    ASSERT_TRUE(WholeFileWriter::Save(link, "new"));
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    QFile file(real);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), "new");
    struct stat status;
    ASSERT_EQ(stat(real.toLocal8Bit().constData(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0600u);

    const QString pipe = dir.filePath("pipe");
    ASSERT_EQ(mkfifo(pipe.toLocal8Bit().constData(), 0600), 0);
    QString error;
    EXPECT_FALSE(WholeFileWriter::Save(pipe, "x", &error));
    EXPECT_EQ(error, pipe + ": not a regular file");
    ASSERT_EQ(stat(pipe.toLocal8Bit().constData(), &status), 0);
    EXPECT_TRUE(S_ISFIFO(status.st_mode));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::System).size(), 3);
}

}  // namespace
