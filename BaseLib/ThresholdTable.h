#pragma once

#include <QString>
#include <vector>

class Settings;

// The per-channel limits of the raw-data tests and their file, without any
// widget, so the core can load them while no application object exists.
// Rows: 0 X maximum, 1 X minimum, 2 Y maximum, 3 Y minimum.
namespace ThresholdTable {

using Table = std::vector<std::vector<int> >;

constexpr int kDefaultMaximum = 80;
constexpr int kDefaultMinimum = -60;

// Electrode counts as the settings hold them; a negative count reads as 0.
int ElectrodeCount(const Settings& settings, const char* key);

// "<program dir>/X<x>Y<y>.txt".
QString FileName(int xElectrodes, int yElectrodes);

// All or nothing: true and `table` replaced only when the file is a valid
// threshold file for these counts.
bool ReadFile(const QString& file, int xElectrodes, int yElectrodes, Table& table);

// Four rows of the given counts, every value the maximum or minimum of the settings.
Table Defaults(const Settings& settings, int xElectrodes, int yElectrodes);

// The table of the current counts: from its file when valid, else the defaults.
Table Load(const Settings& settings);

// Writes the file (values followed by ",", rows joined by CR LF). False when the
// file cannot be written.
bool WriteFile(const QString& file, const Table& table);

}  // namespace ThresholdTable
