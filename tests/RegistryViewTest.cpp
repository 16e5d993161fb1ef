#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <functional>

#include <sys/wait.h>
#include <unistd.h>

#include "FileRegistry.h"
#include "LiveRegistry.h"
#include "RegistryView.h"

using platform::FileRegistry;
using platform::LiveRegistry;
using platform::RegistryValue;

namespace {

void WriteText(const QString& path, const QByteArray& text) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text);
}

QStringList Names(const QList<RegistryValue>& values) {
    QStringList names;
    for (const RegistryValue& value : values) {
        names.append(value.name + "=" + value.data);
    }
    return names;
}

// A fake sysfs with two ftdi_sio ttys (numbered out of order) and one of another driver.
class FakeSysfs {
public:
    FakeSysfs() {
        AddTty("ttyUSB10", "ftdi_sio");
        AddTty("ttyUSB2", "ftdi_sio");
        AddTty("ttyUSB0", "pl2303");
    }
    QString Sys() const { return _root.filePath("sys"); }
    QString Latency(const QString& tty) const {
        QFile file(Sys() + "/bus/usb-serial/devices/" + tty + "/latency_timer");
        return file.open(QIODevice::ReadOnly) ? QString::fromLatin1(file.readAll()).trimmed()
                                              : QString();
    }

private:
    void AddTty(const QString& tty, const QString& driver) {
        const QString drivers = Sys() + "/bus/usb-serial/drivers/" + driver;
        const QString device = Sys() + "/bus/usb-serial/devices/" + tty;
        QDir().mkpath(drivers);
        QDir().mkpath(device);
        QFile::link(drivers, device + "/driver");
        WriteText(device + "/latency_timer", "16\n");
    }

    QTemporaryDir _root;
};

}  // namespace

TEST(FileRegistryTest, ReadsSectionsAsKeysKeepsBackslashesAndWritesBack) {
    QTemporaryDir dir;
    const QString path = dir.filePath("registry.ini");
    WriteText(path,
              "; listed ports\r\n"
              "[HKEY_LOCAL_MACHINE\\HARDWARE\\DEVICEMAP\\SERIALCOMM]\r\n"
              "\\Device\\VCP0=/dev/pts/7\r\n"
              "garbage without an equals sign\n"
              "=no name\n"
              "\\Device\\Serial0 = COM1\n"
              "[hkey_local_machine\\SYSTEM\\CurrentControlSet\\Enum\\FTDIBUS\\A\\0000\\Device "
              "Parameters]\n"
              "PortName=COM4\n"
              "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Enum\\FTDIBUS\\B\\0000\\Device "
              "Parameters]\n"
              "[broken\n");
    FileRegistry registry(path);
    QList<RegistryValue> values;
    ASSERT_TRUE(
        registry.ReadValues("HKEY_LOCAL_MACHINE\\HARDWARE\\DEVICEMAP\\SERIALCOMM", &values));
    EXPECT_EQ(Names(values), (QStringList{"\\Device\\VCP0=/dev/pts/7", "\\Device\\Serial0=COM1"}));
    EXPECT_EQ(registry.Ports(), (QStringList{"/dev/pts/7", "COM1"}));

    EXPECT_EQ(registry.SubKeys("SYSTEM\\CurrentControlSet\\Enum\\FTDIBUS"),
              (QStringList{"A", "B"}));
    QString port;
    EXPECT_TRUE(registry.ReadValue(
        "SYSTEM\\CurrentControlSet\\Enum\\FTDIBUS\\a\\0000\\device parameters", "portname", &port));
    EXPECT_EQ(port, "COM4");
    EXPECT_TRUE(registry.ReadValues("HKEY_LOCAL_MACHINE\\SYSTEM", &values))
        << "a parent key exists";
    EXPECT_TRUE(values.isEmpty());
    EXPECT_FALSE(registry.ReadValues("HKEY_LOCAL_MACHINE\\SOFTWARE", &values));
    EXPECT_FALSE(
        FileRegistry(dir.filePath("missing.ini")).ReadValues(platform::kSerialCommKey, &values));

    // Writes update, add and remove, and fail silently.
    FileRegistry written(dir.filePath("written.ini"));
    written.WriteValue(platform::kSerialCommKey, "\\Device\\VCP0", "/dev/pts/3");
    written.WriteValue(platform::kSerialCommKey, "\\Device\\VCP1", "/dev/pts/4");
    written.WriteValue(platform::kSerialCommKey, "\\device\\vcp0", "/dev/pts/5");
    written.WriteValue(platform::kPortPathKey, "COM7", "/dev/pts/4");
    written.RemoveValue(platform::kSerialCommKey, "\\Device\\VCP1");
    const FileRegistry reread(dir.filePath("written.ini"));
    EXPECT_EQ(reread.Ports(), QStringList{"/dev/pts/5"});
    EXPECT_EQ(reread.PortPath("COM7"), "/dev/pts/4");
    EXPECT_EQ(reread.PortPath("/dev/ttyUSB0"), "/dev/ttyUSB0");
    EXPECT_EQ(reread.PortPath("COM8"), "");

    FileRegistry unwritable(dir.filePath("no/such/folder/registry.ini"));
    unwritable.WriteValue(platform::kSerialCommKey, "\\Device\\VCP0", "x");
    EXPECT_TRUE(unwritable.Ports().isEmpty());
}

