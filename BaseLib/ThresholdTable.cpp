#include "ThresholdTable.h"

#include <QFile>
#include <QStringList>

#include "OperationLog.h"
#include "ProgramPaths.h"
#include "Settings.h"
#include "StringConvert.h"
#include "WholeFileWriter.h"

namespace ThresholdTable {

namespace {

// Every field but the last, which is the empty text after the trailing comma.
std::vector<int> ParseRow(const QStringList& fields) {
    std::vector<int> row;
    row.reserve(fields.size() - 1);
    for (int i = 0; i + 1 < fields.size(); ++i) {
        row.push_back(StringToInt(fields[i].toLocal8Bit().toStdString()));
    }
    return row;
}

// The lines as the writer joins them. A row without values is an empty line,
// so a table whose last rows are empty ends in line ends that are rows of
// their own; one line end more than the rows need closes the last row.
bool ReadLines(const QString& file, int rows, QStringList& lines) {
    QFile input(file);
    if (!input.open(QIODevice::ReadOnly | QIODevice::Text)) {
        return false;
    }
    lines = QString::fromUtf8(input.readAll()).split(QLatin1Char('\n'));
    if (lines.size() == rows + 1 && lines.last().isEmpty()) {
        lines.removeLast();
    }
    return true;
}

}  // namespace

bool IntegerSetting(const Settings& settings, const char* key, int& value) {
    ConfigParameter parameter;
    if (!settings.GetParameter(key, parameter)) {
        return false;
    }
    value = StringToInt(parameter.GetValue());
    return true;
}

int ElectrodeCount(const Settings& settings, const char* key) {
    int count = 0;
    IntegerSetting(settings, key, count);
    return count < 0 ? 0 : count;
}

QString FileName(int xElectrodes, int yElectrodes) {
    return platform::ProgramFilePath(
        QStringLiteral("X%1Y%2.txt").arg(xElectrodes).arg(yElectrodes));
}

bool ReadRows(const QString& file, const std::vector<int>& rowLengths, Table& table) {
    QStringList lines;
    const int rows = static_cast<int>(rowLengths.size());
    if (!ReadLines(file, rows, lines) || lines.size() != rows) {
        return false;
    }
    Table parsed;
    parsed.reserve(rowLengths.size());
    for (size_t row = 0; row < rowLengths.size(); ++row) {
        const QStringList fields = lines[row].split(QLatin1Char(','), Qt::KeepEmptyParts);
        if (fields.size() != rowLengths[row] + 1) {
            return false;
        }
        parsed.push_back(ParseRow(fields));
    }
    table = std::move(parsed);
    return true;
}

bool ReadStoredRows(const QString& file, const std::vector<int>& rowLengths, Table& table) {
    if (ReadRows(file, rowLengths, table)) {
        return true;
    }
    if (QFile::exists(file)) {
        LOG4CPLUS_WARN(OperationLogger(), "Threshold file "
                                              << file.toLocal8Bit().constData() << " does not hold "
                                              << rowLengths.size()
                                              << " rows of the current channel counts; "
                                                 "using the default limits");
    }
    return false;
}

bool ReadFile(const QString& file, int xElectrodes, int yElectrodes, Table& table) {
    return ReadRows(file, {xElectrodes, xElectrodes, yElectrodes, yElectrodes}, table);
}

Table Defaults(const Settings& settings, int xElectrodes, int yElectrodes) {
    int maximum = kDefaultMaximum;
    int minimum = kDefaultMinimum;
    IntegerSetting(settings, "rawdata_max", maximum);
    IntegerSetting(settings, "rawdata_min", minimum);
    return Table{std::vector<int>(xElectrodes, maximum), std::vector<int>(xElectrodes, minimum),
                 std::vector<int>(yElectrodes, maximum), std::vector<int>(yElectrodes, minimum)};
}

Table Load(const Settings& settings, int xElectrodes, int yElectrodes) {
    Table table;
    if (ReadStoredRows(FileName(xElectrodes, yElectrodes),
                       {xElectrodes, xElectrodes, yElectrodes, yElectrodes}, table)) {
        return table;
    }
    return Defaults(settings, xElectrodes, yElectrodes);
}

Table Load(const Settings& settings) {
    return Load(settings, ElectrodeCount(settings, "x_electrodes"),
                ElectrodeCount(settings, "y_electrodes"));
}

bool WriteFile(const QString& file, const Table& table) {
    QByteArray text;
    for (size_t row = 0; row < table.size(); ++row) {
        for (int value : table[row]) {
            text += QByteArray::number(value);
            text += ',';
        }
        if (row + 1 < table.size()) {
            text += "\r\n";
        }
    }
    // A failed write leaves the old limits in place.
    QString error;
    if (!platform::WholeFileWriter::Save(file, text, &error)) {
        LOG4CPLUS_WARN(OperationLogger(),
                       "Threshold table cannot be written: " << error.toLocal8Bit().constData());
        return false;
    }
    return true;
}

}  // namespace ThresholdTable
