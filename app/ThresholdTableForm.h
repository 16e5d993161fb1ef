#pragma once

#include <QCoreApplication>
#include <QString>
#include <vector>

class QTableWidget;
class QTableWidgetItem;
class QWidget;

// What the threshold dialogs do alike with their table widget and their
// threshold files.
class ThresholdTableForm {
    Q_DECLARE_TR_FUNCTIONS(ThresholdTableForm)

public:
    // A label cell: shown greyed, neither selectable nor editable.
    static QTableWidgetItem* FixedItem(const QString& text);
    // The `count` cells of table row `row` from column `first` on; a cell that
    // is not a whole decimal number counts as 0.
    static std::vector<int> CellRow(const QTableWidget* table, int row, int first, int count);
    // Writes `thresholds` to `file`; false, after telling the operator, when
    // it cannot: the edited values exist nowhere else.
    static bool Save(QWidget* parent, const QString& file,
                     const std::vector<std::vector<int> >& thresholds);
    // Asks for a threshold file to import; empty when the operator cancels.
    static QString AskImportFile(QWidget* parent);
};