// Runs `work` as a user without the rights to read a write-only file: in a
// child process as "nobody" when the tests run as root, who reads any file.
// False when no such child could be run.
bool RunWithoutReadRights(const std::function<void()>& work) {
    if (geteuid() != 0) {
        work();
        return true;
    }
    const pid_t child = fork();
    if (child == 0) {
        alarm(10);
        if (setgid(65534) != 0 || setuid(65534) != 0) {
            _exit(2);
        }
        work();
        _exit(0);
    }
    int status = 0;
    return child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status) &&
           WEXITSTATUS(status) == 0;
}

// Its other entries would be lost: a file that cannot be read is left alone.
TEST(FileRegistryTest, AFileThatCannotBeReadIsNeverRewritten) {
    QTemporaryDir dir;
    const QString path = dir.filePath("registry.ini");
    const QByteArray text =
        "[HKEY_LOCAL_MACHINE\\HARDWARE\\DEVICEMAP\\SERIALCOMM]\n"
        "\\Device\\VCP0=/dev/pts/7\n";
    WriteText(path, text);
    ASSERT_TRUE(QFile::setPermissions(dir.path(), QFile::Permissions(0x7777)));
    ASSERT_TRUE(
        QFile::setPermissions(path, QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther));
    if (!RunWithoutReadRights([&] {
            FileRegistry registry(path);
            registry.WriteValue(platform::kPortPathKey, "COM7", "/dev/pts/4");
            registry.RemoveValue(platform::kSerialCommKey, "\\Device\\VCP0");
        })) {
        GTEST_SKIP() << "no user without read rights to run as";
    }
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), text);
}

TEST(LiveRegistryTest, ListsFtdiTtysAndMapsTheLatencyTimer) {
    FakeSysfs sysfs;
    LiveRegistry registry(sysfs.Sys(), "/dev");
    QList<RegistryValue> values;
    ASSERT_TRUE(registry.ReadValues(platform::kSerialCommKey, &values));
    EXPECT_EQ(Names(values),
              (QStringList{"\\Device\\VCP2=/dev/ttyUSB2", "\\Device\\VCP10=/dev/ttyUSB10"}));

    const QString bus = "SYSTEM\\CurrentControlSet\\Enum\\FTDIBUS";
    EXPECT_EQ(registry.SubKeys(bus), (QStringList{"ttyUSB2", "ttyUSB10"}));
    const QString parameters = bus + "\\ttyUSB10\\0000\\Device Parameters";
    QString value;
    ASSERT_TRUE(registry.ReadValue(parameters, "PortName", &value));
    EXPECT_EQ(value, "/dev/ttyUSB10");
    ASSERT_TRUE(registry.ReadValue(parameters, "LatencyTimer", &value));
    EXPECT_EQ(value, "16");

    registry.WriteValue(parameters, "LatencyTimer", "3");
    EXPECT_EQ(sysfs.Latency("ttyUSB10"), "3");
    registry.WriteValue(bus + "\\ttyUSB0\\0000\\Device Parameters", "LatencyTimer", "3");
    EXPECT_EQ(sysfs.Latency("ttyUSB0"), "16") << "not a device of the driver";
    EXPECT_EQ(registry.PortPath("COM3"), "");
}
