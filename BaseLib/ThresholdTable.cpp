#include "ThresholdTable.h"

#include <QFile>
#include <QStringList>
#include <QTextStream>

#include "ProgramPaths.h"
#include "Settings.h"
#include "StringConvert.h"

namespace ThresholdTable {

namespace {

bool ReadSetting(const Settings& settings, const char* key, int& value) {
    ConfigParameter parameter;
    if (!settings.GetParameter(key, parameter)) {
        return false;
    }
    value = StringToInt(parameter.GetValue());
    return true;
}

std::vector<int> ParseRow(const QStringList& fields) {
    std::vector<int> row;
    row.reserve(fields.size() - 1);
    for (int i = 0; i + 1 < fields.size(); ++i) {
        row.push_back(StringToInt(fields[i].toLocal8Bit().toStdString()));
    }
    return row;
}

}  // namespace

int ElectrodeCount(const Settings& settings, const char* key) {
    int count = 0;
    ReadSetting(settings, key, count);
    return count < 0 ? 0 : count;
}

QString FileName(int xElectrodes, int yElectrodes) {
    return platform::ProgramFilePath(
        QStringLiteral("X%1Y%2.txt").arg(xElectrodes).arg(yElectrodes));
}

bool ReadFile(const QString& file, int xElectrodes, int yElectrodes, Table& table) {
    QFile input(file);
    if (!input.open(QIODevice::ReadOnly | QIODevice::Text)) {
        return false;
    }
    QStringList lines;
    QTextStream stream(&input);
    while (!stream.atEnd()) {
        lines.append(stream.readLine());
    }
    if (lines.size() != 4) {
        return false;
    }
    const int expected[4] = {xElectrodes, xElectrodes, yElectrodes, yElectrodes};
    Table parsed;
    for (int row = 0; row < 4; ++row) {
        const QStringList fields = lines[row].split(QLatin1Char(','), Qt::KeepEmptyParts);
        if (fields.size() != expected[row] + 1) {
            return false;
        }
        parsed.push_back(ParseRow(fields));
    }
    table = std::move(parsed);
    return true;
}

Table Defaults(const Settings& settings, int xElectrodes, int yElectrodes) {
    int maximum = kDefaultMaximum;
    int minimum = kDefaultMinimum;
    ReadSetting(settings, "rawdata_max", maximum);
    ReadSetting(settings, "rawdata_min", minimum);
    return Table{std::vector<int>(xElectrodes, maximum), std::vector<int>(xElectrodes, minimum),
                 std::vector<int>(yElectrodes, maximum), std::vector<int>(yElectrodes, minimum)};
}

Table Load(const Settings& settings) {
    const int x = ElectrodeCount(settings, "x_electrodes");
    const int y = ElectrodeCount(settings, "y_electrodes");
    Table table;
    if (ReadFile(FileName(x, y), x, y, table)) {
        return table;
    }
    return Defaults(settings, x, y);
}

bool WriteFile(const QString& file, const Table& table) {
    QFile output(file);
    if (output.exists() && !output.remove()) {
        return false;
    }
    if (!output.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        return false;
    }
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
    return output.write(text) == text.size() && output.flush();
}

}  // namespace ThresholdTable
