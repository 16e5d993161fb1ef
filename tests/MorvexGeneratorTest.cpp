#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QStringList>
#include <QTemporaryDir>
#include <QTextEdit>

#include "MorvexGenerator.h"
#include "TempProgramDir.h"

namespace {

QByteArray ReadFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void WriteFile(const QString& path, const QByteArray& contents) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    file.write(contents);
}

// Receives the generator's output as a text widget would, one call per paragraph.
class LogSink : public QObject {
    Q_OBJECT
public:
    QStringList paragraphs;
public slots:
    void append(const QString& text) { paragraphs << text; }
};

// A tool chain in a temporary folder: "bin/bash.exe" is a shell script that
// records its arguments and then runs "run.sh", which each test writes.
class FakeToolChain {
public:
    FakeToolChain()
        : _previous(qgetenv("MORVEX_TOOLCHAIN_ROOT")),
          _hadPrevious(qEnvironmentVariableIsSet("MORVEX_TOOLCHAIN_ROOT")) {
        qputenv("MORVEX_TOOLCHAIN_ROOT", _root.path().toLocal8Bit());
    }
    ~FakeToolChain() {
        if (_hadPrevious) {
            qputenv("MORVEX_TOOLCHAIN_ROOT", _previous);
        } else {
            qunsetenv("MORVEX_TOOLCHAIN_ROOT");
        }
    }

    void InstallShell(const QByteArray& script) {
        WriteFile(Path("bin/bash.exe"),
                  "#!/bin/sh\n"
                  "root=$(cd \"$(dirname \"$0\")/..\" && pwd)\n"
                  "printf '%s\\n' \"$@\" > \"$root/arguments.txt\"\n"
                  ". \"$root/run.sh\"\n");
        QFile::setPermissions(Path("bin/bash.exe"), QFileDevice::ReadOwner |
                                                        QFileDevice::WriteOwner |
                                                        QFileDevice::ExeOwner);
        WriteFile(Path("run.sh"), script);
    }
    QString Path(const QString& name) const { return _root.path() + "/" + name; }
    QStringList Arguments() const {
        return QString::fromLocal8Bit(ReadFile(Path("arguments.txt")))
            .split('\n', Qt::SkipEmptyParts);
    }

private:
    QTemporaryDir _root;
    QByteArray _previous;
    bool _hadPrevious;
};

// The image the real chain would make: the XML it was given, as .vmx text.
const QByteArray kConvertingScript =
    "mkdir -p \"$root/eeprom_make\"\n"
    "{ echo '! VERSION 47'; cat \"$root/xml/MORVEX_customer_pinmap.tmp\"; } > "
    "\"$root/eeprom_make/eeprom.vmx\"\n"
    "echo 'converting pattern'\n";

class MorvexGeneratorTest : public ::testing::Test {
protected:
    void SetUp() override {
        QDir().mkpath(chain.Path("xml"));
        WriteFile(programDir.File("pattern.xml"), "<system_environment_configuration/>\n");
    }

    // Runs one generation to its end; false when it was not started.
    bool RunToEnd(const QString& xml) {
        if (!generator.Generate(xml, &log)) {
            return false;
        }
        return finished.wait(5000) || finished.count() > 0 || failed.count() > 0;
    }

    TempProgramDir programDir;
    FakeToolChain chain;
    LogSink log;
    MorvexGenerator generator{nullptr};
    QSignalSpy finished{&generator, &MorvexGenerator::Finish};
    QSignalSpy failed{&generator, &MorvexGenerator::Fail};
};

}  // namespace

TEST_F(MorvexGeneratorTest, PlacesTheXmlRunsTheScriptAndCopiesTheImageBesideTheProgram) {
    chain.InstallShell(kConvertingScript);
    WriteFile(chain.Path("xml/MORVEX_customer_pinmap.tmp"), "older pattern");
    WriteFile(programDir.File("vmx_file/eeprom.vmx"), "older image");

    ASSERT_TRUE(RunToEnd(programDir.File("pattern.xml")));
    EXPECT_EQ(finished.count(), 1);
    EXPECT_EQ(failed.count(), 0);
    EXPECT_EQ(ReadFile(chain.Path("xml/MORVEX_customer_pinmap.tmp")),
              "<system_environment_configuration/>\n");
    EXPECT_EQ(chain.Arguments(),
              (QStringList{"-l", "-c", programDir.Path() + "/script_files/ScriptVmx.sh"}));
    const QByteArray image = ReadFile(MorvexGenerator::ToolChainImage());
    EXPECT_TRUE(image.startsWith("! VERSION 47\n<system_environment_configuration/>"));
    EXPECT_EQ(ReadFile(programDir.File("vmx_file/eeprom.vmx")), image);
    EXPECT_EQ(log.paragraphs, QStringList{"converting pattern"});
}

TEST_F(MorvexGeneratorTest, BlanksInTheProgramFolderAreEscapedForTheShell) {
    chain.InstallShell("true\n");
    const QString folder = programDir.Path() + "/Panel Tool";
    QDir().mkpath(folder);
    qputenv("MORVEX_PROGRAM_DIR", folder.toLocal8Bit());

    ASSERT_TRUE(RunToEnd(programDir.File("pattern.xml")));
    EXPECT_EQ(chain.Arguments().value(2),
              programDir.Path() + "/Panel\\ Tool/script_files/ScriptVmx.sh");
}

