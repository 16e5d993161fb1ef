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

// An integer setting read as a stream reads a leading number; false (and
// `value` untouched) when the key is missing.
bool IntegerSetting(const Settings& settings, const char* key, int& value);

// All or nothing: the file must hold exactly one line per entry of
// `rowLengths` (an empty row is an empty line; one line end after the last
// line adds none), line i with rowLengths[i] values each followed by "," (a
// value after the last comma is ignored). True and `table` replaced only then.
bool ReadRows(const QString& file, const std::vector<int>& rowLengths, Table& table);

// ReadRows for a file the program keeps: one that exists but does not fit
// gets a warning in the operation log, since its limits are then not used.
bool ReadStoredRows(const QString& file, const std::vector<int>& rowLengths, Table& table);

// ReadRows for the four rows of these counts.
bool ReadFile(const QString& file, int xElectrodes, int yElectrodes, Table& table);

// Four rows of the given counts, every value the maximum or minimum of the settings.
Table Defaults(const Settings& settings, int xElectrodes, int yElectrodes);

// The table of these counts: from their file when valid, else the defaults.
Table Load(const Settings& settings, int xElectrodes, int yElectrodes);

// Load for the counts the settings hold ("x_electrodes", "y_electrodes").
Table Load(const Settings& settings);

// Replaces the file by the table (values followed by ",", rows joined by
// CR LF, no line end after the last). False when the file cannot be written.
bool WriteFile(const QString& file, const Table& table);

}  // namespace ThresholdTable