TEST_F(MorvexGeneratorTest, ErrorLinesAndStandardErrorAreShownInRed) {
    chain.InstallShell(
        "echo 'warning: unused pin'\n"
        "echo 'make: error 2'\n"
        "echo 'Pin <3> ERROR'\n"
        "sleep 0.2\n"
        "printf 'first\\nsecond\\n' >&2\n"
        "sleep 0.2\n"
        "printf 'no line end'\n"
        "exit 1\n");

    ASSERT_TRUE(RunToEnd(programDir.File("pattern.xml")));
    // A failing script still ends the run normally: its image decides later.
    EXPECT_EQ(finished.count(), 1);
    EXPECT_EQ(failed.count(), 0);
    EXPECT_EQ(log.paragraphs,
              (QStringList{"warning: unused pin", "<FONT COLOR=red>make: error 2</FONT>",
                           "<FONT COLOR=red>Pin &lt;3&gt; ERROR</FONT>",
                           "<FONT COLOR=red>first\nsecond</FONT>", "no line end"}));
}

TEST_F(MorvexGeneratorTest, ATextWidgetShowsTheOutput) {
    chain.InstallShell("echo 'step one'\necho 'Error: bad pin' \n");
    QTextEdit widget;
    ASSERT_TRUE(generator.Generate(programDir.File("pattern.xml"), &widget));
    ASSERT_TRUE(finished.wait(5000));
    EXPECT_EQ(widget.toPlainText(), "step one\nError: bad pin");
    EXPECT_TRUE(widget.toHtml().contains("#ff0000")) << widget.toHtml().toStdString();
}

TEST_F(MorvexGeneratorTest, RefusesAnXmlOverTwoMebibytesButTakesExactlyTwo) {
    chain.InstallShell("true\n");
    WriteFile(programDir.File("large.xml"), QByteArray(2097153, 'x'));
    EXPECT_FALSE(generator.Generate(programDir.File("large.xml"), &log));
    EXPECT_FALSE(QFile::exists(chain.Path("xml/MORVEX_customer_pinmap.tmp")));
    EXPECT_FALSE(QFile::exists(chain.Path("arguments.txt")));

    WriteFile(programDir.File("large.xml"), QByteArray(2097152, 'x'));
    ASSERT_TRUE(RunToEnd(programDir.File("large.xml")));
    EXPECT_EQ(QFileInfo(chain.Path("xml/MORVEX_customer_pinmap.tmp")).size(), 2097152);
}

TEST_F(MorvexGeneratorTest, AMissingXmlOrToolChainStartsNothing) {
    chain.InstallShell("true\n");
    EXPECT_FALSE(generator.Generate(programDir.File("absent.xml"), &log));
    EXPECT_FALSE(generator.Generate(programDir.File("no/such/folder/pattern.xml"), &log));

    // The input folder is made when missing, but not a whole tool chain.
    QDir(chain.Path("xml")).removeRecursively();
    ASSERT_TRUE(RunToEnd(programDir.File("pattern.xml")));
    EXPECT_TRUE(QFile::exists(chain.Path("xml/MORVEX_customer_pinmap.tmp")));
    qputenv("MORVEX_TOOLCHAIN_ROOT", chain.Path("not/installed").toLocal8Bit());
    EXPECT_FALSE(generator.Generate(programDir.File("pattern.xml"), &log));
    EXPECT_FALSE(QFileInfo::exists(chain.Path("not")));
    EXPECT_EQ(failed.count(), 0);
    EXPECT_EQ(finished.count(), 1);
}

TEST_F(MorvexGeneratorTest, AMissingShellReportsFailure) {
    ASSERT_TRUE(generator.Generate(programDir.File("pattern.xml"), &log));
    ASSERT_TRUE(failed.count() > 0 || failed.wait(5000));
    EXPECT_EQ(failed.count(), 1);
    QCoreApplication::processEvents();
    EXPECT_EQ(finished.count(), 0);
}

TEST_F(MorvexGeneratorTest, OneRunAtATime) {
    chain.InstallShell("sleep 0.5\n");
    ASSERT_TRUE(generator.Generate(programDir.File("pattern.xml"), &log));
    EXPECT_FALSE(generator.Generate(programDir.File("pattern.xml"), &log));
    ASSERT_TRUE(finished.wait(5000));
    EXPECT_EQ(finished.count(), 1);
    ASSERT_TRUE(RunToEnd(programDir.File("pattern.xml")));
    EXPECT_EQ(finished.count(), 2);
}

TEST_F(MorvexGeneratorTest, AGeneratorDestroyedMidRunEndsTheScript) {
    chain.InstallShell("sleep 5\n");
    auto* early = new MorvexGenerator(nullptr);
    ASSERT_TRUE(early->Generate(programDir.File("pattern.xml"), &log));
    QElapsedTimer timer;
    timer.start();
    delete early;
    EXPECT_LT(timer.elapsed(), 3000);
}

#include "MorvexGeneratorTest.moc"
